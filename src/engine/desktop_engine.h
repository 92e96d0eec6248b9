#pragma once

// The desktop grid and the switch. There is one real screen; every desktop is a
// screen-sized area of one plane, and a switch moves every window that belongs
// to some desktop by whole screen sizes so that the target desktop's windows
// come onto the screen. Which desktop a window belongs to is read from its
// position, never stored.

#include "engine/engine_state.h"
#include "engine/monitor_view.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstdint>

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
    static constexpr unsigned kProbeMs = 1000;

    DesktopEngine(WindowSystem& windows, Shell& shell, const OptionsModel& options, EngineState& state);
    DesktopEngine(const DesktopEngine&) = delete;
    DesktopEngine& operator=(const DesktopEngine&) = delete;

    // Parts created after the engine: the monitor and the main window's input timer.
    void SetMonitor(MonitorView* monitor) { m_monitor = monitor; }
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }

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

    // Hide mode: windows that must not live off the visible screen.
    void HideModeMove(WindowHandle w, std::int32_t dx, std::int32_t dy);
    // A window that did not answer in time; it must never be moved synchronously.
    void QueueFrozenWindow(WindowHandle w, std::int32_t dx, std::int32_t dy, std::int32_t mode);

    // Grid bounds of the switch: the monitor grid's counts.
    int GridColumns() const;
    int GridRows() const;

private:
    bool MoveIfAnswering(WindowHandle w, std::int32_t dx, std::int32_t dy);

    WindowSystem& m_windows;
    Shell& m_shell;
    const OptionsModel& m_options;
    EngineState& m_state;
    MonitorView* m_monitor = nullptr;
    Timer* m_inputTimer = nullptr;
};

} // namespace zim
