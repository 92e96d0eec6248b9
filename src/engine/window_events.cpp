#include "engine/window_events.h"

#include "engine/desktop_math.h"
#include "platform/hook_library.h"

#include <algorithm>
#include <limits>

namespace zim
{
namespace
{

// A modal warning about frozen windows waits until the moves are over.
struct WarningAfterMoves
{
    DesktopEngine& engine;
    ~WarningAfterMoves() { engine.ShowPendingWarning(); }
};

// Moves started here must not race an edge-scroll or follow tick; the timer
// comes back as it was, so a timer that was off stays off.
class InputTimerPause
{
public:
    explicit InputTimerPause(Timer* timer) : m_timer(timer), m_wasEnabled(timer && timer->IsEnabled())
    {
        if (m_timer)
        {
            m_timer->SetEnabled(false);
        }
    }
    InputTimerPause(const InputTimerPause&) = delete;
    InputTimerPause& operator=(const InputTimerPause&) = delete;
    ~InputTimerPause()
    {
        if (m_timer)
        {
            m_timer->SetEnabled(m_wasEnabled);
        }
    }

private:
    Timer* m_timer;
    bool m_wasEnabled;
};

} // namespace

WindowEvents::WindowEvents(WindowSystem& windows, Scheduler& scheduler, EngineState& state, DesktopEngine& engine)
    : m_windows(windows), m_scheduler(scheduler), m_state(state), m_engine(engine),
      m_expiryTimer(scheduler.CreateTimer(kAppStartExpiryMs, [this] { ExpireAppStarts(); }))
{
}

void WindowEvents::OnSendToDesktop(std::uintptr_t window, std::intptr_t commandId)
{
    // A command id is a 32-bit value; a larger one would alias a real id once cut.
    if (commandId < 0 || static_cast<std::uintmax_t>(commandId) > std::numeric_limits<std::uint32_t>::max())
    {
        return;
    }
    const WindowHandle w = static_cast<WindowHandle>(window);
    const DesktopGrid& grid = m_state.Grid;
    const auto cell = hookmsg::CommandCell(static_cast<std::uint32_t>(commandId), grid.Columns(), grid.Rows());
    if (!cell || !m_windows.IsWindow(w) || !IsTopLevel(w))
    {
        return;
    }

    // Declared first, so that the warning comes after the timer is back.
    const WarningAfterMoves warning{m_engine};
    const InputTimerPause pause(m_inputTimer);
    const Size screen = m_windows.GetScreenSize();
    const Point offset = m_engine.WindowDesktopOffset(w);
    const Point current = grid.Current();
    const MoveRequest request{screen.width * (cell->column - (offset.x + current.x)),
                              screen.height * (cell->row - (offset.y + current.y)), MoveRequest::kSendToDesktop};
    m_engine.MoveWindowProc(w, request);
    // The sent window may have been the active one: a window of the shown desktop takes over.
    m_engine.ActivateTopWindow();
}

bool WindowEvents::IsTopLevel(WindowHandle w)
{
    // Only a top-level window has a system menu of its own; a child window's
    // handle, sent by a confused or hostile program, must not be moved.
    bool found = false;
    m_windows.EnumWindows(
        [&](WindowHandle candidate)
        {
            found = candidate == w;
            return !found;
        });
    return found;
}

void WindowEvents::OnAppStarting()
{
    const Point current = m_state.Grid.Current();
    const WindowHandle foreground = m_windows.GetForegroundWindow();
    // As in a switch, the monitor is never a desktop's window to come back to.
    if (m_engine.MonitorWindow() == kNoWindow || foreground != m_engine.MonitorWindow())
    {
        m_state.LastActiveWnd[current.x][current.y] = foreground;
    }
    ++m_state.AppStarting;
    m_startDeadlines.push_back(m_scheduler.NowMs() + kAppStartExpiryMs);
    ArmExpiry();
}

void WindowEvents::OnAppStarted(std::uintptr_t desktopNumber, std::intptr_t processId)
{
    const int columns = m_state.Grid.Columns();
    const int desktops = columns * m_state.Grid.Rows();
    // Process id 0 is a start that failed: nothing to place, only the start to end.
    const bool validProcess =
        processId > 0 && static_cast<std::uintmax_t>(processId) <= std::numeric_limits<std::uint32_t>::max();
    if (validProcess && desktopNumber >= 1 && desktopNumber <= static_cast<std::uintptr_t>(desktops))
    {
        const Point target = DesktopFromNumber(static_cast<int>(desktopNumber), columns);
        const AppStartRequest request{target.x, target.y, static_cast<std::uint32_t>(processId)};
        // Declared first, so that the warning comes after the timer is back.
        const WarningAfterMoves warning{m_engine};
        const InputTimerPause pause(m_inputTimer);
        m_windows.EnumWindows([&](WindowHandle w) { return AppStartedProc(w, request); });
        // The window that was active when the start was announced becomes active again.
        const Point current = m_state.Grid.Current();
        const WindowHandle remembered = m_state.LastActiveWnd[current.x][current.y];
        if (m_windows.IsWindow(remembered))
        {
            m_windows.SetActiveWindow(remembered);
        }
    }

    // Unmatched reports never push the count below zero, where it would let a
    // later announced start go unguarded.
    m_state.AppStarting = std::max(0, m_state.AppStarting - 1);
    if (!m_startDeadlines.empty())
    {
        m_startDeadlines.pop_front();
    }
    ArmExpiry();
}

bool WindowEvents::AppStartedProc(WindowHandle w, const AppStartRequest& request)
{
    if (m_windows.IsWindow(w) && m_windows.GetWindowProcessId(w) == request.ProcessId)
    {
        m_engine.MoveWindowProc(w, {request.TX, request.TY, MoveRequest::kAppStarted});
    }
    return true;
}

void WindowEvents::ExpireAppStarts()
{
    const std::uint64_t now = m_scheduler.NowMs();
    int expired = 0;
    while (!m_startDeadlines.empty() && m_startDeadlines.front() <= now)
    {
        m_startDeadlines.pop_front();
        ++expired;
    }
    m_state.AppStarting = std::max(0, m_state.AppStarting - expired);
    ArmExpiry();
}

void WindowEvents::ArmExpiry()
{
    if (m_startDeadlines.empty())
    {
        m_expiryTimer->SetEnabled(false);
        return;
    }
    const std::uint64_t now = m_scheduler.NowMs();
    const std::uint64_t due = m_startDeadlines.front();
    m_expiryTimer->SetInterval(due > now ? static_cast<unsigned>(due - now) : 1u);
    m_expiryTimer->SetEnabled(true);
}

} // namespace zim
