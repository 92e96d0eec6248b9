#pragma once

// The main window's 50 ms input tick: switching when the pointer rests against
// a screen edge, and following the active window when it lies on another
// desktop (after a click on its task-bar button, say).

#include "engine/desktop_engine.h"
#include "engine/engine_state.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <functional>

namespace zim
{

class EdgeScroller
{
public:
    // How long the foreground window may take to say what lies under the pointer.
    static constexpr unsigned kHitTestTimeoutMs = 50;
    // The follow's margin: a window showing less than this on screen counts as off it.
    static constexpr int kFollowMargin = 20;

    // The screen's size and work area come from the main window, which keeps
    // them up to date; a tick does not ask the window system for them.
    EdgeScroller(WindowSystem& windows, const OptionsModel& options, EngineState& state, DesktopEngine& engine,
                 Timer& timer2, std::function<Size()> screenSize, std::function<Rect()> workArea);

    // The monitor's refresh, held off around an edge-scroll switch; null when there is none.
    void SetRefreshTimer(Timer* timer) { m_refresh = timer; }

    // One tick of the input timer.
    void Timer2Timer();
    // Switches towards the edge the pointer rests against, moving the pointer first.
    void MouseScroll(Point p, const Rect& bounds, bool buttonDown);
    // Switches to the desktop of a foreground window that lies off the shown screen.
    void FollowActiveWindow();

    int DwellTime() const { return m_dwellTime; }

private:
    static bool OnEdge(Point p, const Rect& bounds);
    // The foreground window when it says the pointer is on its title bar.
    WindowHandle CaptionDragged(Point p);

    WindowSystem& m_windows;
    const OptionsModel& m_options;
    EngineState& m_state;
    DesktopEngine& m_engine;
    Timer& m_timer2;
    std::function<Size()> m_screenSize;
    std::function<Rect()> m_workArea;
    Timer* m_refresh = nullptr;
    int m_dwellTime = 0;      // milliseconds at an edge in consecutive ticks
    bool m_dragAsked = false; // this tick has asked for a title-bar drag (a drag found sets DragWnd)
};

} // namespace zim
