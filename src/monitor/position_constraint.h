#pragma once

// Where the monitor may go when it is moved: its visible part never leaves the
// screen, and it snaps to an edge that it comes within a few pixels of.

#include "platform/types.h"

#include <optional>

namespace zim
{

inline constexpr int kMonitorSnapDistance = 5;

// `proposed` is the window's new top-left corner; `visible` the box of its
// visible part relative to that corner (the whole window, or the bounding box of
// its region).
Point ConstrainMonitorPosition(Point proposed, const Rect& visible, Size screen);

// The box the rule keeps on the screen, relative to the window's corner: the
// whole window under a natural skin or while the skin editor is open, else the
// bounding box of the window's region (the whole window when it has none). A
// box wider or higher than the screen is cut to it from its top-left corner, so
// that the rule can always keep that much on the screen.
Rect MonitorVisibleBox(Size window, bool natural, bool skinEditing, std::optional<Rect> regionBox, Size screen);

} // namespace zim
