#pragma once

// TZIMMonitor, the desktop monitor: the application's main window. Closing it
// is the program's orderly shutdown; hiding it never ends the program. The
// logic lives in MonitorModel; this window turns messages into calls on it and
// draws the grid area from what it holds: the grid lines, the highlight frame
// and the miniatures as painted elements, not child windows. Until skins lay out
// the coordinate label, the background and the buttons, the grid area fills the
// client area, so every press there is a press on the grid.

#include "engine/desktop_engine.h"
#include "engine/monitor_view.h"
#include "monitor/colors.h"
#include "monitor/monitor_interaction.h"
#include "monitor/monitor_model.h"
#include "monitor/win32/programs_popup.h"
#include "platform/win32/window.h"
#include "settings/options.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zim::win32
{

class TZIMMonitor final : public Window, public MonitorView, private MonitorSurface, private InteractionSurface
{
public:
    static constexpr const wchar_t* kClassName = L"TZIMMonitor";
    static constexpr const wchar_t* kCaption = L"Zim Desk monitor";
    static constexpr int kDefaultWidth = 120;
    static constexpr int kDefaultHeight = 100;

    TZIMMonitor(WindowSystem& windows, Scheduler& scheduler, OptionsModel& options, EngineState& state,
                DesktopEngine& engine, std::function<void()> onClose);
    ~TZIMMonitor() override;

    bool Create(HICON icon);

    // MonitorView
    WindowHandle MonitorWindow() const override { return m_model.MonitorWindow(); }
    const GridGeometry& Grid() const override { return m_model.Grid(); }
    void SetFocusFrame(const Rect& bounds) override { m_model.SetFocusFrame(bounds); }
    void SetCoordinateLabel(const std::string& text) override { m_model.SetCoordinateLabel(text); }
    bool MoveMiniature(WindowHandle window, const Rect& bounds) override
    {
        return m_model.MoveMiniature(window, bounds);
    }
    void HideMonitor() override { m_model.HideMonitor(); }
    bool RefreshEnabled() const override { return m_model.RefreshEnabled(); }
    void SetRefreshEnabled(bool enabled) override { m_model.SetRefreshEnabled(enabled); }

    MonitorModel& Model() { return m_model; }
    MonitorInteraction& Interaction() { return m_interaction; }
    // The programs popup, created right after the monitor.
    void SetProgramsPopup(TZIM2* popup);
    // The main window's input timer, held off during a drag; null once it is gone.
    void SetInputTimer(Timer* timer) { m_interaction.SetInputTimer(timer); }
    // The program's end: a drag under way is dropped where it is and the popup
    // closed, then the refresh and auto-hide timers stop.
    void StopTimers();
    // The tray icon's click: auto hide armed from its option, the monitor shown
    // in front, and a fresh picture of the windows.
    void ShowMonitor();
    // The four grid colour commands (the skin editor pops this menu up).
    void PopupColorMenu(Point screen);

    // Shown or hidden: the main menu offers "Show" or "Close Desktop Monitor".
    std::function<void(bool shown)> onShownChanged;
    // A right press on the caption, or the "Menu" button: the main popup menu at that screen point.
    std::function<void(Point screen)> onPopupMenu;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // MonitorSurface
    WindowHandle SurfaceHandle() const override { return FromHwnd(Handle()); }
    void Hide() override;
    Rect Bounds() const override;
    Size GridAreaSize() const override;
    void SetTopmost(bool topmost) override;
    void RepaintGrid(const Rect& area) override;
    void RepaintAll() override;
    void MiniaturesChanged(const MiniatureChanges& changes) override;
    WindowHandle FindDesktopBackground() override;

    // InteractionSurface
    Point GridToScreen(Point grid) const override;
    void ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds) override;
    void HideProgramsPopup() override;
    void SetMonitorTopmost(bool topmost) override { SetTopmost(topmost); }
    void BringToFront() override;
    void BeginMonitorMove() override;

    void OnButtonDown(MouseButton button, LPARAM lParam);
    void OnButtonUp(MouseButton button, LPARAM lParam);
    void OnWindowPosChanging(WINDOWPOS& pos);
    void RunColorCommand(GridColorCommand command);
    void CreateTooltip();
    void SetTool(std::size_t index, bool add);
    void RemoveTools();
    // The title as last painted becomes the miniature's tool tip.
    void SetHint(std::size_t index, std::wstring_view title);

    // Double-buffered: the grid area is drawn into a bitmap and copied at once.
    void Paint(HDC dc, const Rect& area);
    void PaintGridArea(HDC dc, const Rect& client);
    void PaintMiniature(HDC dc, std::size_t index, COLORREF line, COLORREF text);
    // The window's small icon, asked for once per window a slot shows.
    HICON SmallIcon(std::size_t index, HWND window);

    MonitorModel m_model;
    MonitorInteraction m_interaction;
    TZIM2* m_popup = nullptr;
    std::function<void()> m_onClose;
    UniqueFont m_font;
    HWND m_tooltip = nullptr; // owned by this window, destroyed with it
    std::size_t m_tools = 0;
    // Per miniature, the window title as last painted: its tool tip.
    std::vector<std::wstring> m_hints;
    struct MiniatureIcon
    {
        HWND window = nullptr;
        HICON icon = nullptr;
        bool known = false;
    };
    std::vector<MiniatureIcon> m_icons;
};

} // namespace zim::win32
