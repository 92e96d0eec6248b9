#include "monitor/monitor_model.h"

#include "engine/desktop_math.h"
#include "monitor/auto_hide.h"
#include "monitor/grid_paint.h"

#include <algorithm>

namespace zim
{

MonitorModel::MonitorModel(WindowSystem& windows, Scheduler& scheduler, OptionsModel& options, EngineState& state,
                           DesktopEngine& engine, MonitorSurface& surface)
    : m_windows(windows), m_options(options), m_state(state), m_engine(engine), m_surface(surface),
      m_timer1(scheduler.CreateTimer(kRefreshMs, [this] { Timer1Timer(); })),
      m_timer2(scheduler.CreateTimer(AutoHideInterval(options.Get().autoHideDelay), [this] { Timer2Timer(); })),
      m_followed(Follow(options.Get()))
{
    // Until the window is laid out the grid has its size but no area, so that
    // the switch already knows the grid's bounds.
    const Options& current = options.Get();
    const bool valid = Options::IsValidGridSize(current.sizeX) && Options::IsValidGridSize(current.sizeY);
    m_grid = GridGeometry({0, 0}, valid ? current.sizeX : 3, valid ? current.sizeY : 3);
    m_subscription = m_options.Subscribe([this](const Options& changed) { OnOptionsChanged(changed); });
}

MonitorModel::~MonitorModel()
{
    m_options.Unsubscribe(m_subscription);
}

MonitorModel::Followed MonitorModel::Follow(const Options& options)
{
    return {options.sizeX,         options.sizeY,        options.alwaysOnTop, options.autoHide,
            options.autoHideDelay, options.showWndNames, options.showWndIcons};
}

unsigned MonitorModel::AutoHideInterval(int delayMs)
{
    // The slider's range; a value from elsewhere never makes the monitor vanish at once.
    return static_cast<unsigned>(std::clamp(delayMs, Options::kMinAutoHideDelay, Options::kMaxAutoHideDelay));
}

void MonitorModel::OnOptionsChanged(const Options& options)
{
    const Followed now = Follow(options);
    const Followed before = m_followed;
    m_followed = now;
    if (now.sizeX != before.sizeX || now.sizeY != before.sizeY)
    {
        Desktopsize1Click();
    }
    if (now.alwaysOnTop != before.alwaysOnTop)
    {
        m_surface.SetTopmost(now.alwaysOnTop);
    }
    if (now.autoHideDelay != before.autoHideDelay)
    {
        m_timer2->SetInterval(AutoHideInterval(now.autoHideDelay));
    }
    if (now.autoHide != before.autoHide)
    {
        m_timer2->SetEnabled(now.autoHide);
    }
    if (now.showWndNames != before.showWndNames || now.showWndIcons != before.showWndIcons)
    {
        m_surface.RepaintAll();
    }
}

void MonitorModel::Desktopsize1Click()
{
    const Options& options = m_options.Get();
    if (!Options::IsValidGridSize(options.sizeX) || !Options::IsValidGridSize(options.sizeY))
    {
        return;
    }
    // The miniatures stay where they are; the next refresh places them.
    m_grid = GridGeometry(m_surface.GridAreaSize(), options.sizeX, options.sizeY);
    m_surface.RepaintAll();
}

void MonitorModel::SetFocusFrame(const Rect& bounds)
{
    // The switch asks for a repaint even when the frame stays.
    m_surface.RepaintGrid(m_focusFrame);
    m_focusFrame = bounds;
    m_surface.RepaintGrid(m_focusFrame);
}

void MonitorModel::MoveFocusFrame(const Rect& bounds)
{
    if (bounds != m_focusFrame)
    {
        SetFocusFrame(bounds);
    }
}

void MonitorModel::SetCoordinateLabel(const std::string& text)
{
    m_label = text;
}

bool MonitorModel::MoveMiniature(WindowHandle window, const Rect& bounds)
{
    m_miniatures.ClearChanges();
    const bool found = m_miniatures.Move(window, bounds);
    ReportChanges();
    return found;
}

void MonitorModel::ReportChanges()
{
    if (!m_miniatures.Changes().Empty())
    {
        m_surface.MiniaturesChanged(m_miniatures.Changes());
    }
    m_miniatures.ClearChanges();
}

void MonitorModel::UpdateMiniatures()
{
    const Rect cell = m_grid.CellRect(m_state.CurrentX, m_state.CurrentY);
    MoveFocusFrame(FocusFrameBounds(cell));

    const Size screen = m_windows.GetScreenSize();
    m_miniatures.BeginUpdate(m_colors.FillColor);
    // Held-hidden windows first, so that every live window's miniature covers them.
    PlaceHeldHiddenWindows(screen);
    PlaceLiveWindows(screen, cell);
    m_miniatures.EndUpdate();
    ReportChanges();
}

void MonitorModel::PlaceHeldHiddenWindows(Size screen)
{
    HideWndEntries& list = m_state.HideWndList;
    for (std::size_t i = list.size(); i-- > 0;)
    {
        // Sending a window back may add to the list, never remove from it; the
        // bound is checked anyway so that a change there cannot read past the end.
        if (i >= list.size() || !list[i].second)
        {
            continue;
        }
        HideWndItem& item = *list[i].second;
        if (!m_windows.IsWindow(item.wnd) || !item.hidden)
        {
            continue;
        }
        // The stored place, as it was before the window is sent anywhere.
        const Rect at = item.miniature;
        const WindowHandle wnd = item.wnd;
        if (m_windows.IsWindowVisible(wnd))
        {
            // Its application showed it again: back to its own desktop.
            item.hidden = false;
            m_engine.HideModeMove(wnd, screen.width * (item.column - m_state.CurrentX),
                                  screen.height * (item.row - m_state.CurrentY));
        }
        m_miniatures.Place(wnd, at);
    }
}

void MonitorModel::PlaceLiveWindows(Size screen, const Rect& cell)
{
    if (screen.width <= 0 || screen.height <= 0)
    {
        return;
    }
    const double sx = static_cast<double>(m_grid.CellWidth()) / screen.width;
    const double sy = static_cast<double>(m_grid.CellHeight()) / screen.height;
    const WindowHandle background = m_surface.FindDesktopBackground();
    const WindowHandle desktop = m_windows.GetDesktopWindow();

    // From the second-lowest window upward, so that the topmost window's
    // miniature is painted last; the bottom-most window is never shown.
    WindowHandle w = m_windows.GetPrevWindow(m_windows.GetLastWindow(m_windows.GetTopWindow()));
    for (int steps = 0; w != kNoWindow && steps < kMaxWalk && m_windows.IsWindow(w);
         ++steps, w = m_windows.GetPrevWindow(w))
    {
        if (w == desktop || w == background || m_windows.IsIconic(w) || !m_windows.IsWindowVisible(w))
        {
            continue;
        }
        const std::optional<Rect> r = m_windows.GetWindowRect(w);
        if (!r || r->left <= kParkedLeft || !m_windows.IsWindow(w))
        {
            continue;
        }
        // Windows of other desktops lie whole screens away, so they land in their cells.
        const std::int32_t left = RoundHalfEven(sx * r->left + cell.left);
        const std::int32_t top = RoundHalfEven(sy * r->top + cell.top);
        const std::int32_t right = RoundHalfEven(sx * r->right + cell.left);
        const std::int32_t bottom = RoundHalfEven(sy * r->bottom + cell.top);
        m_miniatures.Place(w, {left, top, right, bottom});
    }
}

void MonitorModel::FormShow()
{
    if (m_shown)
    {
        return;
    }
    m_shown = true;
    const bool autoHide = m_options.Get().autoHide;
    if (onShownChanged)
    {
        onShownChanged(true);
    }
    m_timer2->SetEnabled(false);
    m_timer1->SetEnabled(true);
    m_timer2->SetEnabled(autoHide);
    Desktopsize1Click();
    UpdateMiniatures();
}

void MonitorModel::FormHide()
{
    if (!m_shown)
    {
        return;
    }
    m_shown = false;
    if (onShownChanged)
    {
        onShownChanged(false);
    }
    // The auto-hide timer keeps its state: it finds the monitor hidden already.
    m_timer1->SetEnabled(false);
}

void MonitorModel::FormResize()
{
    Desktopsize1Click();
}

void MonitorModel::StopTimers()
{
    m_timer1->SetEnabled(false);
    m_timer2->SetEnabled(false);
}

void MonitorModel::Timer2Timer()
{
    if (PointerLeftMonitor(m_surface.Bounds(), m_windows.GetCursorPos()))
    {
        m_surface.Hide();
        m_timer2->SetEnabled(false);
    }
}

ColorValue MonitorModel::CurrentColor(GridColorCommand command) const
{
    switch (command)
    {
    case GridColorCommand::Line:
        return m_colors.LineColor;
    case GridColorCommand::Highlight:
        return m_colors.HilightColor;
    case GridColorCommand::Text:
        return m_colors.TextColor;
    case GridColorCommand::Fill:
        return m_colors.FillColor;
    }
    return 0;
}

void MonitorModel::ApplyColorCommand(GridColorCommand command, std::optional<ColorValue> chosen)
{
    switch (command)
    {
    case GridColorCommand::Line:
        if (chosen)
        {
            m_colors.LineColor = *chosen;
        }
        // Repainted also after a cancel.
        m_surface.RepaintAll();
        break;
    case GridColorCommand::Highlight:
        // The frame shows the colour at its next paint.
        if (chosen)
        {
            m_colors.HilightColor = *chosen;
        }
        break;
    case GridColorCommand::Text:
        if (chosen)
        {
            m_colors.TextColor = *chosen;
            m_surface.RepaintAll();
        }
        break;
    case GridColorCommand::Fill:
        if (chosen)
        {
            m_colors.FillColor = *chosen;
            m_miniatures.ClearChanges();
            m_miniatures.Recolor(*chosen);
            ReportChanges();
        }
        break;
    }
}

} // namespace zim
