// cbt_probe.exe: a window in a process of its own for the hook library's tests.
// The hook runs inside other programs and menus are private to their process,
// so this process inspects its own system menu and answers the test's questions
// through messages to its window (class "ZimCbtProbe"). It ends on WM_CLOSE, or
// by itself after a minute so that a failed test leaves nothing behind.

#include "probe_protocol.h"

#include "cbt/cbt_api.h"

#include <windows.h>

#include <string>

namespace
{

using namespace zim::cbtprobe;

constexpr UINT_PTR kCloseMenuTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;
constexpr UINT kCloseMenuMs = 300;
constexpr UINT kLifetimeMs = 60000;

int s_itemsWhileOpen = kNotYet;
int s_commandsSeen = 0;
bool s_countNextMenu = false;

bool IsDesktopItem(UINT id)
{
    const int n = ZimCbtDesktopFromCommand(id);
    return id % ZIM_CBT_COMMAND_STEP == 0 && n >= 1 && n <= ZIM_CBT_MAX_DESKTOPS;
}

int CountItems(HWND window, bool separators)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        const UINT id = GetMenuItemID(menu, i);
        count += separators ? (id == ZimCbtCommandId(0)) : IsDesktopItem(id);
    }
    return count;
}

// The captions of the desktop items, joined by '|', become the window's title,
// which other processes can read.
void PublishCaptions(HWND window)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    std::wstring captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        if (!IsDesktopItem(GetMenuItemID(menu, i)))
        {
            continue;
        }
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        captions += captions.empty() ? L"" : L"|";
        captions += text;
    }
    SetWindowTextW(window, captions.c_str());
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case kCountItems:
        return CountItems(window, false);
    case kCountSeparators:
        return CountItems(window, true);
    case kOpenMenu:
        // Opened from the queue, as Alt+Space does, so that the test's call returns first.
        s_itemsWhileOpen = kNotYet;
        SetForegroundWindow(window);
        SetTimer(window, kCloseMenuTimer, kCloseMenuMs, nullptr);
        PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, L' ');
        return 0;
    case kCountNextMenu:
        s_itemsWhileOpen = kNotYet;
        s_countNextMenu = true;
        return 0;
    case WM_ENTERMENULOOP:
        if (s_countNextMenu)
        {
            s_countNextMenu = false;
            SetTimer(window, kCloseMenuTimer, kCloseMenuMs, nullptr);
        }
        break;
    case kItemsWhileOpen:
        return s_itemsWhileOpen;
    case kChoose:
        PostMessageW(window, WM_SYSCOMMAND, ZimCbtCommandId(static_cast<int>(wParam)), 0);
        return 0;
    case kPassOnCommand:
        SetForegroundWindow(window);
        return DefWindowProcW(window, WM_SYSCOMMAND, ZimCbtCommandId(static_cast<int>(wParam)), 0);
    case kRequestSystemMenu:
        PostMessageW(window, 0x0313, 0, MAKELPARAM(150, 150));
        return 0;
    case kCommandsSeen:
        return s_commandsSeen;
    case kPublishCaptions:
        PublishCaptions(window);
        return 0;
    case WM_TIMER:
        if (wParam == kCloseMenuTimer)
        {
            // Runs inside the menu's own loop while the menu is open.
            KillTimer(window, kCloseMenuTimer);
            s_itemsWhileOpen = CountItems(window, false);
            EndMenu();
        }
        else if (wParam == kLifetimeTimer)
        {
            DestroyWindow(window);
        }
        return 0;
    case WM_SYSCOMMAND:
        if (IsDesktopItem(static_cast<UINT>(wParam & 0xFFF0)))
        {
            ++s_commandsSeen;
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kProbeClass;
    if (!RegisterClassExW(&wc))
    {
        return 1;
    }
    const HWND window = CreateWindowExW(0, kProbeClass, L"probe", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                                        nullptr, instance, nullptr);
    if (window == nullptr)
    {
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
