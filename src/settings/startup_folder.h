#pragma once

// The program's own startup folder, "ZIM Startup" in the user's Start-menu
// "Programs" folder: every entry in it is opened once at each start.

#include "platform/platform.h"

#include <cstddef>

namespace zim
{

inline constexpr const char* kStartupFolderName = "ZIM Startup";
// The longest path the shell opens or takes as a working folder (MAX_PATH less
// its terminating NUL), in UTF-16 units.
inline constexpr std::size_t kMaxShellPath = 259;
// A program whose first window takes its show command from its start would stay
// hidden for good with SW_HIDE, a window the user could never reach.
inline constexpr LaunchShow kStartupShow = LaunchShow::Normal;

// Opens every entry of the startup folder with the shell (files, shortcuts and
// sub-folders alike, in the file system's order), the folder as working folder;
// an entry the shell refuses is passed over. Without a "Programs" value, or
// without the folder, nothing happens. A folder or an entry whose path is
// longer than the shell takes is left alone.
void RunStartupFolder(Registry& registry, FileSystem& files, Shell& shell);

} // namespace zim
