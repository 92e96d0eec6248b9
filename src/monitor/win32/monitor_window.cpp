#include "monitor/win32/monitor_window.h"

#include "engine/engine_state.h"
#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <windowsx.h>

namespace zim::win32
{

TZIMMonitor::TZIMMonitor(const OptionsModel& options, const EngineState& state, DesktopEngine& engine,
                         std::function<void()> onClose)
    : m_options(options), m_state(state), m_engine(engine), m_onClose(std::move(onClose))
{
}

bool TZIMMonitor::Create(HICON icon)
{
    // A sizeable tool window: no task-bar button, small caption.
    const DWORD exStyle = WS_EX_TOOLWINDOW | (m_options.Get().alwaysOnTop ? WS_EX_TOPMOST : 0);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!Window::Create(kClassName, kCaption, style, exStyle, 0, 0, 120, 100, nullptr, icon))
    {
        return false;
    }
    Desktopsize1Click();
    const Rect cell = m_grid.CellRect(m_state.CurrentX, m_state.CurrentY);
    m_focusFrame = {cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1};
    return true;
}

WindowHandle TZIMMonitor::MonitorWindow() const { return FromHwnd(Handle()); }

void TZIMMonitor::SetFocusFrame(const Rect& bounds)
{
    m_focusFrame = bounds;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TZIMMonitor::SetCoordinateLabel(const std::string& text)
{
    m_label = Widen(text);
    InvalidateRect(Handle(), nullptr, FALSE);
}

bool TZIMMonitor::MoveMiniature(WindowHandle, const Rect&)
{
    return false; // no miniatures are drawn yet
}

void TZIMMonitor::HideMonitor() { ShowWindow(Handle(), SW_HIDE); }

void TZIMMonitor::Desktopsize1Click()
{
    const Options& options = m_options.Get();
    if (!Options::IsValidGridSize(options.sizeX) || !Options::IsValidGridSize(options.sizeY))
    {
        return;
    }
    RECT client;
    GetClientRect(Handle(), &client);
    m_grid = GridGeometry({client.right - client.left, client.bottom - client.top}, options.sizeX, options.sizeY);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TZIMMonitor::OnPress(Point p)
{
    const Cell cell = m_grid.CellAt(p);
    if (cell.column >= 0)
    {
        m_engine.DrawGrid1SelectCell(cell.column, cell.row);
    }
}

LRESULT TZIMMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        m_onClose();
        return 0;
    case WM_DESTROY:
        // The monitor is the main window: its end is the program's end.
        PostQuitMessage(0);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Desktopsize1Click();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
        OnPress({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(Handle(), &ps);
        RECT client;
        GetClientRect(Handle(), &client);
        Paint(dc, client);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(Handle(), &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

void TZIMMonitor::Paint(HDC dc, const RECT& client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const int cellW = m_grid.CellWidth();
    const int cellH = m_grid.CellHeight();
    {
        const UniqueGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
        const SelectGuard penGuard(dc, pen.Get());
        for (int c = 1; c < m_grid.Columns(); ++c)
        {
            MoveToEx(dc, c * cellW, client.top, nullptr);
            LineTo(dc, c * cellW, client.bottom);
        }
        for (int r = 1; r < m_grid.Rows(); ++r)
        {
            MoveToEx(dc, client.left, r * cellH, nullptr);
            LineTo(dc, client.right, r * cellH);
        }
    }
    // Two pixels wide: the frame's rectangle and the one inside it.
    const RECT outer{m_focusFrame.left, m_focusFrame.top, m_focusFrame.right, m_focusFrame.bottom};
    const RECT inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
    FrameRect(dc, &outer, GetSysColorBrush(COLOR_HIGHLIGHT));
    FrameRect(dc, &inner, GetSysColorBrush(COLOR_HIGHLIGHT));

    RECT labelRect = client;
    InflateRect(&labelRect, -2, -1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const SelectGuard fontGuard(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, m_label.c_str(), static_cast<int>(m_label.size()), &labelRect,
              DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace zim::win32
