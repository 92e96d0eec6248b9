#pragma once

// The desktop grid and the switch. There is one real screen; every desktop is a
// screen-sized area of one plane, and a switch moves every window that belongs
// to some desktop by whole screen sizes so that the target desktop's windows
// come onto the screen. Which desktop a window belongs to is read from its
// position, never stored.

#include "engine/engine_state.h"
#include "engine/monitor_view.h"
#include "engine/mover.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstdint>
#include <functional>
#include <string>

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
    // Beyond this many frozen windows at once a new one is left where it is.
    static constexpr int kMaxMoveThreads = 17;
    static constexpr const char* kTooManyFrozenWindows = "The system appears to have more than 16 frozen windows! "
                                                         "Zim Desk can loose some of them if not taken care of.";

    // A switch gives each window this long to answer before handing it on.
    static constexpr unsigned kSwitchProbeMs = 100;
    // Elsewhere (gathering windows at exit) a window gets this long.
    static constexpr unsigned kProbeMs = 1000;

    DesktopEngine(WindowSystem& windows, Shell& shell, const OptionsModel& options, EngineState& state);
    DesktopEngine(const DesktopEngine&) = delete;
    DesktopEngine& operator=(const DesktopEngine&) = delete;

    // Parts created after the engine: the monitor and the main window's input timer.
    void SetMonitor(MonitorView* monitor) { m_monitor = monitor; }
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }
    void SetMoverRunner(MoverRunner* runner) { m_runner = runner; }
    // Shows a modal warning to the user.
    void SetWarning(std::function<void(const std::string&)> warn) { m_warn = std::move(warn); }

    // The switch, the one entry of every switch whatever starts it. Returns
    // false when refused: a target outside the grid or a pending application start.
    bool DrawGrid1SelectCell(int column, int row);
    // Neighbour targets without any range check; the switch refuses what lies outside.
    void LabelEffect3Click() { DrawGrid1SelectCell(m_state.CurrentX, m_state.CurrentY + 1); } // down
    void LabelEffect4Click() { DrawGrid1SelectCell(m_state.CurrentX - 1, m_state.CurrentY); } // left
    void LabelEffect5Click() { DrawGrid1SelectCell(m_state.CurrentX + 1, m_state.CurrentY); } // right
    void LabelEffect6Click() { DrawGrid1SelectCell(m_state.CurrentX, m_state.CurrentY - 1); } // up

    void ShiftDesktops(int columns, int rows);
    // For one top-level window; always true so that an enumeration visits every window.
    bool MoveWindowProc(WindowHandle w, const MoveRequest& request);
    // The window's desktop relative to the shown one, in whole desktops.
    Point WindowDesktopOffset(WindowHandle w);
    void ActivateTopWindow();
    // A window rectangle, shifted by (dx, dy) pixels, in the monitor grid's pixels.
    Rect ScreenToMonitorRect(const Rect& r, std::int32_t dx, std::int32_t dy);
    // Moves a window lying wholly off the visible screen back onto it; always true.
    bool BringOnScreenProc(WindowHandle w);
    // Every top-level window back onto the visible screen (exit, session end).
    void BringAllOnScreen();
    // Shows every window hide mode still holds hidden and forgets them all (exit, session end).
    void ShowHeldHiddenWindows();

    bool IsStickyWindow(WindowHandle w);
    bool IsCompatibilityClass(WindowHandle w);

    // Hide mode, for windows that must not live off the visible screen: a window
    // leaving the screen is hidden and parked on it, and shown again at its old
    // place when its desktop is shown again.
    void HideModeMove(WindowHandle w, std::int32_t dx, std::int32_t dy);
    // Whether a rectangle meets the screen area of desktop (column, row).
    bool RectOnDesktop(int column, int row, const Rect& r);
    // Drops entries of windows that died or were shown again.
    void PackHideWndList();

    // A window that did not answer in time: a worker moves it once it answers.
    void QueueFrozenWindow(WindowHandle w, std::int32_t dx, std::int32_t dy, std::int32_t mode);
    // A worker has ended; on the GUI thread.
    void DelThread(WindowHandle w);
    // At exit: every frozen window is gathered like the rest, so no pending shift may follow.
    void CancelFrozenWindows();

    // Grid bounds of the switch: the monitor grid's counts.
    int GridColumns() const;
    int GridRows() const;

private:
    bool MoveIfAnswering(WindowHandle w, std::int32_t dx, std::int32_t dy);
    void FinishFrozenWindow(const std::shared_ptr<TZIMMoveWnd>& job, TZIMMoveWnd::Outcome outcome);
    bool UsesHideMode(WindowHandle w);

    WindowSystem& m_windows;
    Shell& m_shell;
    const OptionsModel& m_options;
    EngineState& m_state;
    MonitorView* m_monitor = nullptr;
    Timer* m_inputTimer = nullptr;
    MoverRunner* m_runner = nullptr;
    std::function<void(const std::string&)> m_warn;
};

} // namespace zim
