#include "input/edge_scroller.h"

namespace zim
{

EdgeScroller::EdgeScroller(WindowSystem& windows, const OptionsModel& options, EngineState& state,
                           DesktopEngine& engine, Timer& timer2, std::function<Size()> screenSize,
                           std::function<Rect()> workArea)
    : m_windows(windows), m_options(options), m_state(state), m_engine(engine), m_timer2(timer2),
      m_screenSize(std::move(screenSize)), m_workArea(std::move(workArea))
{
}

void EdgeScroller::Timer2Timer()
{
    const bool wasEnabled = m_timer2.IsEnabled();
    m_timer2.SetEnabled(false);
    bool atEdge = false;

    const Options& options = m_options.Get();
    if (options.mouseScroll && m_state.AppStarting == 0)
    {
        const Point p = m_windows.GetCursorPos();
        const Size screen = m_screenSize();
        const Rect screenBounds{0, 0, screen.width, screen.height};
        const Rect workArea = m_workArea();
        Rect bounds = screenBounds;
        bool buttonDown = false;
        // The button counts only on an edge: of the screen, or of the work area
        // that bounds a window dragged by its title bar. Elsewhere the tick
        // spares the window system the question.
        if (OnEdge(p, screenBounds) || OnEdge(p, workArea))
        {
            buttonDown = KeyIsDown(m_windows.GetAsyncKeyState(vk::kLButton));
            const WindowHandle dragged = buttonDown ? CaptionDragged(p) : kNoWindow;
            m_dragAsked = true; // the follow need not ask again in this tick
            if (dragged != kNoWindow)
            {
                // A window dragged by its title bar travels with the switch; it cannot
                // reach the screen edge behind the task bar, so the work area bounds it.
                m_state.DragWnd = dragged;
                bounds = workArea;
            }
            atEdge = OnEdge(p, bounds);
        }
        if (atEdge)
        {
            m_dwellTime += static_cast<int>(m_timer2.Interval());
        }
        else
        {
            m_dwellTime = 0;
        }

        if (m_dwellTime >= options.mouseDelay)
        {
            m_dwellTime = 0;
            const bool refreshWasEnabled = m_refresh && m_refresh->IsEnabled();
            if (m_refresh)
            {
                m_refresh->SetEnabled(false);
            }
            MouseScroll(p, bounds, buttonDown);
            if (m_refresh)
            {
                m_refresh->SetEnabled(refreshWasEnabled);
            }
        }
    }

    if (!atEdge)
    {
        FollowActiveWindow();
    }

    m_timer2.SetEnabled(wasEnabled);
    m_state.DragWnd = kNoWindow;
    m_dragAsked = false;
}

bool EdgeScroller::OnEdge(Point p, const Rect& bounds)
{
    return p.x == bounds.left || p.y == bounds.top || p.x == bounds.right - 1 || p.y == bounds.bottom - 1;
}

WindowHandle EdgeScroller::CaptionDragged(Point p)
{
    // A hung foreground window gets no say rather than stalling the tick.
    const WindowHandle foreground = m_windows.GetForegroundWindow();
    return m_windows.HitTest(foreground, p, kHitTestTimeoutMs) == hit::kCaption ? foreground : kNoWindow;
}

void EdgeScroller::MouseScroll(Point p, const Rect& bounds, bool buttonDown)
{
    const Options& options = m_options.Get();
    const bool gateOpen = (!options.mouseShift || KeyIsDown(m_windows.GetKeyState(vk::kShift))) &&
                          (!options.mouseControl || KeyIsDown(m_windows.GetKeyState(vk::kControl))) &&
                          (!options.mouseAlt || KeyIsDown(m_windows.GetKeyState(vk::kMenu)));
    // A button held on a client area is a selection or a drag inside a window, not a switch.
    if (gateOpen && !(buttonDown && m_state.DragWnd == kNoWindow))
    {
        const bool wrap = options.wrapCursor;
        const Point current = m_state.Grid.Current();
        // An edge without a neighbour passes on to the next direction: at the
        // bottom-right corner of the last column the view scrolls down.
        if (p.x == bounds.right - 1 && current.x != m_state.Grid.Columns() - 1)
        {
            m_windows.SetCursorPos(wrap ? Point{bounds.left + 10, p.y} : Point{p.x - 20, p.y});
            m_engine.LabelEffect5Click();
        }
        else if (p.x == bounds.left && current.x != 0)
        {
            m_windows.SetCursorPos(wrap ? Point{bounds.right - 10, p.y} : Point{p.x + 20, p.y});
            m_engine.LabelEffect4Click();
        }
        else if (p.y == bounds.bottom - 1 && current.y != m_state.Grid.Rows() - 1)
        {
            m_windows.SetCursorPos(wrap ? Point{p.x, bounds.top + 10} : Point{p.x, p.y - 20});
            m_engine.LabelEffect3Click();
        }
        else if (p.y == bounds.top && current.y != 0)
        {
            m_windows.SetCursorPos(wrap ? Point{p.x, bounds.bottom - 10} : Point{p.x, p.y + 20});
            m_engine.LabelEffect6Click();
        }
    }
    m_state.DragWnd = kNoWindow;
}

void EdgeScroller::FollowActiveWindow()
{
    if (!m_options.Get().taskSwitch || m_state.DragWnd != kNoWindow || m_state.AppStarting != 0)
    {
        return;
    }
    const WindowHandle f = m_windows.GetForegroundWindow();
    const auto rect = m_windows.GetWindowRect(f);
    if (!rect)
    {
        return;
    }
    const Rect& r = *rect;
    const Size screen = m_screenSize();
    const bool offScreen = r.right - kFollowMargin < 0 || r.bottom - kFollowMargin < 0 ||
                           r.left + kFollowMargin > screen.width ||
                           r.top + m_windows.GetCaptionFrameHeight() > screen.height;
    // Minimised windows rest at -32000 and never pull the view along.
    if (!offScreen || !m_windows.IsWindowVisible(f) || m_windows.IsIconic(f) || !m_windows.IsWindow(f) ||
        r.left <= -31000 || m_engine.IsStickyWindow(f) || m_engine.IsBeingMoved(f))
    {
        return;
    }
    const Point offset = m_engine.WindowDesktopOffset(f);
    if (offset == Point{0, 0})
    {
        return;
    }
    // A window dragged by its title bar is the user's to place, wherever it is;
    // the tick asks only now, when the follow would act.
    if (m_options.Get().mouseScroll && !m_dragAsked && KeyIsDown(m_windows.GetAsyncKeyState(vk::kLButton)) &&
        CaptionDragged(m_windows.GetCursorPos()) != kNoWindow)
    {
        return;
    }
    const Point current = m_state.Grid.Current();
    const int tx = current.x + offset.x;
    const int ty = current.y + offset.y;
    if (m_state.Grid.Contains(tx, ty))
    {
        m_state.LastActiveWnd[tx][ty] = f; // activated on arrival
    }
    m_engine.DrawGrid1SelectCell(tx, ty);
}

} // namespace zim
