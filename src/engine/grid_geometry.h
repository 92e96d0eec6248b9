#pragma once

// The desktop grid laid over the monitor's grid area: whole cells of
// trunc(area / count) pixels; the strips right of and below the last whole cell
// belong to no cell.

#include "platform/types.h"

namespace zim
{

struct Cell
{
    int column = -1;
    int row = -1;
    friend bool operator==(const Cell&, const Cell&) = default;
};

class GridGeometry
{
public:
    GridGeometry() = default;
    GridGeometry(Size area, int columns, int rows);

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    Size Area() const { return m_area; }
    // Rectangle of cell (column, row) in grid-area coordinates.
    Rect CellRect(int column, int row) const;
    // The cell under a grid-area point, or (-1, -1).
    Cell CellAt(Point p) const;

private:
    Size m_area;
    int m_columns = 1;
    int m_rows = 1;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
};

} // namespace zim
