#pragma once

// Moving a real window to the screen place that a position in the monitor's grid
// area stands for, and the state of a miniature being dragged with the right
// button.

#include "engine/grid_geometry.h"
#include "platform/platform.h"

#include <optional>

namespace zim
{

// Where a grid-area position puts a window's top-left corner on the shown screen,
// or nothing while the grid area has no size. The scale is the grid area's width
// per desktop, while miniatures are placed with the truncated cell size: the
// difference of up to one pixel per cell is kept on purpose, so that a dragged
// window lands where it always has.
std::optional<Point> MonitorPosToScreen(Size screen, const GridGeometry& grid, Point current, Point pos);

// A maximised window's frame lies 4 pixels outside its desktop on every side.
Point MaximizedDropPosition(Size screen, Point desktopOffset);

// Moves the window, when it answers within 1000 ms, without size, z-order or
// activation change; a window that does not answer stays where it is. True when
// the window answered.
bool MoveWindowToMonitorPos(WindowSystem& windows, const GridGeometry& grid, Point current, WindowHandle window,
                            Point pos);

inline constexpr unsigned kMonitorMoveProbeMs = 1000;

// One drag at a time. The dragged miniature is the first one standing for the
// window, so it is kept as that window.
class MiniatureDrag
{
public:
    bool Dragging() const { return m_dragging; }
    WindowHandle DraggedWindow() const { return m_window; }

    void Start(WindowHandle window, Point grab)
    {
        m_dragging = true;
        m_window = window;
        m_grab = grab;
    }
    // The miniature's new top-left corner for a pointer position, both in grid-area coordinates.
    Point Follow(Point pointer) const { return {pointer.x - m_grab.x, pointer.y - m_grab.y}; }
    void Stop() { *this = {}; }

private:
    bool m_dragging = false;
    WindowHandle m_window = kNoWindow;
    Point m_grab;
};

} // namespace zim
