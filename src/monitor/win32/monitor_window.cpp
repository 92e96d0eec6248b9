#include "monitor/win32/monitor_window.h"

#include "monitor/win32/skin_editor.h"
#include "skins/skin_editor_rules.h"

#include "monitor/grid_paint.h"
#include "monitor/position_constraint.h"
#include "monitor/programs_list.h"
#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>

namespace zim::win32
{
namespace
{

COLORREF Resolve(ColorValue value)
{
    return ColorToRgb(value, [](int index) -> std::uint32_t { return ::GetSysColor(index); });
}

constexpr UINT kFirstColorCommand = 1;

} // namespace

TZIMMonitor::TZIMMonitor(const MonitorParts& parts, ProgramCommands& commands, std::function<void()> onClose)
    : m_model(parts.windows, parts.scheduler, parts.options, parts.state, parts.hideMode, *this),
      m_interaction(parts.windows, parts.options, parts.engine, parts.hideMode, m_model, *this, commands),
      m_topMost(
          [](WindowHandle window, bool topmost)
          {
              SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
          }),
      m_painter(m_model), m_commands(commands), m_onClose(std::move(onClose))
{
}

TZIMMonitor::~TZIMMonitor()
{
    m_model.StopTimers();
}

bool TZIMMonitor::Create(HICON icon)
{
    // Until a skin is applied: the natural look, a sizeable tool window (no
    // task-bar button, small caption) whose grid fills the client area.
    const DWORD exStyle = WS_EX_TOOLWINDOW;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!Window::Create(kClassName, Widen(kMonitorCaption).c_str(), style, exStyle, 0, 0, kDefaultWidth, kDefaultHeight,
                        nullptr, icon))
    {
        return false;
    }
    m_shaper.SetOwner(Handle());
    m_topMost.HandOver(FromHwnd(Handle()), m_model.CurrentOptions().alwaysOnTop);
    m_painter.Attach(Handle());
    m_model.Desktopsize1Click();
    return true;
}

void TZIMMonitor::SetProgramsPopup(TZIM2* popup)
{
    m_popup = popup;
    if (m_popup)
    {
        m_popup->onShownChanged = [this](bool shown) { m_interaction.ProgramsPopupShown(shown); };
    }
}

void TZIMMonitor::StopTimers()
{
    m_interaction.Reset();
    m_model.StopTimers();
}

void TZIMMonitor::ShowMonitor()
{
    m_model.ArmAutoHide();
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    m_model.UpdateMiniatures();
}

void TZIMMonitor::HideMonitor()
{
    m_model.HideMonitor();
}

// --- MonitorSurface ---

void TZIMMonitor::Hide()
{
    ShowWindow(Handle(), SW_HIDE);
}

Rect TZIMMonitor::Bounds() const
{
    RECT r{};
    GetWindowRect(Handle(), &r);
    return FromRECT(r);
}

Size TZIMMonitor::ClientSize() const
{
    RECT client{};
    GetClientRect(Handle(), &client);
    if (m_editor && m_editor->IsOpen())
    {
        // The skin's panel, between the editor's title bar and its tool panel.
        return {client.right - client.left,
                std::max(0, static_cast<int>(client.bottom - client.top) - m_origin.y - kEditorToolPanelHeight)};
    }
    return {client.right - client.left, client.bottom - client.top};
}

void TZIMMonitor::SetTopmost(bool topmost)
{
    m_topMost.SetAlwaysOnTop(topmost);
}

void TZIMMonitor::RepaintGrid(const Rect& area)
{
    const Rect grid = m_model.GridBounds();
    RepaintClient(area.Offset(grid.left, grid.top));
}

void TZIMMonitor::RepaintClient(const Rect& area)
{
    const RECT r = ToRECT(area.Offset(m_origin.x, m_origin.y));
    InvalidateRect(Handle(), &r, FALSE);
}

void TZIMMonitor::RepaintAll()
{
    if (m_painter.LayoutOutdated())
    {
        m_painter.LayoutChanged();
    }
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TZIMMonitor::MiniaturesChanged(const MiniatureChanges& changes)
{
    m_painter.MiniaturesChanged(changes);
}

WindowHandle TZIMMonitor::FindDesktopBackground()
{
    return FromHwnd(FindWindowW(L"DesktopBackgroundClass", nullptr));
}

// --- InteractionSurface ---

Point TZIMMonitor::GridToScreen(Point grid) const
{
    const Rect area = m_model.GridBounds();
    return ClientToScreen({grid.x + area.left, grid.y + area.top});
}

Point TZIMMonitor::ClientToScreen(Point client) const
{
    POINT p{client.x + m_origin.x, client.y + m_origin.y};
    ::ClientToScreen(Handle(), &p);
    return {p.x, p.y};
}

void TZIMMonitor::ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds)
{
    if (m_popup)
    {
        m_popup->ShowList(titles, bounds);
    }
}

