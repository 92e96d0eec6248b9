#include "monitor/monitor_model.h"

#include "engine/classification.h"
#include "engine/desktop_math.h"
#include "monitor/auto_hide.h"
#include "monitor/grid_paint.h"
#include "platform/text.h"

#include <algorithm>

namespace zim
{

MonitorModel::MonitorModel(WindowSystem& windows, Scheduler& scheduler, OptionsModel& options, EngineState& state,
                           HideMode& hideMode, MonitorSurface& surface)
    : m_windows(windows), m_options(options), m_state(state), m_hideMode(hideMode), m_surface(surface),
      m_timer1(scheduler.CreateTimer(kRefreshMs, [this] { Timer1Timer(); })),
      m_timer2(scheduler.CreateTimer(AutoHideInterval(options.Get().autoHideDelay), [this] { Timer2Timer(); }))
{
    // Until the window is laid out the grid has its size but no area, so that
    // the switch already knows the grid's bounds.
    m_state.Grid.Apply({0, 0}, options.Get().sizeX, options.Get().sizeY);
    m_subscription =
        m_options.Subscribe({Option::SizeX, Option::SizeY, Option::AlwaysOnTop, Option::AutoHide, Option::AutoHideDelay,
                             Option::ShowWndNames, Option::ShowWndIcons, Option::IconDesktop},
                            [this](const Options& now, const OptionSet& changed) { OnOptionsChanged(now, changed); });
    m_state.Grid.Subscribe(*this);
}

MonitorModel::~MonitorModel()
{
    m_state.Grid.Unsubscribe(*this);
    m_options.Unsubscribe(m_subscription);
}

unsigned MonitorModel::AutoHideInterval(int delayMs)
{
    // The slider's range; a value from elsewhere never makes the monitor vanish at once.
    return static_cast<unsigned>(std::clamp(delayMs, Options::kMinAutoHideDelay, Options::kMaxAutoHideDelay));
}

void MonitorModel::OnOptionsChanged(const Options& now, const OptionSet& changed)
{
    if (changed.Meets({Option::SizeX, Option::SizeY}))
    {
        Desktopsize1Click();
    }
    if (changed.Has(Option::AlwaysOnTop))
    {
        m_surface.SetTopmost(now.alwaysOnTop);
    }
    if (changed.Has(Option::AutoHideDelay))
    {
        m_timer2->SetInterval(AutoHideInterval(now.autoHideDelay));
    }
    if (changed.Has(Option::AutoHide))
    {
        m_timer2->SetEnabled(now.autoHide);
    }
    if (changed.Meets({Option::ShowWndNames, Option::ShowWndIcons}))
    {
        m_surface.RepaintAll();
    }
    if (changed.Has(Option::IconDesktop) && m_layout.ButtonsVisible())
    {
        // The icon desktop buttons show the chosen set pressed, however it was chosen.
        for (std::size_t n = 0; n < skins::kSkinButtons.size(); ++n)
        {
            if (skins::kSkinButtons[n].kind == skins::SkinButtonKind::IconDesktop)
            {
                m_surface.RepaintClient(m_layout.ButtonBounds(n));
            }
        }
    }
}

void MonitorModel::Desktopsize1Click()
{
    const Options& options = m_options.Get();
    // The miniatures stay where they are; the next refresh places them.
    const Rect area = GridBounds();
    if (m_state.Grid.Apply({area.Width(), area.Height()}, options.sizeX, options.sizeY))
    {
        m_surface.RepaintAll();
    }
}

void MonitorModel::DesktopSwitching(Point /*from*/, Point to)
{
    const Rect cell = Grid().CellRect(to.x, to.y);
    SetFocusFrame({cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1});
    // Row first: desktop column 1, row 0 reads "(0,1)".
    std::string label = "(";
    label += std::to_string(to.y);
    label += ',';
    label += std::to_string(to.x);
    label += ')';
    m_label = std::move(label);
    if (m_layout.LabelVisible())
    {
        m_surface.RepaintClient(m_layout.LabelBounds());
    }
    MoveStickyMiniatures();
}

void MonitorModel::DesktopSwitched(Point /*from*/, Point /*to*/)
{
    if (m_options.Get().closeWhenSelected)
    {
        m_surface.Hide();
    }
}

void MonitorModel::MoveStickyMiniatures()
{
    // A sticky window stays on the screen: its miniature goes into the newly shown cell.
    const Size screen = m_windows.GetScreenSize();
    m_miniatures.ClearChanges();
    for (const Miniature& miniature : m_miniatures.Items())
    {
        const WindowHandle w = miniature.tag;
        // Asked first: it is known without the window system, and a switch
        // should not wait for the places of the windows it is about to move.
        if (!IsStickyMiniature(w))
        {
            continue;
        }
        const std::optional<WindowState> window = m_windows.GetWindowState(w);
        if (window && !window->iconic)
        {
            m_miniatures.Move(w, m_state.Grid.ScreenToGridRect(window->rect, screen, 0, 0));
        }
    }
    ReportChanges();
}

bool MonitorModel::IsStickyMiniature(WindowHandle w)
{
    const Options& options = m_options.Get();
    const auto className = [&] { return text::TruncateChars(m_windows.GetClassName(w), kMaxNameChars); };
    // While hidden no refresh sees windows go, so nothing is kept then.
    std::string uncached;
    const std::string& name = m_shown ? m_classNames.Get(w, className) : (uncached = className());
    return IsStickyWindow(options, name,
                          [&] { return text::TruncateChars(m_windows.GetWindowText(w), kMaxNameChars); });
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
        if (m_classNames.Size() != 0)
        {
            m_classNames.KeepOnly([this](WindowHandle w) { return m_miniatures.Find(w) != nullptr; });
        }
        m_surface.MiniaturesChanged(m_miniatures.Changes());
    }
    m_miniatures.ClearChanges();
}

