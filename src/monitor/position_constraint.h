#pragma once

// Where the monitor may go when it is moved: its visible part never leaves the
// screen, and it snaps to an edge that it comes within a few pixels of.

#include "platform/types.h"

namespace zim
{

inline constexpr int kMonitorSnapDistance = 5;

// `proposed` is the window's new top-left corner; `visible` the box of its
// visible part relative to that corner (the whole window, or the bounding box of
// its region).
Point ConstrainMonitorPosition(Point proposed, const Rect& visible, Size screen);

} // namespace zim
