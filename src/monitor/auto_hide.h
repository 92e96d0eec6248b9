#pragma once

// The auto-hide rule of the monitor.

#include "platform/types.h"

namespace zim
{

// True when the pointer is outside the monitor's bounds (screen coordinates).
// The comparisons are strict: a pointer on the monitor's outermost pixels, or
// on its right or bottom edge, counts as outside.
bool PointerLeftMonitor(const Rect& monitor, Point cursor);

} // namespace zim
