#include "components/win32/stretch_handle_window.h"

#include <windowsx.h>

namespace zim::win32
{
namespace
{

COLORREF Resolve(ColorValue value)
{
    return ColorToRgb(value, [](int index) -> std::uint32_t { return ::GetSysColor(index); });
}

HCURSOR CursorFor(HandleCursor cursor)
{
    const wchar_t* id = IDC_ARROW;
    switch (cursor)
    {
    case HandleCursor::Default:
        break;
    case HandleCursor::SizeNESW:
        id = IDC_SIZENESW;
        break;
    case HandleCursor::SizeNS:
        id = IDC_SIZENS;
        break;
    case HandleCursor::SizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case HandleCursor::SizeWE:
        id = IDC_SIZEWE;
        break;
    case HandleCursor::Drag:
        // The system has no drag cursor of its own; the move cursor says the same.
        id = IDC_SIZEALL;
        break;
    case HandleCursor::NoDrop:
        id = IDC_NO;
        break;
    }
    return LoadCursorW(nullptr, id);
}

Point PointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

bool StretchHandleWindow::Create(HWND parent)
{
    const Bounds b = TStretchHandle::kDetachedBounds;
    return Window::Create(kClassName, L"", WS_CHILD | WS_DISABLED, WS_EX_TRANSPARENT, b.left, b.top, b.width, b.height,
                          parent);
}

void StretchHandleWindow::SetArea(Point origin, Size size)
{
    m_origin = origin;
    m_size = size;
    Sync();
}

RECT StretchHandleWindow::ParentRect(const Bounds& b) const
{
    return {b.left + m_origin.x, b.top + m_origin.y, b.left + m_origin.x + b.width, b.top + m_origin.y + b.height};
}

void StretchHandleWindow::Attach(const HandleChild& child)
{
    m_logic.Attach(child); // a form is refused before anything changes
    Sync();
    SetCapture(Handle());
    if (IsWindowVisible(Handle()) && IsWindowEnabled(Handle()))
    {
        SetFocus(Handle());
    }
}

void StretchHandleWindow::Detach()
{
    DrawDragRect(false);
    m_logic.Detach();
    if (GetCapture() == Handle())
    {
        ReleaseCapture();
    }
    Sync();
}

void StretchHandleWindow::Sync()
{
    const HWND parent = GetParent(Handle());
    if (!Handle() || !parent)
    {
        return;
    }
    RECT before{};
    const bool wasVisible = IsWindowVisible(Handle()) != FALSE;
    GetWindowRect(Handle(), &before);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);

