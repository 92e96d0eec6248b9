#pragma once

// Exports of the window-hook library. The program loads it at run time and
// reaches these by name; see platform/hook_library.h for the contract.

#include <windows.h>

#ifdef ZIM_CBT_BUILD
#define ZIM_CBT_API extern "C" __declspec(dllexport)
#else
#define ZIM_CBT_API extern "C" __declspec(dllimport)
#endif

// The window that receives the library's messages; 0 stops them.
ZIM_CBT_API void WINAPI SetMainHandle(HWND mainWindow);
// Starts watching other programs' windows.
ZIM_CBT_API void WINAPI SetHook();
// Stops watching.
ZIM_CBT_API void WINAPI UnSetHook();
