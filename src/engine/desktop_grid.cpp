#include "engine/desktop_grid.h"

#include "engine/desktop_math.h"

namespace zim
{

Rect DesktopGrid::ScreenToGridRect(const Rect& r, Size screen, std::int32_t dx, std::int32_t dy) const
{
    if (screen.width <= 0 || screen.height <= 0)
    {
        return {};
    }
    const double cellW = m_geometry.CellWidth();
    const double cellH = m_geometry.CellHeight();
    const double sx = cellW / screen.width;
    const double sy = cellH / screen.height;
    const double offsetX = static_cast<double>(dx / screen.width + m_current.x) * cellW;
    const double offsetY = static_cast<double>(dy / screen.height + m_current.y) * cellH;
    return {RoundHalfEven(r.left * sx + offsetX), RoundHalfEven(r.top * sy + offsetY),
            RoundHalfEven(r.right * sx + offsetX), RoundHalfEven(r.bottom * sy + offsetY)};
}

void DesktopGrid::MoveTo(Point to)
{
    const Point from = m_current;
    m_current = to;
    // A listener may unsubscribe while being told.
    const auto listeners = m_listeners;
    for (SwitchListener* listener : listeners)
    {
        listener->DesktopSwitching(from, to);
    }
}

void DesktopGrid::Switched(Point from, Point to)
{
    const auto listeners = m_listeners;
    for (SwitchListener* listener : listeners)
    {
        listener->DesktopSwitched(from, to);
    }
}

} // namespace zim