void TZIMMonitor::HideProgramsPopup()
{
    if (m_popup)
    {
        m_popup->Close();
    }
}

void TZIMMonitor::BringToFront()
{
    if (IsWindowVisible(Handle()))
    {
        SetForegroundWindow(Handle());
    }
}

void TZIMMonitor::BeginMonitorMove()
{
    // The window system's own move loop takes the mouse from here; the position
    // rule applies to every step of it.
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | 2, 0);
}

// --- SkinSurface ---

bool TZIMMonitor::IsVisible() const
{
    return IsWindowVisible(Handle()) != FALSE;
}

void TZIMMonitor::SetVisible(bool visible)
{
    ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool TZIMMonitor::PrepareBackground(const std::string& imagePath)
{
    m_preparedBackground = UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, Widen(imagePath).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return static_cast<bool>(m_preparedBackground);
}

void TZIMMonitor::UseBackground(ColorValue mask, Size client)
{
    // One change of the picture: the outline is built once and the window sized to it.
    m_shaper.SetSizeLimit(client);
    m_shaper.Picture().Assign(std::move(m_preparedBackground), mask);
    CopyGridBackground();
    m_painter.LayoutChanged();
    RepaintAll();
}

void TZIMMonitor::ClearBackground()
{
    m_preparedBackground.Reset();
    m_shaper.Picture().Assign(UniqueBitmap(), m_shaper.Picture().MaskColor());
    m_gridBackground.Reset();
}

void TZIMMonitor::CopyGridBackground()
{
    m_gridBackground.Reset();
    const HBITMAP picture = m_shaper.Picture().Bitmap();
    // In the bitmap's pixels, which are the layout's.
    const Rect grid = m_model.GridBounds();
    if (!picture || grid.Width() <= 0 || grid.Height() <= 0)
    {
        return;
    }
    const WindowDc screen(nullptr);
    UniqueBitmap copy(CreateCompatibleBitmap(screen.Get(), grid.Width(), grid.Height()));
    const MemoryDc from(screen.Get());
    const MemoryDc to(screen.Get());
    if (!copy || !from || !to)
    {
        return;
    }
    {
        const SelectGuard fromGuard(from.Get(), picture);
        const SelectGuard toGuard(to.Get(), copy.Get());
        BitBlt(to.Get(), 0, 0, grid.Width(), grid.Height(), from.Get(), grid.left, grid.top, SRCCOPY);
    }
    m_gridBackground = std::move(copy);
}

void TZIMMonitor::SetAlwaysOnTop(bool topmost)
{
    // The frame change may have made the window anew on some systems: the
    // component acts on the handle the window has now.
    m_topMost.SetHandle(FromHwnd(Handle()));
    m_topMost.SetAlwaysOnTop(topmost);
}

void TZIMMonitor::MoveTo(Point topLeft)
{
    SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- messages ---

void TZIMMonitor::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
    if (m_editor && m_editor->IsOpen())
    {
        return; // the stretch handle follows the pointer
    }
    if (!m_trackingLeave)
    {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        m_trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    m_interaction.ClientMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_RBUTTON) != 0);
}

