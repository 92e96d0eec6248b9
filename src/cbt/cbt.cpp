// The window-hook library.
//
// Today it keeps the contract's state only: the main window handle, shared by
// every process that loads the library, and whether watching was asked for. It
// installs no hook yet, so no "send to desktop" items appear in other windows'
// system menus and no message is sent to the main window.

#define ZIM_CBT_BUILD
#include "cbt/cbt.h"

namespace
{

// One copy for all processes that load the library, so that a hook running in
// another program can find the main window. Initialised, or the linker would
// move them out of the shared section.
__attribute__((section(".shared"), shared)) HWND g_mainWindow = nullptr;
__attribute__((section(".shared"), shared)) LONG g_hookRequested = 0;

} // namespace

ZIM_CBT_API void WINAPI SetMainHandle(HWND mainWindow)
{
    InterlockedExchangePointer(reinterpret_cast<PVOID*>(&g_mainWindow), mainWindow);
}

ZIM_CBT_API void WINAPI SetHook()
{
    InterlockedExchange(&g_hookRequested, 1);
}

ZIM_CBT_API void WINAPI UnSetHook()
{
    InterlockedExchange(&g_hookRequested, 0);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
