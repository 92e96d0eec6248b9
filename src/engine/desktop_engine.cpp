#include "engine/desktop_engine.h"

#include "engine/classification.h"
#include "engine/desktop_math.h"

#include <string>

namespace zim
{

DesktopEngine::DesktopEngine(WindowSystem& windows, Shell& shell, const OptionsModel& options, EngineState& state)
    : m_windows(windows), m_shell(shell), m_options(options), m_state(state)
{
}

int DesktopEngine::GridColumns() const
{
    if (m_monitor)
    {
        return m_monitor->Grid().Columns();
    }
    const int size = m_options.Get().sizeX;
    return Options::IsValidGridSize(size) ? size : 3;
}

int DesktopEngine::GridRows() const
{
    if (m_monitor)
    {
        return m_monitor->Grid().Rows();
    }
    const int size = m_options.Get().sizeY;
    return Options::IsValidGridSize(size) ? size : 3;
}

bool DesktopEngine::DrawGrid1SelectCell(int column, int row)
{
    if (m_state.AppStarting != 0 || column < 0 || row < 0 || column >= GridColumns() || row >= GridRows())
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
    if (!m_monitor || foreground != m_monitor->MonitorWindow())
    {
        m_state.LastActiveWnd[m_state.CurrentX][m_state.CurrentY] = foreground;
    }

    // The new desktop is in force before any window moves: the move callbacks rely on it.
    const int dColumn = column - m_state.CurrentX;
    const int dRow = row - m_state.CurrentY;
    m_state.CurrentX = column;
    m_state.CurrentY = row;

    if (m_monitor)
    {
        const Rect cell = m_monitor->Grid().CellRect(column, row);
        m_monitor->SetFocusFrame({cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1});
        // Row first: desktop column 1, row 0 reads "(0,1)".
        std::string label = "(";
        label += std::to_string(row);
        label += ',';
        label += std::to_string(column);
        label += ')';
        m_monitor->SetCoordinateLabel(label);
    }

    // Not skipped for the shown desktop: a zero shift still activates its window.
    ShiftDesktops(dColumn, dRow);

    const WindowHandle last = m_state.LastActiveWnd[m_state.CurrentX][m_state.CurrentY];
    const Point lastOffset = WindowDesktopOffset(last);
    if (m_state.DragWnd == kNoWindow)
    {
        if (m_windows.IsWindow(last) && lastOffset == Point{0, 0})
        {
            m_windows.SetForegroundWindow(last);
        }
        else
        {
            ActivateTopWindow();
        }
    }

    if (options.closeWhenSelected && m_monitor)
    {
        m_monitor->HideMonitor();
    }

    if (m_inputTimer)
    {
        m_inputTimer->SetEnabled(inputTimerWasEnabled);
    }
    return true;
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
    if (request.Mode == MoveRequest::kAppStarted)
    {
        const Size screen = m_windows.GetScreenSize();
        dx = screen.width * (request.DX - m_state.CurrentX);
        dy = screen.height * (request.DY - m_state.CurrentY);
    }

    if (IsStickyWindow(w))
    {
        // The window stays; only its miniature follows into the newly shown cell.
        if (m_monitor)
        {
            if (const auto rect = m_windows.GetWindowRect(w))
            {
                m_monitor->MoveMiniature(w, ScreenToMonitorRect(*rect, 0, 0));
            }
        }
        return true;
    }

    if (UsesHideMode(w))
    {
        // Invisible windows are not skipped here: hide mode decides about them.
        if (m_windows.ProbeWindow(w, kSwitchProbeMs))
        {
            HideModeMove(w, dx, dy);
        }
        else
        {
            QueueFrozenWindow(w, dx, dy, request.Mode);
        }
        return true;
    }

    if (!m_windows.IsWindowVisible(w))
    {
        return true;
    }
    if (!MoveIfAnswering(w, dx, dy))
    {
        QueueFrozenWindow(w, dx, dy, request.Mode);
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
    const Rect r = m_windows.GetWindowRect(w).value_or(Rect{});
    const Size screen = m_windows.GetScreenSize();
    const std::int32_t W = screen.width;
    const std::int32_t H = screen.height;

    // Horizontally the window's centre decides; a window half off the left edge
    // still counts as on the shown desktop.
    const std::int32_t half = (r.right - r.left) / 2;
    Point offset;
    offset.x = (r.right - half < 0) ? (r.right - half - W) / W : (r.left + half) / W;

    // Vertically a point one caption below the top edge decides.
    const std::int32_t t = r.top + m_windows.GetCaptionFrameHeight();
    offset.y = (t < 0) ? (t - H) / H : t / H;

    // The upper clamp stops at the count itself: a window beyond the grid reports
    // the column or row just past it, and a switch there is refused.
    const int columns = GridColumns();
    const int rows = GridRows();
    if (m_state.CurrentX + offset.x > columns)
    {
        offset.x = columns - m_state.CurrentX;
    }
    if (m_state.CurrentY + offset.y > rows)
    {
        offset.y = rows - m_state.CurrentY;
    }
    if (m_state.CurrentX + offset.x < 0)
    {
        offset.x = -m_state.CurrentX;
    }
    if (m_state.CurrentY + offset.y < 0)
    {
        offset.y = -m_state.CurrentY;
    }
    return offset;
}

void DesktopEngine::ActivateTopWindow()
{
    for (WindowHandle w = m_windows.GetTopWindow(); w != kNoWindow && m_windows.IsWindow(w);
         w = m_windows.GetNextWindow(w))
    {
        if (WindowDesktopOffset(w) == Point{0, 0} && m_windows.IsWindowVisible(w))
        {
            m_windows.SetForegroundWindow(w);
            return;
        }
    }
    m_windows.SetForegroundWindow(m_windows.GetDesktopWindow());
}

Rect DesktopEngine::ScreenToMonitorRect(const Rect& r, std::int32_t dx, std::int32_t dy)
{
    const Size screen = m_windows.GetScreenSize();
    const GridGeometry grid = m_monitor ? m_monitor->Grid() : GridGeometry{};
    const double cellW = grid.CellWidth();
    const double cellH = grid.CellHeight();
    const double sx = cellW / screen.width;
    const double sy = cellH / screen.height;
    const double offsetX = static_cast<double>(dx / screen.width + m_state.CurrentX) * cellW;
    const double offsetY = static_cast<double>(dy / screen.height + m_state.CurrentY) * cellH;
    return {RoundHalfEven(r.left * sx + offsetX), RoundHalfEven(r.top * sy + offsetY),
            RoundHalfEven(r.right * sx + offsetX), RoundHalfEven(r.bottom * sy + offsetY)};
}

bool DesktopEngine::BringOnScreenProc(WindowHandle w)
{
    if (!m_windows.IsWindow(w) || m_windows.IsIconic(w))
    {
        return true;
    }
    const auto rect = m_windows.GetWindowRect(w);
    if (!rect)
    {
        return true;
    }
    const Rect& r = *rect;
    const Size screen = m_windows.GetScreenSize();
    const std::int32_t width = r.Width();
    const std::int32_t height = r.Height();
    // At least one pixel on the screen. A window whose edge merely meets the
    // screen's edge (at x = W, say, where a window at x = 0 of the desktop to the
    // right lies) shows nothing and would be lost.
    if (r.left < screen.width && r.left + width > 0 && r.top < screen.height && r.top + height > 0)
    {
        return true;
    }
    // Its place on its own desktop: the remainder by whole screens, taken into
    // the screen when negative (an exact multiple stays at 0, not one screen out).
    std::int32_t x = r.left % screen.width;
    if (x < 0)
    {
        x += screen.width;
    }
    std::int32_t y = r.top % screen.height;
    if (y < 0)
    {
        y += screen.height;
    }
    if (m_windows.ProbeWindow(w, kProbeMs))
    {
        m_windows.MoveWindow(w, {x, y});
    }
    else
    {
        // Left where it is, a window that does not answer now would be lost
        // for good once the program has ended: its own thread moves it when it wakes.
        m_windows.MoveWindowAsync(w, {x, y});
    }
    return true;
}

void DesktopEngine::BringAllOnScreen()
{
    m_windows.EnumWindows([&](WindowHandle w) { return BringOnScreenProc(w); });
}

void DesktopEngine::ShowHeldHiddenWindows()
{
    for (const auto& [className, item] : m_state.HideWndList)
    {
        if (m_windows.IsWindow(item->wnd))
        {
            // Asynchronous: a hung window must neither stall the exit nor stay hidden.
            m_windows.ShowWindowAsync(item->wnd, ShowCommand::Show);
        }
    }
    m_state.HideWndList.clear();
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
