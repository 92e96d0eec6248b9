#include "monitor/win32/monitor_window.h"

#include "engine/engine_state.h"
#include "platform/win32/handles.h"

namespace zim::win32
{

TZIMMonitor::TZIMMonitor(const OptionsModel& options, const EngineState& engine, std::function<void()> onClose)
    : m_options(options), m_engine(engine), m_onClose(std::move(onClose))
{
}

bool TZIMMonitor::Create(HICON icon)
{
    // A sizeable tool window: no task-bar button, small caption.
    const DWORD exStyle = WS_EX_TOOLWINDOW | (m_options.Get().alwaysOnTop ? WS_EX_TOPMOST : 0);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    return Window::Create(kClassName, kCaption, style, exStyle, 0, 0, 120, 100, nullptr, icon);
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
        InvalidateRect(Handle(), nullptr, FALSE);
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
    const Options& options = m_options.Get();
    const int cellW = (client.right - client.left) / options.sizeX;
    const int cellH = (client.bottom - client.top) / options.sizeY;
    const UniqueGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    const SelectGuard penGuard(dc, pen.Get());
    for (int c = 1; c < options.sizeX; ++c)
    {
        MoveToEx(dc, c * cellW, client.top, nullptr);
        LineTo(dc, c * cellW, client.bottom);
    }
    for (int r = 1; r < options.sizeY; ++r)
    {
        MoveToEx(dc, client.left, r * cellH, nullptr);
        LineTo(dc, client.right, r * cellH);
    }
    const RECT current{m_engine.CurrentX * cellW, m_engine.CurrentY * cellH, (m_engine.CurrentX + 1) * cellW,
                       (m_engine.CurrentY + 1) * cellH};
    FrameRect(dc, &current, GetSysColorBrush(COLOR_HIGHLIGHT));
}

} // namespace zim::win32
