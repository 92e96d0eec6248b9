#pragma once

// Records what a switch tells its listeners, and what the world looked like then.

#include "engine/desktop_grid.h"

#include <functional>
#include <string>
#include <vector>

namespace zim::testing
{

class RecordingListener final : public SwitchListener
{
public:
    struct Event
    {
        std::string kind; // "switching" or "switched"
        Point from;
        Point to;
    };

    void DesktopSwitching(Point from, Point to) override
    {
        events.push_back({"switching", from, to});
        if (onSwitching)
        {
            onSwitching();
        }
    }
    void DesktopSwitched(Point from, Point to) override
    {
        events.push_back({"switched", from, to});
        if (onSwitched)
        {
            onSwitched();
        }
    }

    std::vector<Event> events;
    std::function<void()> onSwitching; // inside the switch, before any window moves
    std::function<void()> onSwitched;  // after the windows moved and activation
};

} // namespace zim::testing
