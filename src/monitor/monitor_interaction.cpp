#include "monitor/monitor_interaction.h"

#include "monitor/programs_list.h"

#include <algorithm>

namespace zim
{
namespace
{

// SkinButtonClick goes by the buttons' places in the skin file's fixed order.
static_assert(skins::kSkinButtons[0].hint == "Close Desktop Monitor");
static_assert(skins::kSkinButtons[1].hint == "Help");
static_assert(skins::kSkinButtons[2].hint == "About");
static_assert(skins::kSkinButtons[3].hint == "Sticky Windows");
static_assert(skins::kSkinButtons[4].hint == "Options");
static_assert(skins::kSkinButtons[11].hint == "Menu");

} // namespace

MonitorInteraction::MonitorInteraction(WindowSystem& windows, OptionsModel& options, DesktopEngine& engine,
                                       HideMode& hideMode, MonitorModel& model, InteractionSurface& surface,
                                       ProgramCommands& commands)
    : m_windows(windows), m_options(options), m_engine(engine), m_hideMode(hideMode), m_model(model),
      m_surface(surface), m_commands(commands)
{
}

// --- routing ---

Point MonitorInteraction::ToGrid(Point client) const
{
    const Rect grid = m_model.GridBounds();
    return {client.x - grid.left, client.y - grid.top};
}

void MonitorInteraction::ClientMouseDown(MouseButton button, Point client)
{
    const MonitorHit hit = m_model.Layout().HitTest(client, m_model.ClientSize());
    switch (hit.part)
    {
    case MonitorPart::Grid:
        MouseDown(button, hit.grid);
        return;
    case MonitorPart::Button:
        // Buttons click with the left button; in the skin editor they are the editor's.
        if (button == MouseButton::Left && !m_skinEditing)
        {
            m_pressedButton = hit.button;
            m_pressedButtonUnderPointer = true;
            RepaintButton(hit.button);
        }
        return;
    case MonitorPart::Label:
        Label2MouseDown();
        return;
    case MonitorPart::Background:
        if (button == MouseButton::Right)
        {
            // The skin picture's context menu is the main menu.
            if (!m_skinEditing)
            {
                m_commands.PopupMainMenu(m_surface.ClientToScreen(client));
            }
            return;
        }
        Image1MouseDown();
        return;
    case MonitorPart::None:
        return;
    }
}

void MonitorInteraction::ClientMouseMove(Point client, bool rightDown)
{
    const MonitorHit hit = m_model.Layout().HitTest(client, m_model.ClientSize());
    if (m_pressedButton)
    {
        // A held button looks pressed only while the pointer is on it.
        const bool under = hit.part == MonitorPart::Button && hit.button == *m_pressedButton;
        if (under != m_pressedButtonUnderPointer)
        {
            m_pressedButtonUnderPointer = under;
            RepaintButton(m_pressedButton);
        }
    }
    SetHotButton(hit.part == MonitorPart::Button && !m_skinEditing ? std::optional<std::size_t>(hit.button)
                                                                   : std::nullopt);
    // A drag follows the pointer wherever it is; a lost release shows here too.
    MouseMove(ToGrid(client), rightDown);
}

void MonitorInteraction::ClientMouseUp(MouseButton button, Point client)
{
    if (m_pressedButton && button == MouseButton::Left)
    {
        const std::size_t pressed = *m_pressedButton;
        m_pressedButton.reset();
        RepaintButton(pressed);
        const MonitorHit hit = m_model.Layout().HitTest(client, m_model.ClientSize());
        // A click is a press and a release on the same button.
        if (hit.part == MonitorPart::Button && hit.button == pressed)
        {
            SkinButtonClick(pressed);
        }
        return;
    }
    MouseUp(button, ToGrid(client));
}

void MonitorInteraction::PointerLeft()
{
    SetHotButton(std::nullopt);
}

void MonitorInteraction::SetHotButton(std::optional<std::size_t> button)
{
    if (button == m_hotButton)
    {
        return;
    }
    const std::optional<std::size_t> before = m_hotButton;
    m_hotButton = button;
    RepaintButton(before);
    RepaintButton(m_hotButton);
}

void MonitorInteraction::RepaintButton(std::optional<std::size_t> button)
{
    if (button && m_model.Layout().ButtonsVisible())
    {
        m_surface.RepaintClient(m_model.Layout().ButtonBounds(*button));
    }
}

bool MonitorInteraction::ButtonDown(std::size_t n) const
{
    if (m_pressedButton == n && m_pressedButtonUnderPointer)
    {
        return true;
    }
    const skins::SkinButtonInfo& info = skins::kSkinButtons.at(n);
    return info.kind == skins::SkinButtonKind::IconDesktop && info.iconDesktop == IconDesktopDown();
}

void MonitorInteraction::MouseDown(MouseButton button, Point p)
{
    if (button == MouseButton::Right && m_drag.Dragging())
    {
        // The release of the last drag never came: finish it before anything new.
        EndDrag();
    }
    // Miniatures lie above the highlight frame, which lies above the grid lines;
    // the last miniature painted is the one on top.
    if (const Miniature* m = m_model.Miniatures().At(p))
    {
        const Miniature pressed = *m;
        Shape1MouseDown(pressed, button, p);
        return;
    }
    DrawGrid1MouseDown(button, p, m_model.FocusFrame().Contains(p));
}

void MonitorInteraction::MouseMove(Point p, bool rightDown)
{
    if (!rightDown)
    {
        // A drag or the popup lasts only while the right button is held.
        if (m_drag.Dragging())
        {
            EndDrag();
        }
        if (m_popupOpen)
        {
            m_surface.HideProgramsPopup();
        }
        return;
    }
    if (!m_drag.Dragging())
    {
        return;
    }
    // The window holds the mouse during a drag, so the pointer may leave the grid;
    // the miniature stays under the pointer's last place inside it, so the window
    // can never be dropped where no cell shows it.
    const Point q = ClampToGrid(p);
    if (m_model.Miniatures().At(q))
    {
        Shape1MouseMove(q);
    }
    else
    {
        PaintBox1MouseMove(q);
    }
}

void MonitorInteraction::MouseUp(MouseButton button, Point)
{
    // The miniatures, the grid lines and the highlight frame share one release handler.
    Shape1MouseUp(button);
}

void MonitorInteraction::CaptureLost()
{
    // A button whose release went elsewhere is no click.
    if (m_pressedButton)
    {
        const std::size_t pressed = *m_pressedButton;
        m_pressedButton.reset();
        RepaintButton(pressed);
    }
    if (m_drag.Dragging())
    {
        EndDrag();
    }
    if (m_popupOpen)
    {
        m_surface.HideProgramsPopup();
    }
}

void MonitorInteraction::Reset()
{
    m_pressedButton.reset();
    m_drag.Stop();
    if (m_popupOpen)
    {
        m_surface.HideProgramsPopup();
    }
}

Point MonitorInteraction::ClampToGrid(Point p) const
{
    const Size area = m_model.Grid().Area();
    return {std::clamp(p.x, 0, std::max(0, area.width - 1)), std::clamp(p.y, 0, std::max(0, area.height - 1))};
}

// --- presses ---

void MonitorInteraction::DrawGrid1MouseDown(MouseButton button, Point p, bool onFocusRect)
{
    if (m_skinEditing)
    {
        return;
    }
    const Cell cell = m_model.Grid().CellAt(p);
    if (button == MouseButton::Right)
    {
        const std::vector<std::string> titles = ListProgramsInScreen(m_windows, m_engine.Current(), cell);
        m_surface.ShowProgramsPopup(titles, ProgramsPopupBounds(m_surface.GridToScreen(p), titles.size()));
        return;
    }
    // The highlight frame covers the shown desktop's cell: it is shown already.
    if (onFocusRect)
    {
        return;
    }
    // The switch refuses a point outside every cell.
    m_engine.DrawGrid1SelectCell(cell.column, cell.row);
}

void MonitorInteraction::Shape1MouseDown(const Miniature& miniature, MouseButton button, Point p)
{
    if (button != MouseButton::Right)
    {
        // The cell under the press, which for a miniature reaching over a cell's
        // edge is not always its window's desktop.
        const Cell cell = m_model.Grid().CellAt(p);
        m_engine.DrawGrid1SelectCell(cell.column, cell.row);
        return;
    }
    StartDrag(miniature, p);
}

void MonitorInteraction::StartDrag(const Miniature& miniature, Point p)
{
    if (m_drag.Dragging())
    {
        EndDrag();
    }
    const WindowHandle window = miniature.tag;
    const Rect at = miniature.bounds;
    if (m_hideMode.Release(window))
    {
        // A window held hidden comes out where its miniature is, so that it can
        // be seen following the drag.
        if (m_model.MoveWindowToMonitorPos(window, {at.left, at.top}))
        {
            m_windows.ShowWindow(window, ShowCommand::Show);
        }
        else
        {
            // It does not answer: shown when it wakes, never waited for.
            m_windows.ShowWindowAsync(window, ShowCommand::Show);
        }
    }
    if (window == m_model.MonitorWindow() || (m_optionsDialog != kNoWindow && window == m_optionsDialog) ||
        !m_model.FindMiniature(window))
    {
        return;
    }
    m_drag.Start(window, {p.x - at.left, p.y - at.top});
    // Neither a refresh nor an edge-scroll switch may move things under the user's hand.
    m_model.SetRefreshEnabled(false);
    m_inputTimerWasEnabled = m_inputTimer && m_inputTimer->IsEnabled();
    if (m_inputTimer)
    {
        m_inputTimer->SetEnabled(false);
    }
}

// --- the drag ---

void MonitorInteraction::Shape1MouseMove(Point p)
{
    if (m_drag.Dragging())
    {
        FollowPointer(p, true);
    }
}

void MonitorInteraction::PaintBox1MouseMove(Point p)
{
    if (m_drag.Dragging())
    {
        FollowPointer(p, false);
    }
}

void MonitorInteraction::FollowPointer(Point p, bool moveWindow)
{
    const WindowHandle window = m_drag.DraggedWindow();
    const Miniature* m = m_model.FindMiniature(window);
    if (!m)
    {
        return;
    }
    const Point to = m_drag.Follow(p);
    m_model.MoveMiniature(window, Rect::FromSize(to.x, to.y, m->bounds.Width(), m->bounds.Height()));
    if (moveWindow)
    {
        m_model.MoveWindowToMonitorPos(window, to);
    }
}

void MonitorInteraction::Shape1MouseUp(MouseButton button)
{
    if (button != MouseButton::Right)
    {
        // A left release never ends a right-button drag.
        return;
    }
    if (m_drag.Dragging())
    {
        EndDrag();
        return;
    }
    m_surface.HideProgramsPopup();
}

void MonitorInteraction::EndDrag()
{
    const WindowHandle window = m_drag.DraggedWindow();
    m_drag.Stop();
    if (const Miniature* m = m_model.FindMiniature(window))
    {
        m_model.MoveWindowToMonitorPos(window, {m->bounds.left, m->bounds.top});
    }
    if (m_windows.IsWindow(window) && m_windows.IsZoomed(window))
    {
        // A maximised window's frame lies just outside its desktop: put it back
        // there on the desktop it was dropped on.
        const Point offset = m_engine.WindowDesktopOffset(window);
        if (m_windows.ProbeWindow(window, kMonitorMoveProbeMs))
        {
            m_windows.MoveWindow(window, MaximizedDropPosition(m_windows.GetScreenSize(), offset));
        }
    }
    m_surface.BringToFront();
    // A monitor hidden meanwhile (auto hide) starts its refresh when it is shown again.
    if (m_model.Shown())
    {
        m_model.SetRefreshEnabled(true);
    }
    if (m_inputTimer)
    {
        m_inputTimer->SetEnabled(m_inputTimerWasEnabled);
    }
}

// --- moving the monitor ---

void MonitorInteraction::Label2MouseDown()
{
    if (!m_skinEditing)
    {
        m_surface.BeginMonitorMove();
    }
}

void MonitorInteraction::Image1MouseDown()
{
    if (!m_skinEditing)
    {
        m_surface.BeginMonitorMove();
    }
}

void MonitorInteraction::Panel3MouseDown()
{
    // The editor's title bar is there only while the editor is open.
    m_surface.BeginMonitorMove();
}

// --- the buttons ---

void MonitorInteraction::SpeedButton1Click()
{
    m_commands.HideMonitor();
}

void MonitorInteraction::SpeedButton8Click()
{
    m_commands.ShowHelp();
}

void MonitorInteraction::SpeedButton7Click()
{
    m_commands.ShowOptions(OptionsPage::About);
}

void MonitorInteraction::SpeedButton3Click()
{
    m_commands.ShowOptions(OptionsPage::StickyWindows);
}

void MonitorInteraction::SpeedButton4Click()
{
    m_commands.ShowOptions(OptionsPage::GeneralOptions);
}

void MonitorInteraction::SpeedButton2Click(const Rect& buttonOnScreen)
{
    m_commands.PopupMainMenu({buttonOnScreen.left, buttonOnScreen.bottom});
}

void MonitorInteraction::IconDesktopClick(int number)
{
    if (number < 1 || number > Options::kIconDesktops)
    {
        return;
    }
    // The chosen set is recorded and the tray menu's radio item follows the
    // option. Moving the desktop folder's entries between the sets comes with
    // the icon desktops themselves.
    m_options.Update([number](Options& o) { o.iconDesktop = number; });
}

void MonitorInteraction::SkinButtonClick(std::size_t n)
{
    if (n >= skins::kSkinButtons.size())
    {
        return;
    }
    const skins::SkinButtonInfo& info = skins::kSkinButtons[n];
    if (info.kind == skins::SkinButtonKind::IconDesktop)
    {
        IconDesktopClick(info.iconDesktop);
        return;
    }
    // The command buttons by their place in the skin file's fixed order.
    switch (n)
    {
    case 0:
        SpeedButton1Click();
        break;
    case 1:
        SpeedButton8Click();
        break;
    case 2:
        SpeedButton7Click();
        break;
    case 3:
        SpeedButton3Click();
        break;
    case 4:
        SpeedButton4Click();
        break;
    case 11:
    {
        const Rect b = m_model.Layout().ButtonBounds(n);
        const Point topLeft = m_surface.ClientToScreen({b.left, b.top});
        SpeedButton2Click(Rect::FromSize(topLeft.x, topLeft.y, b.Width(), b.Height()));
        break;
    }
    default:
        break;
    }
}

int MonitorInteraction::IconDesktopDown() const
{
    const int number = m_options.Get().iconDesktop;
    return number >= 1 && number <= Options::kIconDesktops ? number : 0;
}

// --- the programs popup ---

void MonitorInteraction::ProgramsPopupShown(bool shown)
{
    m_popupOpen = shown;
    m_surface.SetMonitorTopmost(shown ? false : m_options.Get().alwaysOnTop);
}

} // namespace zim
