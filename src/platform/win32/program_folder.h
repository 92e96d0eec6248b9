#pragma once

// The folder of the running program's own file, without a trailing backslash
// ("." when it cannot be read).

#include <string>

namespace zim::win32
{

std::wstring ProgramFolder();

} // namespace zim::win32