void MonitorModel::UpdateMiniatures()
{
    const Rect cell = Grid().CellRect(m_state.Grid.CurrentX(), m_state.Grid.CurrentY());
    MoveFocusFrame(FocusFrameBounds(cell));

    const Size screen = m_windows.GetScreenSize();
    m_miniatures.BeginUpdate(m_layout.Colors().FillColor);
    // Held-hidden windows first, so that every live window's miniature covers them.
    PlaceHeldHiddenWindows();
    PlaceLiveWindows(screen, cell);
    m_miniatures.EndUpdate();
    ReportChanges();
}

void MonitorModel::PlaceHeldHiddenWindows()
{
    const HideWndEntries& list = m_hideMode.HideWndList();
    for (std::size_t i = list.size(); i-- > 0;)
    {
        // Sending a window back may add to the list, never remove from it; the
        // bound is checked anyway so that a change there cannot read past the end.
        if (i >= list.size() || !list[i].second || !list[i].second->hidden)
        {
            continue;
        }
        const HideWndItem& item = *list[i].second;
        // The stored place, as it was before the window is sent anywhere.
        const Rect at = item.miniature;
        const WindowHandle wnd = item.wnd;
        const std::optional<WindowState> window = m_windows.GetWindowState(wnd);
        if (!window)
        {
            continue;
        }
        if (window->visible)
        {
            // Its application showed it again: back to its own desktop.
            m_hideMode.SendHome(wnd);
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
    const double sx = static_cast<double>(Grid().CellWidth()) / screen.width;
    const double sy = static_cast<double>(Grid().CellHeight()) / screen.height;
    const WindowHandle background = m_surface.FindDesktopBackground();
    const WindowHandle desktop = m_windows.GetDesktopWindow();

    // The z-order in one question rather than one per window, taken whole
    // before any window is asked about, so that a window closing meanwhile
    // costs only its own miniature.
    m_zOrder.clear();
    m_windows.EnumWindows(
        [this](WindowHandle w)
        {
            m_zOrder.push_back(w);
            return m_zOrder.size() < static_cast<std::size_t>(kMaxZOrderWalk);
        });
    // From the second-lowest window upward, so that the topmost window's
    // miniature is painted last; the bottom-most window is never shown. One
    // question per window: a refresh of an unchanged desktop asks nothing else.
    for (std::size_t i = m_zOrder.empty() ? 0 : m_zOrder.size() - 1; i-- > 0;)
    {
        const WindowHandle w = m_zOrder[i];
        if (w == desktop || w == background)
        {
            continue;
        }
        const std::optional<WindowState> window = m_windows.GetWindowState(w);
        if (!window)
        {
            continue; // gone since the list was taken
        }
        const Rect& r = window->rect;
        if (window->iconic || !window->visible || r.left <= kParkedLeft)
        {
            continue;
        }
        // Windows of other desktops lie whole screens away, so they land in their cells.
        const std::int32_t left = RoundHalfEven(sx * r.left + cell.left);
        const std::int32_t top = RoundHalfEven(sy * r.top + cell.top);
        const std::int32_t right = RoundHalfEven(sx * r.right + cell.left);
        const std::int32_t bottom = RoundHalfEven(sy * r.bottom + cell.top);
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
    // No refresh sees windows go while hidden.
    m_classNames.Clear();
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
    const GridColors& colors = m_layout.Colors();
    switch (command)
    {
    case GridColorCommand::Line:
        return colors.LineColor;
    case GridColorCommand::Highlight:
        return colors.HilightColor;
    case GridColorCommand::Text:
        return colors.TextColor;
    case GridColorCommand::Fill:
        return colors.FillColor;
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
            m_layout.SetColor(command, *chosen);
        }
        // Repainted also after a cancel.
        m_surface.RepaintAll();
        break;
    case GridColorCommand::Highlight:
        // The frame shows the colour at its next paint.
        if (chosen)
        {
            m_layout.SetColor(command, *chosen);
        }
        break;
    case GridColorCommand::Text:
        if (chosen)
        {
            m_layout.SetColor(command, *chosen);
            m_surface.RepaintAll();
        }
        break;
    case GridColorCommand::Fill:
        if (chosen)
        {
            m_layout.SetColor(command, *chosen);
            m_miniatures.ClearChanges();
            m_miniatures.Recolor(*chosen);
            ReportChanges();
        }
        break;
    }
}

void MonitorModel::ApplyNaturalSkin(const skins::SkinLayout& skin)
{
    m_layout.ApplyNatural(skin);
    LayoutApplied();
}

void MonitorModel::ApplyBitmapSkin(const skins::SkinLayout& skin, Size client)
{
    m_layout.ApplyBitmap(skin, client);
    LayoutApplied();
}

void MonitorModel::LayoutApplied()
{
    // Existing miniatures take the skin's fill colour; the next refresh places them.
    m_miniatures.ClearChanges();
    m_miniatures.Recolor(m_layout.Colors().FillColor);
    m_miniatures.ClearChanges();
    Desktopsize1Click();
    m_surface.RepaintAll();
}

void MonitorModel::FormActivate(bool active)
{
    m_active = active;
}

} // namespace zim
