#include "monitor/position_constraint.h"

#include <algorithm>

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

Rect MonitorVisibleBox(Size window, bool natural, bool skinEditing, std::optional<Rect> regionBox, Size screen)
{
    Rect box{0, 0, window.width, window.height};
    if (!natural && !skinEditing && regionBox && regionBox->Width() > 0 && regionBox->Height() > 0)
    {
        box = *regionBox;
    }
    if (screen.width > 0 && box.Width() > screen.width)
    {
        box.right = box.left + screen.width;
    }
    if (screen.height > 0 && box.Height() > screen.height)
    {
        box.bottom = box.top + screen.height;
    }
    return box;
}

} // namespace zim
