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

Point DesktopGrid::OffsetOf(const Rect& r, Size screen, int captionFrameHeight) const
{
    const std::int32_t W = screen.width;
    const std::int32_t H = screen.height;
    if (W <= 0 || H <= 0)
    {
        return {};
    }
    // Horizontally the window's centre decides; a window half off the left edge
    // still counts as on the shown desktop.
    const std::int32_t half = (r.right - r.left) / 2;
    Point offset;
    offset.x = (r.right - half < 0) ? (r.right - half - W) / W : (r.left + half) / W;

    // Vertically a point one caption below the top edge decides.
    const std::int32_t t = r.top + captionFrameHeight;
    offset.y = (t < 0) ? (t - H) / H : t / H;

    offset.x = std::clamp(offset.x, -m_current.x, Columns() - m_current.x);
    offset.y = std::clamp(offset.y, -m_current.y, Rows() - m_current.y);
    return offset;
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
