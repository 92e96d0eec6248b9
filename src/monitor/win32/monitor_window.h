#pragma once

// TZIMMonitor, the desktop monitor: the application's main window. Closing it
// is the program's orderly shutdown; hiding it never ends the program.

#include "platform/win32/window.h"
#include "settings/options.h"

#include <functional>

namespace zim
{
struct EngineState;
}

namespace zim::win32
{

class TZIMMonitor final : public Window
{
public:
    static constexpr const wchar_t* kClassName = L"TZIMMonitor";
    static constexpr const wchar_t* kCaption = L"Zim Desk monitor";

    TZIMMonitor(const OptionsModel& options, const EngineState& engine, std::function<void()> onClose);

    bool Create(HICON icon);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc, const RECT& client);

    const OptionsModel& m_options;
    const EngineState& m_engine;
    std::function<void()> m_onClose;
};

} // namespace zim::win32
