#pragma once

// TZIM, the hidden main window. It is never shown; its handle is the one given to
// the hook library, and it receives the library's messages.

#include "engine/engine_state.h"
#include "platform/hook_library.h"
#include "platform/win32/window.h"
#include "settings/options.h"

namespace zim::win32
{

class TZIM final : public Window
{
public:
    static constexpr const wchar_t* kClassName = L"TZIM";

    TZIM(OptionsModel& options, EngineState& engine, WindowSystem& windows, HookLibrary& hook);

    bool Create();
    const Rect& WorkArea() const { return m_workArea; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    OptionsModel& m_options;
    EngineState& m_engine;
    WindowSystem& m_windows;
    HookLibrary& m_hook;
    // Cached for edge scrolling while a window is dragged; refreshed on WM_SETTINGCHANGE.
    Rect m_workArea;
    bool m_sysMenuEnabled = false;
};

} // namespace zim::win32
