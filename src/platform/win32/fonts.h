#pragma once

// The program's standard text font: "MS Sans Serif" at 8 points, as the
// monitor's grid and the programs popup use until a skin names another.

#include "platform/win32/handles.h"

namespace zim::win32
{

inline constexpr const wchar_t* kStandardFontName = L"MS Sans Serif";
inline constexpr int kStandardFontPoints = 8;

// A font of `points` at the screen's resolution; empty when GDI refuses.
UniqueFont CreatePointFont(const wchar_t* faceName, int points);
// The same in a weight (FW_NORMAL, FW_BOLD) and a character set (DEFAULT_CHARSET,
// SYMBOL_CHARSET for the symbol fonts).
UniqueFont CreatePointFont(const wchar_t* faceName, int points, int weight, BYTE charset);

inline UniqueFont CreateStandardFont()
{
    return CreatePointFont(kStandardFontName, kStandardFontPoints);
}

} // namespace zim::win32
