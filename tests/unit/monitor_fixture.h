#pragma once

// The monitor's logic on a simulated 1024 x 768 desktop: a window surface that
// records what the logic asks of it, a command surface that records commands,
// and the engine the monitor follows.

#include "app/program_commands.h"
#include "engine/desktop_engine.h"
#include "monitor/monitor_model.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zim::testing
{

class FakeMonitorSurface final : public MonitorSurface
{
public:
    WindowHandle SurfaceHandle() const override { return handle; }
    void Hide() override
    {
        ++hides;
        if (onHide)
        {
            onHide();
        }
    }
    Rect Bounds() const override { return bounds; }
    Size ClientSize() const override { return client; }
    void SetTopmost(bool value) override { topmost = value; }
    void RepaintGrid(const Rect& area) override { repainted.push_back(area); }
    void RepaintClient(const Rect& area) override { repaintedClient.push_back(area); }
    void RepaintAll() override { ++fullRepaints; }
    void MiniaturesChanged(const MiniatureChanges& changes) override { reported.push_back(changes); }
    WindowHandle FindDesktopBackground() override { return background; }

    void ForgetPaints()
    {
        repainted.clear();
        repaintedClient.clear();
        fullRepaints = 0;
        reported.clear();
    }

    WindowHandle handle = 0x7777;
    Rect bounds = Rect::FromSize(0, 0, 120, 100);
    Size client{300, 225}; // under the natural look the grid area: cells of 100 x 75
    WindowHandle background = kNoWindow;
    bool topmost = true;
    int hides = 0;
    std::function<void()> onHide;
    std::vector<Rect> repainted;
    std::vector<Rect> repaintedClient;
    int fullRepaints = 0;
    std::vector<MiniatureChanges> reported;
};

class RecordingCommands final : public ProgramCommands
{
public:
    void ShowMonitor() override { log.push_back("show monitor"); }
    void HideMonitor() override
    {
        log.push_back("hide monitor");
        if (onHideMonitor)
        {
            onHideMonitor();
        }
    }
    void ToggleMonitor() override
    {
        log.push_back("toggle monitor");
        if (onToggleMonitor)
        {
            onToggleMonitor();
        }
    }
    void ShowOptions(OptionsPage page) override { pages.push_back(page); }
    void ShowHelp() override { log.push_back("help"); }
    void PopupMainMenu(Point screen) override { menus.push_back(screen); }
    void Exit() override { log.push_back("exit"); }

    std::vector<std::string> log;
    std::vector<OptionsPage> pages;
    std::vector<Point> menus;
    std::function<void()> onHideMonitor;
    std::function<void()> onToggleMonitor;
};

// A visible window on top of the z-order.
inline WindowHandle AddSimWindow(sim::SimDesktop& desktop, const std::string& title, Rect rect,
                                 const std::string& className)
{
    sim::WindowSetup setup;
    setup.title = title;
    setup.className = className;
    setup.rect = rect;
    return desktop.AddWindow(setup);
}

class MonitorTest : public ::testing::Test
{
public:
    static constexpr int W = 1024;
    static constexpr int H = 768;

protected:
    MonitorTest()
    {
        surface.onHide = [this] { model.FormHide(); };
        model.Desktopsize1Click(); // as the window does once it is created
    }

    WindowHandle Add(const std::string& title, Rect rect = Rect::FromSize(100, 100, 400, 300),
                     const std::string& className = "Notepad")
    {
        return AddSimWindow(desktop, title, rect, className);
    }
    Rect MiniatureOf(WindowHandle w) const
    {
        const Miniature* m = model.FindMiniature(w);
        return m ? m->bounds : Rect{-1, -1, -1, -1};
    }
    Point Current() const { return state.Grid.Current(); }

    sim::SimDesktop desktop{{W, H}};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    FrozenWindows frozen{desktop, hideMode};
    DesktopEngine engine{desktop, desktop, options, state, hideMode, frozen};
    FakeMonitorSurface surface;
    MonitorModel model{desktop, desktop, options, state, hideMode, surface};
};

} // namespace zim::testing
