#include "engine/grid_geometry.h"

namespace zim
{

GridGeometry::GridGeometry(Size area, int columns, int rows)
    : m_area(area), m_columns(columns), m_rows(rows), m_cellWidth(columns > 0 ? area.width / columns : 0),
      m_cellHeight(rows > 0 ? area.height / rows : 0)
{
}

Rect GridGeometry::CellRect(int column, int row) const
{
    return {column * m_cellWidth, row * m_cellHeight, (column + 1) * m_cellWidth, (row + 1) * m_cellHeight};
}

Cell GridGeometry::CellAt(Point p) const
{
    if (p.x < 0 || p.y < 0 || p.x >= m_columns * m_cellWidth || p.y >= m_rows * m_cellHeight)
    {
        return {};
    }
    return {p.x / m_cellWidth, p.y / m_cellHeight};
}

} // namespace zim
