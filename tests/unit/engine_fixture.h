#pragma once

// The engine on a simulated 1024 x 768 desktop, its grid laid over a grid area
// of 300 x 225 (cells of 100 x 75), with a listener recording every switch.

#include "engine/desktop_engine.h"
#include "fake_monitor.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::testing
{

class EngineTest : public ::testing::Test
{
protected:
    static constexpr int W = 1024;
    static constexpr int H = 768;
    static constexpr int kTaskbar = 30;

    static constexpr WindowHandle kMonitorWindow = 0x7777;

    EngineTest()
    {
        state.Grid.Apply({300, 225}, 3, 3);
        state.Grid.Subscribe(listener);
        engine.SetMonitorWindow(kMonitorWindow);
    }
    ~EngineTest() override { state.Grid.Unsubscribe(listener); }

    Point Current() const { return state.Grid.Current(); }

    WindowHandle Add(const std::string& title, Rect rect = Rect::FromSize(100, 100, 400, 300),
                     const std::string& className = "Notepad")
    {
        return AddWindow(title, rect, className);
    }
    WindowHandle AddWindow(const std::string& title, Rect rect, const std::string& className)
    {
        sim::WindowSetup setup;
        setup.title = title;
        setup.className = className;
        setup.rect = rect;
        return desktop.AddWindow(setup);
    }
    Rect RectOf(WindowHandle w) { return desktop.GetWindowRect(w).value(); }

    sim::SimDesktop desktop{{W, H}, kTaskbar};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    FrozenWindows frozen{desktop, hideMode};
    DesktopEngine engine{desktop, desktop, options, state, hideMode, frozen};
    RecordingListener listener;
};

} // namespace zim::testing
