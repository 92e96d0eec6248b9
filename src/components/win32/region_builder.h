#pragma once

// TFormShaper's region on Win32: the run list of region_runs.h made into one
// region with a single ExtCreateRegion call.

#include "platform/win32/handles.h"

#include <span>

namespace zim::win32
{

// The region of all runs, owned by the caller; none (a null handle) for an empty
// list or when the system refuses, so an all-transparent bitmap leaves the
// shaper inactive. Coordinates are the window's (the bitmap's pixels).
UniqueRegion CreateRegionFromRuns(std::span<const Rect> runs);

// The design's own way, one CombineRgn(RGN_OR) per run: the same region, kept to
// compare against in tests and the benchmark.
UniqueRegion CreateRegionByOrPerRun(std::span<const Rect> runs);

} // namespace zim::win32
