// The window-hook library, loaded by the system into every process that has
// windows while the hook is installed.
//
// It runs inside other programs, so it must never block them nor crash them:
// every message to the main window has a short timeout or is posted, nothing is
// sent while the main handle is 0, and the library is built without the C and
// C++ runtimes (no exceptions, no static constructors, no runtime start-up code
// in foreign processes). It uses Win32 only.

#include "cbt/cbt_api.h"

#include <windows.h>

namespace
{

// One copy for all processes that load this file, so that a hook running in
// another program finds the main window. Initialised, or the linker would move
// them out of the shared section.
__attribute__((section(".shared"), shared)) HWND g_mainWindow = nullptr;
__attribute__((section(".shared"), shared)) LONG g_hooked = 0;
// The grid the main window last reported, for a menu opened while it is too
// busy to answer.
__attribute__((section(".shared"), shared)) LONG g_lastSizeX = 0;
__attribute__((section(".shared"), shared)) LONG g_lastSizeY = 0;
// Registered by the installer; ids of registered messages are the same in every process.
__attribute__((section(".shared"), shared)) UINT g_removeItemsMessage = 0;

// Only meaningful in the process that installed the hook.
HINSTANCE s_instance = nullptr;
HHOOK s_getMessageHook = nullptr;
HHOOK s_cbtHook = nullptr;
HHOOK s_mouseHook = nullptr;

// The main window may be busy switching; a menu must not wait long for it.
constexpr UINT kAskTimeoutMs = 200;
constexpr UINT kRemoveTimeoutMs = 100;
constexpr int kMaxGridSide = 10;
constexpr wchar_t kRemoveItemsMessageName[] = L"ZimCbtRemoveItems";
constexpr wchar_t kCaptionStart[] = L"Send to desktop (";
// The request to open the system menu at a point, undocumented but handled by
// the default window procedure.
constexpr UINT kPopupSystemMenu = 0x0313;

HWND MainWindow()
{
    return static_cast<HWND>(
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&g_mainWindow), nullptr, nullptr));
}

bool Hooked()
{
    return InterlockedCompareExchange(&g_hooked, 0, 0) != 0;
}

// Hooks of one bitness can be called for windows of processes of the other
// bitness, in the installer's context: leave those windows to their own hook.
bool IsOwnTopLevelWindow(HWND window)
{
    DWORD process = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0 || process != GetCurrentProcessId())
    {
        return false;
    }
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    return (style & WS_CHILD) == 0 && (style & WS_SYSMENU) != 0;
}

// The separator above the items carries the id of "desktop 0", so that all our
// items are found by id alone.
bool IsOurItem(UINT id)
{
    const int n = ZimCbtDesktopFromCommand(id);
    return (id % ZIM_CBT_COMMAND_STEP) == 0 && n >= 0 && n <= ZIM_CBT_MAX_DESKTOPS;
}

void RemoveItems(HMENU menu)
{
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i)
    {
        if (IsOurItem(GetMenuItemID(menu, i)))
        {
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
        }
    }
}

bool ValidSide(DWORD_PTR side)
{
    return side >= 1 && side <= static_cast<DWORD_PTR>(kMaxGridSide);
}

bool AskGrid(HWND mainWindow, int& sizeX, int& sizeY)
{
    DWORD_PTR columns = 0;
    DWORD_PTR rows = 0;
    if (SendMessageTimeoutW(mainWindow, ZIM_CBT_MSG_GET_SIZE_X, 0, 0, SMTO_ABORTIFHUNG, kAskTimeoutMs, &columns) == 0 ||
        SendMessageTimeoutW(mainWindow, ZIM_CBT_MSG_GET_SIZE_Y, 0, 0, SMTO_ABORTIFHUNG, kAskTimeoutMs, &rows) == 0 ||
        !ValidSide(columns) || !ValidSide(rows))
    {
        return false;
    }
    sizeX = static_cast<int>(columns);
    sizeY = static_cast<int>(rows);
    InterlockedExchange(&g_lastSizeX, sizeX);
    InterlockedExchange(&g_lastSizeY, sizeY);
    return true;
}

bool LastGrid(int& sizeX, int& sizeY)
{
    const LONG columns = InterlockedCompareExchange(&g_lastSizeX, 0, 0);
    const LONG rows = InterlockedCompareExchange(&g_lastSizeY, 0, 0);
    if (!ValidSide(static_cast<DWORD_PTR>(columns)) || !ValidSide(static_cast<DWORD_PTR>(rows)))
    {
        return false;
    }
    sizeX = columns;
    sizeY = rows;
    return true;
}

// "Send to desktop (x,y)" with the 0-based column and row; both are below 10.
void FormatCaption(wchar_t (&caption)[32], int column, int row)
{
    int length = 0;
    for (const wchar_t* c = kCaptionStart; *c != L'\0'; ++c)
    {
        caption[length++] = *c;
    }
    caption[length++] = static_cast<wchar_t>(L'0' + column);
    caption[length++] = L',';
    caption[length++] = static_cast<wchar_t>(L'0' + row);
    caption[length++] = L')';
    caption[length] = L'\0';
}

void AddItems(HMENU menu, int sizeX, int sizeY)
{
    AppendMenuW(menu, MF_SEPARATOR, ZimCbtCommandId(0), nullptr);
    wchar_t caption[32];
    for (int n = 1; n <= sizeX * sizeY; ++n)
    {
        FormatCaption(caption, (n - 1) % sizeX, (n - 1) / sizeX);
        AppendMenuW(menu, MF_STRING, ZimCbtCommandId(n), caption);
    }
}

