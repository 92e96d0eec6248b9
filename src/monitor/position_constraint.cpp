#include "monitor/position_constraint.h"

namespace zim
{

Point ConstrainMonitorPosition(Point proposed, const Rect& visible, Size screen)
{
    Point p = proposed;
    if (p.x + visible.left < kMonitorSnapDistance)
    {
        p.x = -visible.left;
    }
    else if (p.x + visible.right > screen.width - kMonitorSnapDistance)
    {
        p.x = screen.width - visible.right;
    }
    if (p.y + visible.top < kMonitorSnapDistance)
    {
        p.y = -visible.top;
    }
    else if (p.y + visible.bottom > screen.height - kMonitorSnapDistance)
    {
        p.y = screen.height - visible.bottom;
    }
    return p;
}

} // namespace zim
