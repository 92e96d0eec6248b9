#pragma once

// Which help file the "Help" command opens. Current Windows no longer opens the
// old WinHelp format, so the program ships an HTML page; a .hlp file beside the
// program (from an older installation, on a system that still reads it) is
// preferred, and the page is the fallback when the shell refuses it.

#include "platform/platform.h"

#include <string>

namespace zim
{

inline constexpr const char* kWinHelpFile = "Zimdesk.hlp";
inline constexpr const char* kHtmlHelpFile = "Zimdesk.html";

// Opens the help beside the program through the shell. Returns the path the
// shell accepted, or an empty string when there is no help file or the shell
// refused every one (no message: missing help is no error worth one).
std::string OpenHelp(FileSystem& files, Shell& shell, const std::string& programFolder);

} // namespace zim
