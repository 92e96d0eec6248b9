#pragma once

// What the switch touches of the monitor window: its grid, its highlight frame,
// its coordinate label and the miniature of a sticky window.

#include "monitor/grid_geometry.h"
#include "platform/types.h"

#include <string>

namespace zim
{

class MonitorView
{
public:
    MonitorView() = default;
    MonitorView(const MonitorView&) = delete;
    MonitorView& operator=(const MonitorView&) = delete;
    virtual ~MonitorView() = default;

    // The monitor's own window, never remembered as a desktop's active window.
    virtual WindowHandle MonitorWindow() const = 0;
    // The grid as laid out last; its column and row counts bound every switch.
    virtual const GridGeometry& Grid() const = 0;
    virtual void SetFocusFrame(const Rect& bounds) = 0;
    virtual void SetCoordinateLabel(const std::string& text) = 0;
    // Moves the first miniature standing for the window; false when it has none.
    virtual bool MoveMiniature(WindowHandle window, const Rect& bounds) = 0;
    virtual void HideMonitor() = 0;
    // The 500 ms refresh of the miniatures; edge scrolling holds it off around a switch.
    virtual bool RefreshEnabled() const = 0;
    virtual void SetRefreshEnabled(bool enabled) = 0;
};

} // namespace zim
