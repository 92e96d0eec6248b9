#pragma once

// The contract with the window-hook library "cbt.dll": its three functions and
// the messages it sends to the program's hidden main window.

#include "platform/types.h"

#include <cstdint>

namespace zim
{

// The library's exports. SetMainHandle always comes first; no result is used.
//   checking "System menu - Send to desktop (x,y)": SetMainHandle(main window), SetHook()
//   clearing it, session end and main-window destruction: SetMainHandle(0), UnSetHook()
// After SetHook the program relies on the messages below, addressed to the handle
// given to SetMainHandle; after UnSetHook it expects none.
class HookLibrary
{
public:
    HookLibrary() = default;
    HookLibrary(const HookLibrary&) = delete;
    HookLibrary& operator=(const HookLibrary&) = delete;
    virtual ~HookLibrary() = default;

    virtual void SetMainHandle(WindowHandle mainWindow) = 0;
    virtual void SetHook() = 0;
    virtual void UnSetHook() = 0;
};

namespace hookmsg
{
inline constexpr std::uint32_t kWmUser = 0x0400;

// wParam: a window; lParam: the system-menu command chosen in it. Result 0.
inline constexpr std::uint32_t kSendToDesktop = kWmUser + 4;
// No parameters; nothing to do.
inline constexpr std::uint32_t kNotify = kWmUser + 5;
// Result: the grid's column count.
inline constexpr std::uint32_t kGetSizeX = kWmUser + 7;
// Result: the grid's row count.
inline constexpr std::uint32_t kGetSizeY = kWmUser + 8;
// wParam: a window; lParam: address of two int32 (DX, DY) valid during the call. Result 0.
inline constexpr std::uint32_t kHideModeMove = kWmUser + 9;

// Registered messages, the same id in every process that registers the name.
// Result 10 for both.
inline constexpr const char* kAppStartingName = "ZIM_APPSTARTING"; // no parameters
inline constexpr const char* kAppStartedName = "ZIM_APPSTARTED";   // wParam: desktop number, lParam: process id
inline constexpr std::intptr_t kRegisteredMessageResult = 10;

// System-menu command of desktop n (1-based, row by row); the low four bits are
// the system's and are ignored.
inline constexpr std::uint32_t kFirstDesktopCommandBase = 3994;
constexpr std::uint32_t DesktopCommandId(int desktopNumber)
{
    return 16u * (kFirstDesktopCommandBase + static_cast<std::uint32_t>(desktopNumber));
}
constexpr int DesktopNumberFromCommand(std::uint32_t commandId)
{
    return static_cast<int>(commandId >> 4) - static_cast<int>(kFirstDesktopCommandBase);
}
} // namespace hookmsg

} // namespace zim
