#include "engine/desktop_engine.h"

#include "engine/classification.h"
#include "platform/text.h"

#include <unordered_set>

namespace zim
{

DesktopEngine::DesktopEngine(WindowSystem& windows, Shell& shell, const OptionsModel& options, EngineState& state,
                             HideMode& hideMode, FrozenWindows& frozen)
    : m_windows(windows), m_shell(shell), m_options(options), m_state(state), m_hideMode(hideMode), m_frozen(frozen)
{
}

bool DesktopEngine::DrawGrid1SelectCell(int column, int row)
{
    if (m_state.AppStarting != 0 || !m_state.Grid.Contains(column, row))
    {
        return false;
    }
    if (m_switching)
    {
        // Asked for from inside a switch (by something it set off): it follows
        // the one under way, which would otherwise leave half its windows behind.
        AfterSwitch([this, column, row] { DrawGrid1SelectCell(column, row); });
        return true;
    }
    m_switching = true;

    // No edge-scroll or follow tick may start a second switch in the middle of this one.
    const bool inputTimerWasEnabled = m_inputTimer && m_inputTimer->IsEnabled();
    if (m_inputTimer)
    {
        m_inputTimer->SetEnabled(false);
    }

    const Options& options = m_options.Get();
    if (!options.soundFile.empty())
    {
        m_shell.PlaySoundAsync(options.soundFile);
    }

    const WindowHandle foreground = m_windows.GetForegroundWindow();
    const Point from = m_state.Grid.Current();
    if (m_monitorWindow == kNoWindow || foreground != m_monitorWindow)
    {
        m_state.LastActiveWnd[from.x][from.y] = foreground;
    }

    // The new desktop is in force before any window moves: the move callbacks
    // rely on it, and the listeners (the monitor's frame and label) follow now.
    const Point to{column, row};
    m_state.Grid.MoveTo(to);

    // Not skipped for the shown desktop: a zero shift still activates its window.
    ShiftDesktops(to.x - from.x, to.y - from.y);

    if (m_state.DragWnd == kNoWindow)
    {
        ActivateShownDesktop();
    }

    // The monitor hides here when "Close when selected" is on.
    m_state.Grid.Switched(from, to);

    if (m_inputTimer)
    {
        m_inputTimer->SetEnabled(inputTimerWasEnabled);
    }
    m_switching = false;
    RunDeferred();
    ShowPendingWarning();
    return true;
}

void DesktopEngine::AfterSwitch(std::function<void()> work)
{
    if (m_switching)
    {
        m_deferred.push_back(std::move(work));
        return;
    }
    work();
}

void DesktopEngine::RunDeferred()
{
    while (!m_switching && !m_deferred.empty())
    {
        std::function<void()> work = std::move(m_deferred.front());
        m_deferred.erase(m_deferred.begin());
        work();
    }
}

void DesktopEngine::ShowPendingWarning()
{
    if (m_frozen.ShowPendingWarning() && m_state.DragWnd == kNoWindow)
    {
        ActivateShownDesktop();
    }
}

void DesktopEngine::ActivateShownDesktop()
{
    const Point current = m_state.Grid.Current();
    const WindowHandle last = m_state.LastActiveWnd[current.x][current.y];
    if (m_windows.IsWindow(last) && WindowDesktopOffset(last) == Point{0, 0} && !IsBeingMoved(last))
    {
        m_windows.SetForegroundWindow(last);
    }
    else
    {
        ActivateTopWindow();
    }
}

void DesktopEngine::ShiftDesktops(int columns, int rows)
{
    const Size screen = m_windows.GetScreenSize();
    const MoveRequest request{-columns * screen.width, -rows * screen.height, MoveRequest::kSwitch};
    std::vector<WindowHandle> windows;
    m_windows.EnumWindows(
        [&](WindowHandle w)
        {
            windows.push_back(w);
            return true;
        });
    // What is known of windows that are gone is dropped now: a handle value
    // that comes back names another window.
    const std::unordered_set<WindowHandle> present(windows.begin(), windows.end());
    m_classNames.KeepOnly([&](WindowHandle w) { return present.contains(w); });
    std::erase_if(m_expected, [&](const auto& entry) { return !present.contains(entry.first); });
    MoveWindows(windows, request);
    // The wallpaper of the new desktop follows with the per-desktop wallpaper feature.
}

bool DesktopEngine::MoveWindowProc(WindowHandle w, const MoveRequest& request)
{
    if (m_switching)
    {
        AfterSwitch([this, w, request] { MoveWindowProc(w, request); });
        return true;
    }
    MoveWindows({w}, request);
    return true;
}

void DesktopEngine::MoveWindows(const std::vector<WindowHandle>& windows, const MoveRequest& request)
{
    std::vector<PlannedMove> plans;
    plans.reserve(windows.size());
    std::vector<WindowHandle> asked;
    asked.reserve(windows.size());
    for (const WindowHandle w : windows)
    {
        if (const auto plan = PlanMove(w, request))
        {
            plans.push_back(*plan);
            if (NeedsProbe(*plan))
            {
                asked.push_back(w);
            }
        }
    }

    const std::vector<bool> answers = asked.size() == 1
                                          ? std::vector<bool>{m_windows.ProbeWindow(asked[0], kSwitchProbeMs)}
                                          : m_windows.ProbeWindows(asked, kSwitchProbeMs);
    const bool replace = request.Mode == MoveRequest::kSendToDesktop || request.Mode == MoveRequest::kAppStarted;
    std::size_t next = 0;
    for (const PlannedMove& plan : plans)
    {
        const bool answered = NeedsProbe(plan) ? (next < answers.size() && answers[next++]) : true;
        CarryOut(plan, answered, replace);
    }
}

std::optional<DesktopEngine::PlannedMove> DesktopEngine::PlanMove(WindowHandle w, const MoveRequest& request)
{
    // One state and one class name: what each step below asks of the window.
    const std::optional<WindowState> state = m_windows.GetWindowState(w);
    // Settled here, for windows this shift skips too: an earlier move carried
    // out long ago must not be taken for pending once the window is back where
    // that move found it (hidden and shown again at its own place, say).
    ForgetSettledExpectation(w, state);
    if (!state || state->iconic || w == m_state.DragWnd)
    {
        return std::nullopt;
    }
    const Options& options = m_options.Get();
    const std::string& className = ClassNameOf(w);

    std::int32_t dx = request.DX;
    std::int32_t dy = request.DY;
    const Point current = m_state.Grid.Current();
    if (request.Mode == MoveRequest::kAppStarted)
    {
        const Size screen = m_windows.GetScreenSize();
        dx = screen.width * (request.DX - current.x);
        dy = screen.height * (request.DY - current.y);
    }

    if (zim::IsStickyWindow(options, className,
                            [&] { return text::TruncateChars(m_windows.GetWindowText(w), kMaxNameChars); }))
    {
        // The window stays; the monitor moves its miniature into the newly shown
        // cell. One that became sticky while it lay on another desktop (its
        // caption changed) would stay there for good: it comes onto the screen,
        // moved by its own thread whether it answers now or later.
        if (request.Mode == MoveRequest::kSwitch && state->visible)
        {
            if (const auto place = OnScreenPlaceFor(m_windows, state->rect))
            {
                return PlannedMove{w, PlannedMove::kOnScreen, 0, 0, *place};
            }
        }
        return std::nullopt;
    }

    // Invisible windows are not skipped here: hide mode decides about them.
    if (m_hideMode.TakesHideMode(w, options.compatibilityClasses.IsChecked(className), *state, dx, dy))
    {
        return PlannedMove{w, PlannedMove::kHideMode, dx, dy, {}};
    }
    if (!state->visible)
    {
        return std::nullopt;
    }
    return PlannedMove{w, PlannedMove::kMove, dx, dy, {}};
}

void DesktopEngine::CarryOut(const PlannedMove& plan, bool answered, bool replace)
{
    const WindowHandle w = plan.w;
    // It may have died since it was classified, or while it was probed.
    const auto before = m_windows.GetWindowState(w);
    if (!before)
    {
        return;
    }
    ForgetSettledExpectation(w, before);
    if (plan.kind != PlannedMove::kOnScreen && !answered)
    {
        m_frozen.QueueFrozenWindow(w, plan.dx, plan.dy, replace);
        return;
    }
    switch (plan.kind)
    {
    case PlannedMove::kOnScreen:
        // Asynchronous: it answered or not, its own thread moves it.
        m_windows.MoveWindowAsync(w, plan.place);
        Expect(w, *before,
               {Rect::FromSize(plan.place.x, plan.place.y, before->rect.Width(), before->rect.Height()),
                before->visible, before->iconic});
        break;
    case PlannedMove::kHideMode:
        if (const auto after = m_hideMode.HideModeMove(w, plan.dx, plan.dy, true))
        {
            Expect(w, *before, *after);
        }
        break;
    case PlannedMove::kMove:
        // It answered a moment ago but may hang before its thread runs the
        // move: the move is left to that thread, never waited for.
        m_windows.MoveWindowAsync(w, {before->rect.left + plan.dx, before->rect.top + plan.dy});
        Expect(w, *before, {before->rect.Offset(plan.dx, plan.dy), before->visible, before->iconic});
        break;
    }
}

void DesktopEngine::Expect(WindowHandle w, const WindowState& before, const WindowState& after)
{
    if (before == after)
    {
        return;
    }
    // A move of one still on its way starts from where the first leaves it.
    const auto it = m_expected.find(w);
    const WindowState start = it != m_expected.end() ? it->second.before : before;
    m_expected[w] = {start, after};
}

void DesktopEngine::ForgetSettledExpectation(WindowHandle w, const std::optional<WindowState>& actual)
{
    // Carried out, or overtaken by another move: not waited for any more.
    if (const auto it = m_expected.find(w); it != m_expected.end() && !StillPending(actual, it->second))
    {
        m_expected.erase(it);
    }
}

const std::string& DesktopEngine::ClassNameOf(WindowHandle w)
{
    return m_classNames.Get(w, [&] { return ComparedClassName(m_windows, w); });
}

std::optional<WindowState> DesktopEngine::ExpectedState(WindowHandle w)
{
    const auto actual = m_windows.GetWindowState(w);
    const auto it = m_expected.find(w);
    if (it == m_expected.end())
    {
        return actual;
    }
    if (StillPending(actual, it->second))
    {
        return it->second.after; // its thread has not got round to it yet
    }
    // Carried out, overtaken by another move, or gone.
    m_expected.erase(it);
    return actual;
}

Point DesktopEngine::WindowDesktopOffset(WindowHandle w)
{
    const auto state = ExpectedState(w);
    return OffsetOf(state ? state->rect : Rect{});
}

Point DesktopEngine::OffsetOf(const Rect& r)
{
    return m_state.Grid.OffsetOf(r, m_windows.GetScreenSize(), m_windows.GetCaptionFrameHeight());
}

void DesktopEngine::ActivateTopWindow()
{
    for (WindowHandle w = m_windows.GetTopWindow(); w != kNoWindow && m_windows.IsWindow(w);
         w = m_windows.GetNextWindow(w))
    {
        // A window left to a mover has not moved yet: brought to the front, it
        // would leave the screen in the foreground when it answers, and the
        // follow of the active window would switch the view back after it.
        const auto state = ExpectedState(w);
        if (state && state->visible && OffsetOf(state->rect) == Point{0, 0} && !IsBeingMoved(w))
        {
            m_windows.SetForegroundWindow(w);
            return;
        }
    }
    m_windows.SetForegroundWindow(m_windows.GetDesktopWindow());
}

void DesktopEngine::BringAllOnScreen()
{
    m_windows.EnumWindows([&](WindowHandle w) { return BringOnScreenProc(w); });
}

bool DesktopEngine::IsStickyWindow(WindowHandle w)
{
    return zim::IsStickyWindow(m_windows, m_options.Get(), w);
}

bool DesktopEngine::IsCompatibilityClass(WindowHandle w)
{
    return zim::IsCompatibilityClass(m_windows, m_options.Get(), w);
}

} // namespace zim
