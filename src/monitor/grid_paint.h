#pragma once

// The geometry of what the grid area shows, apart from the drawing calls: the
// inner grid lines, the highlight frame and the parts of a miniature.

#include "engine/grid_geometry.h"
#include "platform/types.h"

#include <array>

namespace zim
{

// Only the inner lines, each across the whole grid area (the strips that belong
// to no cell included); no outer border.
struct GridLines
{
    static constexpr int kMax = 9; // a grid has at most 10 columns
    std::array<int, kMax> x{};     // vertical lines
    int verticalCount = 0;
    std::array<int, kMax> y{}; // horizontal lines
    int horizontalCount = 0;
};
GridLines InnerGridLines(const GridGeometry& grid);

// The highlight frame lies one pixel outside the shown desktop's cell.
Rect FocusFrameBounds(const Rect& cell);
// The rectangle the two-pixel pen draws, in grid-area coordinates.
Rect FocusFrameOutline(const Rect& frame);

inline constexpr int kMiniatureIconSize = 16;
inline constexpr int kMiniatureIconInset = 2;
// Where the title starts when the icon was drawn.
inline constexpr int kMiniatureTitleIndent = 18;

// A miniature's title, in the miniature's own coordinates.
struct TitleLayout
{
    bool visible = false;
    Point origin; // where the text starts
    Rect clip;    // what it may cover
};
TitleLayout LayoutTitle(Size miniature, bool iconDrawn, int textHeight, bool showNames);

} // namespace zim
