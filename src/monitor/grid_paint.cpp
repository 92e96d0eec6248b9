#include "monitor/grid_paint.h"

#include <algorithm>

namespace zim
{

GridLines InnerGridLines(const GridGeometry& grid)
{
    GridLines lines;
    const int columns = std::min(grid.Columns(), GridLines::kMax + 1);
    for (int i = 0; i + 1 < columns; ++i)
    {
        lines.x[lines.verticalCount++] = grid.CellRect(i, 0).right;
    }
    const int rows = std::min(grid.Rows(), GridLines::kMax + 1);
    for (int j = 0; j + 1 < rows; ++j)
    {
        lines.y[lines.horizontalCount++] = grid.CellRect(0, j).bottom;
    }
    return lines;
}

Rect FocusFrameBounds(const Rect& cell)
{
    return {cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1};
}

Rect FocusFrameOutline(const Rect& frame)
{
    return {frame.left + 1, frame.top + 1, frame.right, frame.bottom};
}

TitleLayout LayoutTitle(Size miniature, bool iconDrawn, int textHeight, bool showNames)
{
    TitleLayout layout;
    layout.visible = showNames && textHeight < miniature.height;
    const int indent = iconDrawn ? kMiniatureTitleIndent : 0;
    layout.origin = {indent, 0};
    layout.clip = {indent + 1, 1, miniature.width - 1, miniature.height - 1};
    return layout;
}

} // namespace zim
