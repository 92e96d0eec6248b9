#pragma once

// The switch. There is one real screen; every desktop is a screen-sized area of
// one plane, and a switch moves every window that belongs to some desktop by
// whole screen sizes so that the target desktop's windows come onto the screen.
// Which desktop a window belongs to is read from its position, never stored.
// Whatever follows a switch (the monitor, the wallpaper) listens to the grid.

#include "engine/engine_state.h"
#include "engine/frozen_windows.h"
#include "engine/handle_cache.h"
#include "engine/hide_mode.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zim
{

// The parameter block of MoveWindowProc.
struct MoveRequest
{
    enum Mode : std::int32_t
    {
        kSwitch = 0,        // DX, DY: the pixel shift of a switch
        kSendToDesktop = 2, // DX, DY: pixel shift; replaces a frozen window's pending shift
        kAppStarted = 10,   // DX, DY: target column and row; replaces a pending shift
    };
    std::int32_t DX = 0;
    std::int32_t DY = 0;
    std::int32_t Mode = kSwitch;
};

class DesktopEngine
{
public:
    // A switch gives each window this long to answer before handing it on.
    static constexpr unsigned kSwitchProbeMs = 100;
    // Elsewhere (gathering windows at exit) a window gets this long.
    static constexpr unsigned kProbeMs = HideMode::kProbeMs;

    DesktopEngine(WindowSystem& windows, Shell& shell, const OptionsModel& options, EngineState& state,
                  HideMode& hideMode, FrozenWindows& frozen);
    DesktopEngine(const DesktopEngine&) = delete;
    DesktopEngine& operator=(const DesktopEngine&) = delete;

    // The main window's input timer, created after the engine; null once it is gone.
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }
    // The monitor's own window, never remembered as a desktop's active window.
    void SetMonitorWindow(WindowHandle window) { m_monitorWindow = window; }
    WindowHandle MonitorWindow() const { return m_monitorWindow; }

    // The switch, the one entry of every switch whatever starts it. Returns
    // false when refused: a target outside the grid or a pending application start.
    bool DrawGrid1SelectCell(int column, int row);
    // Neighbour targets without any range check; the switch refuses what lies outside.
    void LabelEffect3Click() { DrawGrid1SelectCell(Current().x, Current().y + 1); } // down
    void LabelEffect4Click() { DrawGrid1SelectCell(Current().x - 1, Current().y); } // left
    void LabelEffect5Click() { DrawGrid1SelectCell(Current().x + 1, Current().y); } // right
    void LabelEffect6Click() { DrawGrid1SelectCell(Current().x, Current().y - 1); } // up

    // In three rounds: every window is classified without a message sent to
    // it; every window that will move is probed, all side by side; then, in the
    // z-order, those that answered are moved by their own threads (nothing here
    // waits for them), the others are handed to movers, and hide mode hides and
    // shows.
    void ShiftDesktops(int columns, int rows);
    // For one top-level window; always true so that an enumeration visits every
    // window. Asked for in the middle of a switch, it runs once that is over.
    bool MoveWindowProc(WindowHandle w, const MoveRequest& request);
    // A switch is under way (from its first step to its last).
    bool IsSwitching() const { return m_switching; }
    // Runs `work` now, or after the switch under way.
    void AfterSwitch(std::function<void()> work);
    // The window's desktop relative to the shown one, in whole desktops. A
    // window whose own thread has not yet carried out a switch's move counts
    // where that move puts it.
    Point WindowDesktopOffset(WindowHandle w);
    void ActivateTopWindow();
    // The shown desktop's remembered window when it is still there, else the top window.
    void ActivateShownDesktop();
    // Moves a window lying wholly off the visible screen back onto it; always true.
    bool BringOnScreenProc(WindowHandle w) { return zim::BringOnScreenProc(m_windows, w, kProbeMs); }
    // Every top-level window back onto the visible screen (exit, session end).
    void BringAllOnScreen();

    // The warning about frozen windows left without a worker, once the moves that
    // met them are over.
    // Once the box has gone the system activates a window of its choosing, which
    // may lie on another desktop and pull the view there: the shown desktop's
    // window is activated again.
    void ShowPendingWarning();

    bool IsStickyWindow(WindowHandle w);
    // The window waits for a mover of its own: the engine is moving it.
    bool IsBeingMoved(WindowHandle w) const { return m_frozen.PendingShift(w).has_value(); }
    bool IsCompatibilityClass(WindowHandle w);

    const DesktopGrid& Grid() const { return m_state.Grid; }
    Point Current() const { return m_state.Grid.Current(); }

private:
    // One window's part in a shift, decided before any message is sent to it.
    struct PlannedMove
    {
        enum Kind
        {
            kMove,     // an ordinary move by (dx, dy)
            kHideMode, // HideModeMove by (dx, dy)
            kOnScreen, // a sticky window lying off the screen: to `place`
        };
        WindowHandle w = kNoWindow;
        Kind kind = kMove;
        std::int32_t dx = 0;
        std::int32_t dy = 0;
        Point place;
    };

    std::optional<PlannedMove> PlanMove(WindowHandle w, const MoveRequest& request);
    // Whether the plan needs the window's answer first.
    static bool NeedsProbe(const PlannedMove& plan) { return plan.kind != PlannedMove::kOnScreen; }
    void CarryOut(const PlannedMove& plan, bool answered, bool replace);
    void MoveWindows(const std::vector<WindowHandle>& windows, const MoveRequest& request);
    void Expect(WindowHandle w, const WindowState& before, const WindowState& after);
    void ForgetSettledExpectation(WindowHandle w, const std::optional<WindowState>& actual);
    // The class name as compared with the lists, asked of the system once per handle.
    const std::string& ClassNameOf(WindowHandle w);
    // The rectangle and visibility the window has or is about to have.
    std::optional<WindowState> ExpectedState(WindowHandle w);
    Point OffsetOf(const Rect& r);
    void RunDeferred();

    WindowSystem& m_windows;
    Shell& m_shell;
    const OptionsModel& m_options;
    EngineState& m_state;
    HideMode& m_hideMode;
    FrozenWindows& m_frozen;
    Timer* m_inputTimer = nullptr;
    WindowHandle m_monitorWindow = kNoWindow;
    bool m_switching = false;
    std::vector<std::function<void()>> m_deferred;
    // Asynchronous moves, hides and shows not yet seen carried out: the state
    // the window had when they were asked for, and the state they give it.
    struct Expected
    {
        WindowState before;
        WindowState after;
    };
    std::map<WindowHandle, Expected> m_expected;
    // A window's class never changes while its handle names it; a switch
    // forgets the handles it no longer finds.
    HandleCache<std::string> m_classNames;
    // Its thread has not yet carried out what was asked: it is where it was then.
    static bool StillPending(const std::optional<WindowState>& actual, const Expected& expected)
    {
        return actual && actual->rect == expected.before.rect && actual->visible == expected.before.visible;
    }
};

} // namespace zim
