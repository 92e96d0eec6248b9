#pragma once

// TZIMMonitor, the desktop monitor: the application's main window. Closing it
// is the program's orderly shutdown; hiding it never ends the program. The
// logic lives in MonitorModel; this window turns messages into calls on it and
// on MonitorInteraction, and MonitorPainter draws the skin picture, the grid
// area, the coordinate label and the twelve buttons from the model's layout
// (painted elements, not child windows). A bitmap skin gives the window no
// border and the bitmap's outline (FormShaper); a natural skin makes it a
// sizeable tool window whose grid fills the client area.

#include "app/program_commands.h"
#include "components/top_most_window.h"
#include "components/win32/form_shaper.h"
#include "engine/desktop_engine.h"
#include "engine/hide_mode.h"
#include "monitor/colors.h"
#include "monitor/monitor_interaction.h"
#include "monitor/monitor_model.h"
#include "monitor/skin_loader.h"
#include "monitor/win32/monitor_painter.h"
#include "monitor/win32/programs_popup.h"
#include "platform/win32/window.h"
#include "settings/options.h"

#include <functional>
#include <string>
#include <vector>

namespace zim::win32
{

class SkinEditor;

// What the monitor works with, all created before it.
struct MonitorParts
{
    WindowSystem& windows;
    Scheduler& scheduler;
    OptionsModel& options;
    EngineState& state;
    DesktopEngine& engine;
    HideMode& hideMode;
};

class TZIMMonitor final : public Window, private MonitorSurface, private InteractionSurface, private SkinSurface
{
public:
    static constexpr const wchar_t* kClassName = L"TZIMMonitor";
    static constexpr int kDefaultWidth = 120;
    static constexpr int kDefaultHeight = 100;

    // onClose: the monitor was closed, which is the program's orderly end.
    TZIMMonitor(const MonitorParts& parts, ProgramCommands& commands, std::function<void()> onClose);
    ~TZIMMonitor() override;

    bool Create(HICON icon);

    MonitorModel& Model() { return m_model; }
    MonitorInteraction& Interaction() { return m_interaction; }
    // What LoadSkin changes on the window.
    SkinSurface& Skin() { return *this; }
    // The grid area in client coordinates, as the layout places it.
    Rect GridArea() const { return m_model.GridBounds().Offset(m_origin.x, m_origin.y); }
    // Copies the part of the skin picture under the grid area into the grid's
    // background: after the picture or the grid area's bounds change.
    void CopyGridBackground();
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
    void HideMonitor();
    // The four grid colour commands (the skin editor pops this menu up).
    void PopupColorMenu(Point screen);

    // --- what the skin editor works with ---
    // While the editor is open it takes the presses on the client area, and
    // the skin's panel lies below its title bar at this origin.
    void SetSkinEditor(SkinEditor* editor) { m_editor = editor; }
    void SetEditorFrame(bool open, Point origin);
    Point PanelOrigin() const { return m_origin; }
    FormShaper& Shaper() { return m_shaper; }
    // The editor changed the layout: fonts and tools made again, all repainted.
    void LayoutEdited();
    // Off while the editor's modal dialogs are shown; back as the option says.
    void HoldTopmost(bool hold);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // MonitorSurface
    WindowHandle SurfaceHandle() const override { return FromHwnd(Handle()); }
    void Hide() override;
    Rect Bounds() const override;
    Size ClientSize() const override;
    void SetTopmost(bool topmost) override;
    void RepaintGrid(const Rect& area) override;
    void RepaintClient(const Rect& area) override;
    void RepaintAll() override;
    void MiniaturesChanged(const MiniatureChanges& changes) override;
    WindowHandle FindDesktopBackground() override;

    // InteractionSurface
    Point GridToScreen(Point grid) const override;
    Point ClientToScreen(Point client) const override;
    void ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds) override;
    void HideProgramsPopup() override;
    void SetMonitorTopmost(bool topmost) override { SetTopmost(topmost); }
    void BringToFront() override;
    void BeginMonitorMove() override;

    // SkinSurface
    bool IsVisible() const override;
    void SetVisible(bool visible) override;
    bool PrepareBackground(const std::string& imagePath) override;
    void UseBackground(ColorValue mask, Size client) override;
    void ClearBackground() override;
    void SetShaperActive(bool active) override { m_shaper.SetActive(active); }
    void SetAlwaysOnTop(bool topmost) override;
    void SetNaturalFrame(bool natural) override { m_shaper.SetShowCaption(natural); }
    void MoveTo(Point topLeft) override;

    MonitorPainter::Pictures Pictures() const
    {
        return {m_shaper.Picture().Bitmap(), static_cast<HBITMAP>(m_gridBackground.Get()), &m_interaction};
    }
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnButtonDown(MouseButton button, LPARAM lParam);
    void OnButtonUp(MouseButton button, LPARAM lParam);
    void OnWindowPosChanging(WINDOWPOS& pos);
    void RunColorCommand(GridColorCommand command);

    MonitorModel m_model;
    MonitorInteraction m_interaction;
    TZIM2* m_popup = nullptr;
    FormShaper m_shaper;
    TopMostWindow m_topMost;
    // A skin bitmap loaded before the monitor changes, then handed to the shaper.
    UniqueBitmap m_preparedBackground;
    // The part of the skin picture under the grid area.
    UniqueBitmap m_gridBackground;
    bool m_trackingLeave = false;
    MonitorPainter m_painter;
    SkinEditor* m_editor = nullptr;
    // Where the skin's panel begins in the client area: below the editor's title bar while it is open.
    Point m_origin;
    ProgramCommands& m_commands;
    std::function<void()> m_onClose;
};

} // namespace zim::win32
