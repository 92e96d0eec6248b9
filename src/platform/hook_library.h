#pragma once

// The contract with the window-hook library "cbt.dll": its three functions and
// the messages it sends to the program's hidden main window.

#include "cbt/cbt_api.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>

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
// The numbers are defined once, in the library's own header.
inline constexpr std::uint32_t kWmUser = ZIM_CBT_WM_USER;

inline constexpr std::uint32_t kSendToDesktop = ZIM_CBT_MSG_SEND_TO_DESKTOP;
inline constexpr std::uint32_t kNotify = ZIM_CBT_MSG_NOTIFY;
inline constexpr std::uint32_t kGetSizeX = ZIM_CBT_MSG_GET_SIZE_X;
inline constexpr std::uint32_t kGetSizeY = ZIM_CBT_MSG_GET_SIZE_Y;
inline constexpr std::uint32_t kHideModeMove = ZIM_CBT_MSG_HIDE_MODE_MOVE;

inline constexpr const char* kAppStartingName = ZIM_CBT_APPSTARTING_NAME;
inline constexpr const char* kAppStartedName = ZIM_CBT_APPSTARTED_NAME;
inline constexpr std::intptr_t kRegisteredMessageResult = ZIM_CBT_REGISTERED_RESULT;
inline constexpr const char* kMainWindowClass = ZIM_CBT_MAIN_WINDOW_CLASS;

inline constexpr std::uint32_t kFirstDesktopCommandBase = ZIM_CBT_COMMAND_BASE;
constexpr std::uint32_t DesktopCommandId(int desktopNumber)
{
    return ZIM_CBT_COMMAND_STEP * (kFirstDesktopCommandBase + static_cast<std::uint32_t>(desktopNumber));
}
constexpr int DesktopNumberFromCommand(std::uint32_t commandId)
{
    return static_cast<int>(commandId >> 4) - static_cast<int>(kFirstDesktopCommandBase);
}

// The cell of the desktop a system-menu command names, when it lies in the grid.
struct DesktopCell
{
    int column = 0;
    int row = 0;
};
inline std::optional<DesktopCell> CommandCell(std::uint32_t commandId, int sizeX, int sizeY)
{
    DesktopCell cell;
    if (!ZimCbtCommandCell(commandId, sizeX, sizeY, &cell.column, &cell.row))
    {
        return std::nullopt;
    }
    return cell;
}
} // namespace hookmsg

} // namespace zim
