#include "engine/desktop_engine.h"

#include "engine/classification.h"

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
    ShowPendingWarning();
    return true;
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
    m_windows.EnumWindows([&](WindowHandle w) { return MoveWindowProc(w, request); });
    // The wallpaper of the new desktop follows with the per-desktop wallpaper feature.
}

bool DesktopEngine::MoveWindowProc(WindowHandle w, const MoveRequest& request)
{
    if (m_windows.IsIconic(w) || !m_windows.IsWindow(w) || w == m_state.DragWnd)
    {
        return true;
    }

    std::int32_t dx = request.DX;
    std::int32_t dy = request.DY;
    const Point current = m_state.Grid.Current();
    if (request.Mode == MoveRequest::kAppStarted)
    {
        const Size screen = m_windows.GetScreenSize();
        dx = screen.width * (request.DX - current.x);
        dy = screen.height * (request.DY - current.y);
    }

    if (IsStickyWindow(w))
    {
        // The window stays; the monitor moves its miniature into the newly shown
        // cell. One that became sticky while it lay on another desktop (its
        // caption changed) would stay there for good: it comes onto the screen.
        if (request.Mode == MoveRequest::kSwitch && m_windows.IsWindowVisible(w))
        {
            zim::BringOnScreenProc(m_windows, w, kSwitchProbeMs);
        }
        return true;
    }

    const bool replace = request.Mode == MoveRequest::kSendToDesktop || request.Mode == MoveRequest::kAppStarted;
    if (m_hideMode.TakesHideMode(w, dx, dy))
    {
        // Invisible windows are not skipped here: hide mode decides about them.
        if (m_windows.ProbeWindow(w, kSwitchProbeMs))
        {
            m_hideMode.HideModeMove(w, dx, dy);
        }
        else
        {
            m_frozen.QueueFrozenWindow(w, dx, dy, replace);
        }
        return true;
    }

    if (!m_windows.IsWindowVisible(w))
    {
        return true;
    }
    if (!MoveIfAnswering(w, dx, dy))
    {
        m_frozen.QueueFrozenWindow(w, dx, dy, replace);
    }
    return true;
}

bool DesktopEngine::MoveIfAnswering(WindowHandle w, std::int32_t dx, std::int32_t dy)
{
    if (!m_windows.ProbeWindow(w, kSwitchProbeMs))
    {
        return false;
    }
    if (const auto rect = m_windows.GetWindowRect(w))
    {
        m_windows.MoveWindow(w, {rect->left + dx, rect->top + dy});
    }
    return true;
}

Point DesktopEngine::WindowDesktopOffset(WindowHandle w)
{
    return m_state.Grid.OffsetOf(m_windows.GetWindowRect(w).value_or(Rect{}), m_windows.GetScreenSize(),
                                 m_windows.GetCaptionFrameHeight());
}

void DesktopEngine::ActivateTopWindow()
{
    for (WindowHandle w = m_windows.GetTopWindow(); w != kNoWindow && m_windows.IsWindow(w);
         w = m_windows.GetNextWindow(w))
    {
        // A window left to a mover has not moved yet: brought to the front, it
        // would leave the screen in the foreground when it answers, and the
        // follow of the active window would switch the view back after it.
        if (WindowDesktopOffset(w) == Point{0, 0} && m_windows.IsWindowVisible(w) && !IsBeingMoved(w))
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