    const Bounds b = m_logic.GetBounds();
    const RECT after = ParentRect(b);
    const bool visible = m_logic.Visible();
    // The window holds no picture of its own: what lies under it is the parent's.
    SetWindowPos(Handle(), HWND_TOP, after.left, after.top, b.width, b.height,
                 SWP_NOACTIVATE | SWP_NOCOPYBITS | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    EnableWindow(Handle(), m_logic.Enabled() ? TRUE : FALSE);
    if (wasVisible)
    {
        InvalidateRect(parent, &before, FALSE);
    }
    if (visible)
    {
        InvalidateRect(parent, &after, FALSE);
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void StretchHandleWindow::ParentPainted(const RECT& area)
{
    if (!IsWindowVisible(Handle()))
    {
        return;
    }
    const RECT mine = ParentRect(m_logic.GetBounds());
    RECT common{};
    if (IntersectRect(&common, &mine, &area))
    {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void StretchHandleWindow::OnPaint()
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(Handle(), &ps);
    // Only the grips; everything else shows the parent beneath.
    for (const GripSquare& grip : m_logic.Grips())
    {
        const UniqueBrush brush(CreateSolidBrush(Resolve(grip.color)));
        const RECT r = ToRECT(grip.rect);
        FillRect(dc, &r, brush ? static_cast<HBRUSH>(brush.Get()) : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(Handle(), &ps);
}

void StretchHandleWindow::Apply(const HandleMouseResult& result)
{
    m_cursor = CursorFor(result.cursor);
    SetCursor(m_cursor);
    if (result.releaseCapture && GetCapture() == Handle())
    {
        ReleaseCapture();
    }
}

void StretchHandleWindow::OnMouseDown(MouseButton button, LPARAM lParam)
{
    const HandleMouseResult result = m_logic.MouseDown(button, PointOf(lParam));
    if (result.forward)
    {
        Apply(result);
        ForwardMouse(true, button, lParam);
        return;
    }
    if (m_logic.Dragging())
    {
        SetCapture(Handle());
    }
    SetFocus(Handle());
}

void StretchHandleWindow::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
    const HandleMouseResult result = m_logic.MouseMove((wParam & MK_LBUTTON) != 0, PointOf(lParam), m_size);
    if (m_logic.Dragging() && m_logic.PreviewRect())
    {
        DrawDragRect(true);
    }
    Apply(result);
}

void StretchHandleWindow::OnMouseUp(MouseButton button, LPARAM lParam)
{
    const Bounds before = m_logic.GetBounds();
    const bool wasDragging = m_logic.Dragging();
    const HandleMouseResult result = m_logic.MouseUp(button, PointOf(lParam), m_size);
    if (wasDragging && !m_logic.Dragging())
    {
        DrawDragRect(false);
    }
    if (result.forward)
    {
        Apply(result);
        ForwardMouse(false, button, lParam);
        return;
    }
    if (!(m_logic.GetBounds() == before) && onChanged)
    {
        onChanged();
    }
    Sync();
    if (IsWindowVisible(Handle()) && IsWindowEnabled(Handle()))
    {
        SetFocus(Handle());
    }
    Apply(result);
}

void StretchHandleWindow::OnKeyDown(WPARAM key)
{
    ArrowKey arrow{};
    switch (key)
    {
    case VK_LEFT:
        arrow = ArrowKey::Left;
        break;
    case VK_RIGHT:
        arrow = ArrowKey::Right;
        break;
    case VK_UP:
        arrow = ArrowKey::Up;
        break;
    case VK_DOWN:
        arrow = ArrowKey::Down;
        break;
    default:
        return;
    }
    if (m_logic.KeyDown(arrow))
    {
        if (onChanged)
        {
            onChanged();
        }
        Sync();
    }
}

void StretchHandleWindow::ForwardMouse(bool press, MouseButton button, LPARAM lParam)
{
    const HWND parent = GetParent(Handle());
    if (!parent)
    {
        return;
    }
    UINT message = 0;
    switch (button)
    {
    case MouseButton::Left:
        message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case MouseButton::Right:
        message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case MouseButton::Middle:
        message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    }
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(Handle(), parent, &p, 1);
    // The press may select another element, which attaches it here anew.
    SendMessageW(parent, message, 0, MAKELPARAM(p.x, p.y));
}

void StretchHandleWindow::DrawDragRect(bool draw)
{
    const HWND parent = GetParent(Handle());
    const WindowDc screen(nullptr);
    if (m_previewShown)
    {
        // Drawn again, the inverting rectangle goes.
        DrawFocusRect(screen.Get(), &m_preview);
        m_previewShown = false;
    }
    if (draw && parent)
    {
        if (const std::optional<Rect> preview = m_logic.PreviewRect())
        {
            RECT r = ToRECT(preview->Offset(m_origin.x, m_origin.y));
            MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&r), 2);
            DrawFocusRect(screen.Get(), &r);
            m_preview = r;
            m_previewShown = true;
        }
    }
}

LRESULT StretchHandleWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && m_cursor)
        {
            SetCursor(m_cursor);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnMouseDown(MouseButton::Left, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnMouseDown(MouseButton::Right, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnMouseDown(MouseButton::Middle, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnMouseUp(MouseButton::Left, lParam);
        return 0;
    case WM_RBUTTONUP:
        OnMouseUp(MouseButton::Right, lParam);
        return 0;
    case WM_MBUTTONUP:
        OnMouseUp(MouseButton::Middle, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle() && m_logic.Dragging())
        {
            // The release will not come here: the drag ends where it began.
            DrawDragRect(false);
            m_logic.CancelDrag();
        }
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace zim::win32
