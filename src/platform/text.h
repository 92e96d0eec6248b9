#pragma once

// Text helpers shared by the portable code. Strings are UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace zim::text
{

std::string ToLowerAscii(std::string_view s);

// Case-insensitive comparison in the manner of the system's CompareString with
// NORM_IGNORECASE for the scripts window titles commonly use (Latin, Greek,
// Cyrillic); invalid UTF-8 bytes compare as themselves.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
// The text as those comparisons fold it (in UTF-8): equal for texts equal but
// for case, and ordered bytewise as CompareNoCase orders them. For lookup keys.
std::string FoldNoCase(std::string_view s);

// The first `maxChars` characters (code points) of a UTF-8 string, as a fixed
// buffer of the system would cut it.
std::string TruncateChars(std::string_view s, std::size_t maxChars);

// How many UTF-16 units the system needs for a UTF-8 string: what its path
// length limits count.
std::size_t Utf16Length(std::string_view s);

// File-name wildcard match ('*' and '?'), ignoring case as file names do.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Decimal text, or hexadecimal with a "0x"/"0X" prefix; false for anything else.
bool ParseInt(std::string_view s, int& value);

} // namespace zim::text
