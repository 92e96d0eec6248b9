#pragma once

// The desktop monitor's logic: the grid laid over its grid area, the snapshot of
// the windows as miniatures, the highlight frame, the refresh and auto-hide
// timers, and what showing, hiding and closing the monitor set off. The window
// (MonitorSurface) turns messages into calls here and draws what this holds.

#include "engine/desktop_grid.h"
#include "engine/engine_state.h"
#include "engine/grid_geometry.h"
#include "engine/handle_cache.h"
#include "engine/hide_mode.h"
#include "monitor/colors.h"
#include "monitor/drag.h"
#include "monitor/monitor_layout.h"
#include "monitor/snapshot.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zim
{

// What the monitor's logic asks of its window.
class MonitorSurface
{
public:
    MonitorSurface() = default;
    MonitorSurface(const MonitorSurface&) = delete;
    MonitorSurface& operator=(const MonitorSurface&) = delete;
    virtual ~MonitorSurface() = default;

    virtual WindowHandle SurfaceHandle() const = 0;
    // Hides the window; the window then reports FormHide.
    virtual void Hide() = 0;
    // The window on the screen.
    virtual Rect Bounds() const = 0;
    // The client area, where the layout places the grid area.
    virtual Size ClientSize() const = 0;
    virtual void SetTopmost(bool topmost) = 0;
    // Part of the grid area (grid-area coordinates), part of the client area, or all of the window.
    virtual void RepaintGrid(const Rect& area) = 0;
    virtual void RepaintClient(const Rect& area) = 0;
    virtual void RepaintAll() = 0;
    // Slots were created, moved or freed: repaint their old and new places.
    virtual void MiniaturesChanged(const MiniatureChanges& changes) = 0;
    // The shell's desktop background window (class "DesktopBackgroundClass"), or none.
    virtual WindowHandle FindDesktopBackground() = 0;
};

class MonitorModel final : public SwitchListener
{
public:
    static constexpr unsigned kRefreshMs = 500;
    // Windows parked off screen (minimised ones on old systems) lie beyond this.
    static constexpr std::int32_t kParkedLeft = -31000;

    MonitorModel(WindowSystem& windows, Scheduler& scheduler, OptionsModel& options, EngineState& state,
                 HideMode& hideMode, MonitorSurface& surface);
    ~MonitorModel() override;

    // SwitchListener: the highlight frame, the label and the sticky windows'
    // miniatures follow the switch before any window moves; "Close when
    // selected" hides the monitor once it is over.
    void DesktopSwitching(Point from, Point to) override;
    void DesktopSwitched(Point from, Point to) override;

    WindowHandle MonitorWindow() const { return m_surface.SurfaceHandle(); }
    const GridGeometry& Grid() const { return m_state.Grid.Geometry(); }
    void HideMonitor() { m_surface.Hide(); }
    // Moves the first miniature standing for the window; false when it has none.
    bool MoveMiniature(WindowHandle window, const Rect& bounds);
    bool RefreshEnabled() const { return m_timer1->IsEnabled(); }
    void SetRefreshEnabled(bool enabled) { m_timer1->SetEnabled(enabled); }

    // Lays the grid over the grid area; a size outside 1..10 leaves it as it was.
    void Desktopsize1Click();
    // Rebuilds the miniatures from the windows' positions; repaints only what moved.
    void UpdateMiniatures();
    const Miniature* FindMiniature(WindowHandle window) const { return m_miniatures.Find(window); }
    // Moves a real window to the screen place that a grid-area position stands
    // for (the drag, and the options dialog placing windows it shows again);
    // true when the window answered.
    bool MoveWindowToMonitorPos(WindowHandle window, Point pos)
    {
        return zim::MoveWindowToMonitorPos(m_windows, Grid(), m_state.Grid.Current(), window, pos);
    }
    const MiniatureList& Miniatures() const { return m_miniatures; }

    // Window events.
    void FormShow();
    void FormHide();
    void FormResize();
    // The first step of the program's orderly end.
    void FormClose() { StopTimers(); }
    void StopTimers();
    void Timer1Timer() { UpdateMiniatures(); }
    void Timer2Timer();
    // The tray icon's click arms the auto hide from its option.
    void ArmAutoHide() { m_timer2->SetEnabled(m_options.Get().autoHide); }

    // The colour menu's outcome: the chosen colour, or nothing when the dialog
    // was cancelled.
    void ApplyColorCommand(GridColorCommand command, std::optional<ColorValue> chosen);
    ColorValue CurrentColor(GridColorCommand command) const;

    bool Shown() const { return m_shown; }
    const Rect& FocusFrame() const { return m_focusFrame; }
    const std::string& CoordinateLabel() const { return m_label; }
    const GridColors& Colors() const { return m_layout.Colors(); }
    bool FillMiniatures() const { return m_layout.FillMiniWindows(); }
    const MonitorLayout& Layout() const { return m_layout; }
    // The skin editor changes the layout in place.
    MonitorLayout& EditLayout() { return m_layout; }
    // The grid area in client coordinates.
    Rect GridBounds() const { return m_layout.GridBounds(m_surface.ClientSize()); }
    Size ClientSize() const { return m_surface.ClientSize(); }
    // A skin's layout applied: the grid laid out again over its area and
    // everything repainted; the next refresh places the miniatures.
    void ApplyNaturalSkin(const skins::SkinLayout& skin);
    void ApplyBitmapSkin(const skins::SkinLayout& skin, Size client);
    // The window was activated or deactivated: the editor's title bar follows.
    void FormActivate(bool active);
    bool Active() const { return m_active; }
    const Options& CurrentOptions() const { return m_options.Get(); }

    Timer& Timer1() { return *m_timer1; }
    Timer& Timer2() { return *m_timer2; }

    // Switches the main menu between "Show Desktop Monitor" and "Close Desktop Monitor".
    std::function<void(bool shown)> onShownChanged;

private:
    void OnOptionsChanged(const Options& options, const OptionSet& changed);
    void LayoutApplied();
    void SetFocusFrame(const Rect& bounds);
    void MoveFocusFrame(const Rect& bounds);
    void MoveStickyMiniatures();
    // The engine's rule for sticky windows, with the class name asked once per
    // handle while the monitor is shown; the caption can change and is read
    // anew whenever a caption could make the window sticky.
    bool IsStickyMiniature(WindowHandle w);
    void PlaceHeldHiddenWindows();
    void PlaceLiveWindows(Size screen, const Rect& cell);
    void ReportChanges();
    static unsigned AutoHideInterval(int delayMs);

    WindowSystem& m_windows;
    OptionsModel& m_options;
    EngineState& m_state;
    HideMode& m_hideMode;
    MonitorSurface& m_surface;
    std::unique_ptr<Timer> m_timer1; // refresh
    std::unique_ptr<Timer> m_timer2; // auto hide
    std::size_t m_subscription = 0;

    Rect m_focusFrame;
    std::string m_label = "(0,0)";
    MiniatureList m_miniatures;
    // Class names of windows that have miniatures (forgotten with the miniature).
    HandleCache<std::string> m_classNames;
    // The refresh's list of top-level windows, kept so that a refresh allocates nothing.
    std::vector<WindowHandle> m_zOrder;
    MonitorLayout m_layout;
    bool m_shown = false;
    bool m_active = false;
};

} // namespace zim
