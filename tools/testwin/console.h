#pragma once

// Output of a GUI-subsystem program: there is no console of its own, but a caller's pipe or an
// inherited console shows up as a standard handle.

#include <string_view>

namespace zim::testwin
{

// Writes UTF-8 text unbuffered; does nothing when the handle is missing or the reader has gone.
void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);

} // namespace zim::testwin
