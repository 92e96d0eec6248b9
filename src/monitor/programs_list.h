#pragma once

// The programs popup's content: the titles of the visible windows lying on one
// desktop, and where the popup opens.

#include "engine/grid_geometry.h"
#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zim
{

inline constexpr const char* kProgramsPopupCaption = "ProgramsInScreen";
// The monitor window's caption.
inline constexpr const char* kMonitorCaption = "Zim Desk monitor";
inline constexpr int kProgramsPopupWidth = 168;
inline constexpr int kProgramsItemHeight = 13;
// Titles are read as into a 30-character buffer.
inline constexpr std::size_t kProgramsTitleLength = 29;

// Titles of the visible windows that overlap the screen area of desktop `cell`
// (column or row -1 included: the area it would have), cut to 29 characters,
// without empty titles and the program's own popup, monitor and options dialog,
// sorted without regard to case, duplicates kept.
std::vector<std::string> ListProgramsInScreen(WindowSystem& windows, Point current, Cell cell);

// Screen bounds of the popup for `count` titles opened at a screen point: to the
// left of and below it, never past the left screen edge.
Rect ProgramsPopupBounds(Point screen, std::size_t count);

} // namespace zim
