#include "monitor/win32/programs_popup.h"

#include "monitor/programs_list.h"
#include "platform/win32/fonts.h"
#include "platform/win32/utf.h"

#include <commctrl.h>

#include <algorithm>

namespace zim::win32
{
namespace
{

constexpr UINT_PTR kListSubclassId = 1;
constexpr int kListBoxId = 1;

} // namespace

bool TZIM2::Create()
{
    // No task-bar button, and a click in it never takes the activation from the
    // monitor, which holds the mouse while the right button is down.
    if (!Window::Create(kClassName, Widen(kProgramsPopupCaption).c_str(), WS_POPUP | WS_CLIPCHILDREN,
                        WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, 0, 0, kProgramsPopupWidth, kDesignHeight))
    {
        return false;
    }
    ListBox1 = CreateWindowExW(
        0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT, 0, 0, kProgramsPopupWidth, kDesignHeight,
        Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListBoxId)), GetModuleHandleW(nullptr), nullptr);
    if (!ListBox1)
    {
        return false;
    }
    m_font = CreateStandardFont();
    SendMessageW(ListBox1, WM_SETFONT,
                 reinterpret_cast<WPARAM>(m_font ? m_font.Get() : GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // After the font, which would otherwise set the height from its own.
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, kProgramsItemHeight);
    SetWindowSubclass(ListBox1, &TZIM2::ListBox1Proc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

void TZIM2::ShowList(const std::vector<std::string>& titles, const Rect& bounds)
{
    SendMessageW(ListBox1, WM_SETREDRAW, FALSE, 0);
    SendMessageW(ListBox1, LB_RESETCONTENT, 0, 0);
    for (const std::string& title : titles)
    {
        SendMessageW(ListBox1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(title).c_str()));
    }
    SendMessageW(ListBox1, WM_SETREDRAW, TRUE, 0);
    if (!m_shown)
    {
        m_shown = true;
        // The monitor leaves the top-most band first, so that the popup can lie above it.
        if (onShownChanged)
        {
            onShownChanged(true);
        }
    }
    // The bounds are in 96-DPI pixels, the list's font is at the screen's DPI:
    // rows and width grow with it, still ending at the pointer.
    const WindowDc screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    const int itemHeight = MulDiv(kProgramsItemHeight, dpi, 96);
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, itemHeight);
    const int width = MulDiv(bounds.Width(), dpi, 96);
    const int height = static_cast<int>(titles.size()) * itemHeight;
    SetWindowPos(Handle(), HWND_TOP, std::max(0, bounds.right - width), bounds.top, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(ListBox1, nullptr, TRUE);
}

void TZIM2::Close()
{
    if (!m_shown)
    {
        return;
    }
    ShowWindow(Handle(), SW_HIDE);
    m_shown = false;
    if (onShownChanged)
    {
        onShownChanged(false);
    }
}

LRESULT CALLBACK TZIM2::ListBox1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        // Not passed on: the list would take the mouse and select an entry.
        reinterpret_cast<TZIM2*>(self)->Close();
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TZIM2::ListBox1Proc, kListSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT TZIM2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        // The list fills the popup.
        if (ListBox1)
        {
            MoveWindow(ListBox1, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    case WM_CTLCOLORLISTBOX:
    {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
        SetBkColor(dc, GetSysColor(COLOR_MENU));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENU));
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_CLOSE:
        // Closing only hides: the popup lives as long as the program.
        Close();
        return 0;
    case WM_DESTROY:
        ListBox1 = nullptr;
        break;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace zim::win32
