#pragma once

// TZIMMonitor, the desktop monitor: the application's main window. Closing it
// is the program's orderly shutdown; hiding it never ends the program.

#include "engine/desktop_engine.h"
#include "engine/monitor_view.h"
#include "platform/win32/window.h"
#include "settings/options.h"

#include <functional>
#include <string>

namespace zim::win32
{

class TZIMMonitor final : public Window, public MonitorView
{
public:
    static constexpr const wchar_t* kClassName = L"TZIMMonitor";
    static constexpr const wchar_t* kCaption = L"Zim Desk monitor";

    TZIMMonitor(const OptionsModel& options, const EngineState& state, DesktopEngine& engine,
                std::function<void()> onClose);

    bool Create(HICON icon);

    // MonitorView
    WindowHandle MonitorWindow() const override;
    const GridGeometry& Grid() const override { return m_grid; }
    void SetFocusFrame(const Rect& bounds) override;
    void SetCoordinateLabel(const std::string& text) override;
    bool MoveMiniature(WindowHandle window, const Rect& bounds) override;
    void HideMonitor() override;
    bool RefreshEnabled() const override { return false; }
    void SetRefreshEnabled(bool) override {}

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Lays the grid over the client area; a size outside 1..10 leaves it as it was.
    void Desktopsize1Click();
    void OnPress(Point p);
    void Paint(HDC dc, const RECT& client);

    const OptionsModel& m_options;
    const EngineState& m_state;
    DesktopEngine& m_engine;
    std::function<void()> m_onClose;
    GridGeometry m_grid{{0, 0}, 3, 3};
    Rect m_focusFrame;
    std::wstring m_label = L"(0,0)";
};

} // namespace zim::win32
