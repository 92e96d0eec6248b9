#include "monitor/drag.h"

#include "engine/desktop_math.h"

namespace zim
{

std::optional<Point> MonitorPosToScreen(Size screen, const GridGeometry& grid, Point current, Point pos)
{
    const Size area = grid.Area();
    if (area.width <= 0 || area.height <= 0)
    {
        return std::nullopt;
    }
    const double w = screen.width;
    const double h = screen.height;
    const double x = w * grid.Columns() * pos.x / area.width - w * current.x;
    const double y = h * grid.Rows() * pos.y / area.height - h * current.y;
    return Point{RoundHalfEven(x), RoundHalfEven(y)};
}

Point MaximizedDropPosition(Size screen, Point desktopOffset)
{
    return {screen.width * desktopOffset.x - 4, screen.height * desktopOffset.y - 4};
}

bool MoveWindowToMonitorPos(WindowSystem& windows, const GridGeometry& grid, Point current, WindowHandle window,
                            Point pos)
{
    const std::optional<Point> target = MonitorPosToScreen(windows.GetScreenSize(), grid, current, pos);
    if (!windows.ProbeWindow(window, kMonitorMoveProbeMs))
    {
        return false;
    }
    if (target)
    {
        windows.MoveWindow(window, *target);
    }
    return true;
}

} // namespace zim