// Rebuilt at every opening, so the items follow changes of the grid.
void OnSystemMenuOpening(HWND window, HMENU menu)
{
    if (!IsOwnTopLevelWindow(window) || !IsMenu(menu))
    {
        return;
    }
    RemoveItems(menu);
    const HWND mainWindow = MainWindow();
    if (mainWindow == nullptr || !Hooked())
    {
        return;
    }
    int sizeX = 0;
    int sizeY = 0;
    if (AskGrid(mainWindow, sizeX, sizeY) || LastGrid(sizeX, sizeY))
    {
        AddItems(menu, sizeX, sizeY);
        // Removed while the grid was asked for: the removal has passed this menu.
        if (!Hooked())
        {
            RemoveItems(menu);
        }
    }
}

void OnSystemMenuOpening(HWND window)
{
    window = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
    if (const HMENU menu = window != nullptr ? GetSystemMenu(window, FALSE) : nullptr)
    {
        OnSystemMenuOpening(window, menu);
    }
}

// Returns whether the command was one of ours and went to the main window.
bool ReportCommand(HWND window, WPARAM command)
{
    const int n = ZimCbtDesktopFromCommand(static_cast<UINT>(command));
    if (n < 1 || n > ZIM_CBT_MAX_DESKTOPS || !Hooked())
    {
        return false;
    }
    const HWND mainWindow = MainWindow();
    if (mainWindow == nullptr || !IsOwnTopLevelWindow(window))
    {
        return false;
    }
    // Posted: the program probes and moves this window, which must not wait for that.
    return PostMessageW(mainWindow, ZIM_CBT_MSG_SEND_TO_DESKTOP, reinterpret_cast<WPARAM>(window),
                        static_cast<LPARAM>(command & 0xFFFFFFFFu)) != 0;
}

void OnRemoveItems(HWND window)
{
    if (IsOwnTopLevelWindow(window))
    {
        if (const HMENU menu = GetSystemMenu(window, FALSE))
        {
            RemoveItems(menu);
        }
    }
}

// Installed only while the items are being removed: a hook that sees every
// sent message costs every program on the system a trip through the hook
// chain for each of them, moves and repaints included.
LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message != 0 && message->message == g_removeItemsMessage)
        {
            OnRemoveItems(message->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The system menu is about to open from the keyboard or from the window's
// icon, or a desktop's command that was sent, not posted, reached the default
// handling. The system names no window here: it is this thread's active one,
// whose menu is the one in use.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND)
    {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_KEYMENU || command == SC_MOUSEMENU)
        {
            OnSystemMenuOpening(GetActiveWindow());
        }
        else if (ReportCommand(GetActiveWindow(), wParam))
        {
            return 1; // handled: the default handling knows nothing of it
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A right click on the caption opens the system menu without a system
// command: the items are built when its button goes down.
LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == WM_NCRBUTTONDOWN)
    {
        const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        if (mouse->wHitTestCode == HTCAPTION || mouse->wHitTestCode == HTSYSMENU)
        {
            OnSystemMenuOpening(mouse->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Sees posted messages: choosing a menu item posts WM_SYSCOMMAND, and the task
// bar opens a window's system menu by posting it a request.
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE)
    {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == WM_SYSCOMMAND && ReportCommand(message->hwnd, message->wParam))
        {
            // Handled: the application never sees a command it does not know.
            message->message = WM_NULL;
        }
        else if (message->message == kPopupSystemMenu)
        {
            OnSystemMenuOpening(message->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK SendRemoveItems(HWND window, LPARAM)
{
    DWORD_PTR ignored = 0;
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU) != 0)
    {
        SendMessageTimeoutW(window, g_removeItemsMessage, 0, 0, SMTO_ABORTIFHUNG, kRemoveTimeoutMs, &ignored);
    }
    return TRUE;
}

void Unhook(HHOOK& hook)
{
    if (hook != nullptr)
    {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
}

void Unhook()
{
    Unhook(s_getMessageHook);
    Unhook(s_cbtHook);
    Unhook(s_mouseHook);
}

} // namespace

extern "C" void __stdcall SetMainHandle(HWND mainWindow)
{
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_mainWindow), mainWindow);
}

extern "C" void __stdcall SetHook()
{
    if (s_getMessageHook == nullptr)
    {
        InterlockedExchange(reinterpret_cast<LONG volatile*>(&g_removeItemsMessage),
                            static_cast<LONG>(RegisterWindowMessageW(kRemoveItemsMessageName)));
        s_cbtHook = SetWindowsHookExW(WH_CBT, &CbtHook, s_instance, 0);
        s_mouseHook = SetWindowsHookExW(WH_MOUSE, &MouseHook, s_instance, 0);
        s_getMessageHook = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, s_instance, 0);
        if (s_getMessageHook == nullptr || s_cbtHook == nullptr || s_mouseHook == nullptr)
        {
            // Half a hook offers items that do nothing, or reports items it never built.
            Unhook();
            return;
        }
    }
    InterlockedExchange(&g_hooked, 1);
}

extern "C" void __stdcall UnSetHook()
{
    InterlockedExchange(&g_hooked, 0);
    if (s_getMessageHook == nullptr)
    {
        return; // installed by another process, or not at all
    }
    // The windows remove their items themselves, inside a hook that lives only
    // as long as that takes; the menu hooks stay until they have.
    if (g_removeItemsMessage != 0)
    {
        HHOOK removal = SetWindowsHookExW(WH_CALLWNDPROC, &CallWndProcHook, s_instance, 0);
        if (removal != nullptr)
        {
            EnumWindows(&SendRemoveItems, 0);
            Unhook(removal);
        }
    }
    Unhook();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        s_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && s_getMessageHook != nullptr)
    {
        // Unloaded while installed: the system would go on calling code that is gone.
        InterlockedExchange(&g_hooked, 0);
        Unhook();
    }
    return TRUE;
}
