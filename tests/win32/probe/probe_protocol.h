#pragma once

// The questions the hook library's tests ask cbt_probe.exe's window.

#include <windows.h>

namespace zim::cbtprobe
{

inline constexpr wchar_t kProbeClass[] = L"ZimCbtProbe";

// Result: the "Send to desktop" items in the probe's system menu now.
inline constexpr UINT kCountItems = WM_APP + 1;
// Result: the separators the library put above them.
inline constexpr UINT kCountSeparators = WM_APP + 2;
// Opens the system menu as Alt+Space does and closes it 300 ms later.
inline constexpr UINT kOpenMenu = WM_APP + 3;
// Result: the items counted while the menu was last open, kNotYet before it closed.
inline constexpr UINT kItemsWhileOpen = WM_APP + 4;
// wParam: a desktop number; posts the WM_SYSCOMMAND that choosing its item posts.
inline constexpr UINT kChoose = WM_APP + 5;
// Result: the desktop commands that reached the probe's own window procedure.
inline constexpr UINT kCommandsSeen = WM_APP + 6;
// Sets the window's title to the items' captions joined by '|'.
inline constexpr UINT kPublishCaptions = WM_APP + 7;
// The next menu that opens, however it opens, is counted and closed 300 ms later.
inline constexpr UINT kCountNextMenu = WM_APP + 8;
// wParam: a desktop number; its command reaches the default window procedure
// of the active probe, as in a program that sends itself the command it chose.
inline constexpr UINT kPassOnCommand = WM_APP + 9;
// Posts the probe the request the task bar posts to open its system menu.
inline constexpr UINT kRequestSystemMenu = WM_APP + 10;

inline constexpr int kNotYet = -1;

} // namespace zim::cbtprobe
