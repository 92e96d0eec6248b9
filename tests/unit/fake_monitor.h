#pragma once

// A monitor that records what the engine asks of it.

#include "engine/monitor_view.h"

#include <functional>
#include <map>
#include <string>

namespace zim::testing
{

class FakeMonitor final : public MonitorView
{
public:
    explicit FakeMonitor(GridGeometry grid, WindowHandle window = 0x7777) : m_grid(grid), m_window(window) {}

    WindowHandle MonitorWindow() const override { return m_window; }
    const GridGeometry& Grid() const override { return m_grid; }
    void SetFocusFrame(const Rect& bounds) override
    {
        focusFrame = bounds;
        if (onFocusFrame)
        {
            onFocusFrame();
        }
    }
    void SetCoordinateLabel(const std::string& text) override { label = text; }
    bool MoveMiniature(WindowHandle window, const Rect& bounds) override
    {
        const auto it = miniatures.find(window);
        if (it == miniatures.end())
        {
            return false;
        }
        it->second = bounds;
        return true;
    }
    void HideMonitor() override { hidden = true; }
    bool RefreshEnabled() const override { return refreshEnabled; }
    void SetRefreshEnabled(bool enabled) override { refreshEnabled = enabled; }

    GridGeometry m_grid;
    WindowHandle m_window;
    Rect focusFrame;
    std::string label;
    bool hidden = false;
    bool refreshEnabled = true;
    std::map<WindowHandle, Rect> miniatures;
    std::function<void()> onFocusFrame; // runs inside the switch, before windows move
};

} // namespace zim::testing
