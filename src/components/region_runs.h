#pragma once

// The portable half of TFormShaper's BuildRegion: the window outline
// of a bitmap as one rectangle per run of opaque pixels per row, in the order
// the rows and runs come (top to bottom, left to right). The Win32 side makes a
// region of the whole list with one ExtCreateRegion (win32/region_builder.h).

#include "platform/function_ref.h"
#include "platform/types.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zim
{

// Pixels and the mask colour are 0x00BBGGRR; a pixel is transparent when its
// three colour bytes equal the mask's (resolve a system mask colour to RGB
// first). Right and bottom edges are exclusive; a run that reaches the last
// column ends at width. A bitmap all in the mask colour, or one with a side
// below 1, gives no rectangles: the shaper then stays inactive.
// Pixels held row by row from the top, width × height of them (a shorter
// buffer gives nothing).
std::vector<Rect> BuildRegionRuns(int width, int height, std::span<const std::uint32_t> pixels, std::uint32_t maskRgb);

// The same with each pixel read through a callback (a DIB section's bits, say).
std::vector<Rect> BuildRegionRunsWith(int width, int height, FunctionRef<std::uint32_t(int x, int y)> pixel,
                                      std::uint32_t maskRgb);

// The smallest rectangle holding every run (GetRgnBox of the region); empty
// when there are no runs.
Rect RegionRunsBox(std::span<const Rect> runs);

} // namespace zim
