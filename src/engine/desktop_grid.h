#pragma once

// The desktop grid and the shown desktop, owned here and nowhere else. The size
// is the one the monitor last laid over its grid area (a size outside 1..10 is
// refused and the grid stays as it was); the shown desktop changes only by a
// switch, which tells its listeners.

#include "engine/grid_geometry.h"
#include "platform/types.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zim
{

// Whatever follows a switch: the monitor's frame and label, the wallpaper, ...
class SwitchListener
{
public:
    SwitchListener() = default;
    SwitchListener(const SwitchListener&) = delete;
    SwitchListener& operator=(const SwitchListener&) = delete;
    virtual ~SwitchListener() = default;

    // The target is in force; no window has moved yet.
    virtual void DesktopSwitching(Point from, Point to) = 0;
    // The windows have moved and the new desktop's window is active.
    virtual void DesktopSwitched(Point /*from*/, Point /*to*/) {}
};

class DesktopGrid
{
public:
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 10;
    static constexpr int kFirstRunSize = 3;

    static bool IsValidSize(int size) { return size >= kMinSize && size <= kMaxSize; }

    DesktopGrid() : m_geometry({0, 0}, kFirstRunSize, kFirstRunSize) {}
    DesktopGrid(const DesktopGrid&) = delete;
    DesktopGrid& operator=(const DesktopGrid&) = delete;

    int Columns() const { return m_geometry.Columns(); }
    int Rows() const { return m_geometry.Rows(); }
    // The grid as laid over the monitor's grid area; its cells scale the plane.
    const GridGeometry& Geometry() const { return m_geometry; }
    bool Contains(int column, int row) const { return column >= 0 && row >= 0 && column < Columns() && row < Rows(); }

    // Lays the grid over an area; false, and nothing changes, for a size outside 1..10.
    bool Apply(Size area, int columns, int rows)
    {
        if (!IsValidSize(columns) || !IsValidSize(rows))
        {
            return false;
        }
        m_geometry = GridGeometry(area, columns, rows);
        return true;
    }

    Point Current() const { return m_current; }
    std::int32_t CurrentX() const { return m_current.x; }
    std::int32_t CurrentY() const { return m_current.y; }

    // A window rectangle of the plane, shifted by (dx, dy) pixels, in grid-area
    // pixels: each screen of the plane is one cell, the shown one at its own cell.
    Rect ScreenToGridRect(const Rect& r, Size screen, std::int32_t dx, std::int32_t dy) const;

    // The desktop a window rectangle of the plane lies on, relative to the shown
    // one, in whole desktops. The upper clamp stops at the count itself: a window
    // beyond the grid reports the column or row just past it, and a switch there is refused.
    Point OffsetOf(const Rect& r, Size screen, int captionFrameHeight) const;

    void Subscribe(SwitchListener& listener) { m_listeners.push_back(&listener); }
    void Unsubscribe(SwitchListener& listener) { std::erase(m_listeners, &listener); }

private:
    friend class DesktopEngine; // the switch is the one way the shown desktop changes

    // Makes the target the shown desktop and tells every listener.
    void MoveTo(Point to);
    void Switched(Point from, Point to);

    GridGeometry m_geometry;
    Point m_current;
    std::vector<SwitchListener*> m_listeners;
};

} // namespace zim