void TZIMMonitor::OnButtonDown(MouseButton button, LPARAM lParam)
{
    if (m_editor && m_editor->IsOpen())
    {
        m_editor->MouseDown(button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return;
    }
    m_interaction.ClientMouseDown(button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    // A drag or the popup ends with the right release, wherever the pointer is then.
    if (m_interaction.WantsCapture())
    {
        SetCapture(Handle());
    }
}

void TZIMMonitor::OnButtonUp(MouseButton button, LPARAM lParam)
{
    if (m_editor && m_editor->IsOpen())
    {
        return;
    }
    m_interaction.ClientMouseUp(button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (!m_interaction.WantsCapture() && GetCapture() == Handle())
    {
        ReleaseCapture();
    }
}

void TZIMMonitor::OnWindowPosChanging(WINDOWPOS& pos)
{
    if (!IsWindowVisible(Handle()) || (pos.flags & SWP_NOMOVE))
    {
        return;
    }
    // The window at the size it is about to take, and the box of its region.
    RECT window{};
    GetWindowRect(Handle(), &window);
    Size size{window.right - window.left, window.bottom - window.top};
    if (!(pos.flags & SWP_NOSIZE))
    {
        size = {pos.cx, pos.cy};
    }
    std::optional<Rect> regionBox;
    const UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetWindowRgn(Handle(), static_cast<HRGN>(region.Get())) > NULLREGION)
    {
        RECT box{};
        GetRgnBox(static_cast<HRGN>(region.Get()), &box);
        regionBox = FromRECT(box);
    }
    const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Rect visible = MonitorVisibleBox(size, m_model.Layout().Natural(), false, regionBox, screen);
    const Point p = ConstrainMonitorPosition({pos.x, pos.y}, visible, screen);
    pos.x = p.x;
    pos.y = p.y;
}

LRESULT TZIMMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        // Closing, not hiding: the program's orderly end, timers first. A drag
        // under way stops where it is: every window is gathered next.
        m_interaction.Reset();
        m_model.FormClose();
        m_onClose();
        return 0;
    case WM_DESTROY:
        m_painter.Detach();
        // The monitor is the main window: its end is the program's end.
        PostQuitMessage(0);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
        {
            m_model.FormShow();
            if (m_editor && m_editor->IsOpen())
            {
                m_editor->MonitorShown();
            }
        }
        else
        {
            m_model.FormHide();
        }
        break;
    case WM_SIZE:
        m_model.FormResize();
        if (m_editor && m_editor->IsOpen())
        {
            m_editor->Resized();
        }
        return 0;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_NCRBUTTONDOWN:
        // The main menu instead of the system menu.
        m_commands.PopupMainMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CONTEXTMENU:
        // The release of a right press on the caption: no system menu after the main menu.
        if (lParam != -1 && SendMessageW(Handle(), WM_NCHITTEST, 0, lParam) != HTCLIENT)
        {
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        RepaintAll();
        break;
    // A quick second click arrives as a double click: it is a press all the same.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(MouseButton::Left, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnButtonDown(MouseButton::Middle, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnButtonDown(MouseButton::Right, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(MouseButton::Left, lParam);
        return 0;
    case WM_MBUTTONUP:
        OnButtonUp(MouseButton::Middle, lParam);
        return 0;
    case WM_RBUTTONUP:
        // Handled here: no context menu follows the release.
        OnButtonUp(MouseButton::Right, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        break;
    case WM_MOUSELEAVE:
        m_trackingLeave = false;
        m_interaction.PointerLeft();
        return 0;
    case WM_ACTIVATE:
        m_model.FormActivate(LOWORD(wParam) != WA_INACTIVE);
        if (m_editor && m_editor->IsOpen())
        {
            m_editor->ActiveChanged();
        }
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle())
        {
            m_interaction.CaptureLost();
        }
        break;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(Handle(), &ps);
        const bool editing = m_editor && m_editor->IsOpen();
        if (editing)
        {
            m_editor->ExcludeToolPanel(dc);
        }
        m_painter.Paint(dc, FromRECT(ps.rcPaint), Pictures());
        if (editing)
        {
            m_editor->PaintTitle(dc);
            m_editor->Painted(ps.rcPaint);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
    {
        RECT client;
        GetClientRect(Handle(), &client);
        m_painter.Paint(reinterpret_cast<HDC>(wParam), FromRECT(client), Pictures());
        if (m_editor && m_editor->IsOpen())
        {
            m_editor->PaintTitle(reinterpret_cast<HDC>(wParam));
        }
        return 0;
    }
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

// --- the skin editor ---

void TZIMMonitor::SetEditorFrame(bool open, Point origin)
{
    m_origin = open ? origin : Point{};
    // The stretch handle is a transparent child window: the monitor paints what lies under it.
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, open ? (style & ~WS_CLIPCHILDREN) : (style | WS_CLIPCHILDREN));
    m_painter.SetOrigin(m_origin);
    LayoutEdited();
}

void TZIMMonitor::LayoutEdited()
{
    m_painter.LayoutChanged();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TZIMMonitor::HoldTopmost(bool hold)
{
    m_topMost.SetAlwaysOnTop(!hold && m_model.CurrentOptions().alwaysOnTop);
}

// --- the colour menu ---

void TZIMMonitor::PopupColorMenu(Point screen)
{
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu)
    {
        return;
    }
    UINT id = kFirstColorCommand;
    for (const GridColorCommand command : kGridColorCommands)
    {
        AppendMenuW(static_cast<HMENU>(menu.Get()), MF_STRING, id++, Widen(GridColorCaption(command)).c_str());
    }
    SetForegroundWindow(Handle());
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        static_cast<HMENU>(menu.Get()), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
    if (chosen >= kFirstColorCommand && chosen < kFirstColorCommand + std::size(kGridColorCommands))
    {
        RunColorCommand(kGridColorCommands[chosen - kFirstColorCommand]);
    }
}

void TZIMMonitor::RunColorCommand(GridColorCommand command)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.rgbResult = Resolve(m_model.CurrentColor(command));
    dialog.lpCustColors = custom;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&dialog))
    {
        m_model.ApplyColorCommand(command, ColorFromRgb(dialog.rgbResult));
    }
    else
    {
        m_model.ApplyColorCommand(command, std::nullopt);
    }
}

} // namespace zim::win32
