// monitor_bench: the cost of the monitor's refresh against the simulated
// desktop. Prints the time per UpdateMiniatures and what a refresh asks of the
// window system (questions about windows, class names among them), allocates
// and repaints, for a steady desktop and for one where one window moves each time.
// A measurement, not a test: run it by hand from a release build.

#include "engine/desktop_engine.h"
#include "monitor/monitor_model.h"
#include "platform/sim/sim_desktop.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{

std::atomic<long long> g_allocations{0};

} // namespace

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
    {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace zim
{
namespace
{

class CountingSurface final : public MonitorSurface
{
public:
    WindowHandle SurfaceHandle() const override { return 0x7777; }
    void Hide() override {}
    Rect Bounds() const override { return Rect::FromSize(0, 0, 120, 100); }
    Size ClientSize() const override { return {300, 225}; }
    void SetTopmost(bool) override {}
    void RepaintGrid(const Rect&) override { ++repaints; }
    void RepaintClient(const Rect&) override { ++repaints; }
    void RepaintAll() override { ++repaints; }
    void MiniaturesChanged(const MiniatureChanges& changes) override { repaints += changes.dirty.size(); }
    WindowHandle FindDesktopBackground() override { return kNoWindow; }

    long long repaints = 0;
};

struct Result
{
    double microsPerRefresh = 0;
    double questionsPerRefresh = 0;
    double classNamesPerRefresh = 0;
    double allocationsPerRefresh = 0;
    double repaintsPerRefresh = 0;
};

Result Measure(int windowCount, bool oneMoves, int refreshes)
{
    sim::SimDesktop desktop{{1024, 768}};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    CountingSurface surface;
    MonitorModel model{desktop, desktop, options, state, hideMode, surface};

    desktop.AddWindow({}); // the bottom-most window, never shown
    WindowHandle last = kNoWindow;
    for (int i = 0; i < windowCount; ++i)
    {
        sim::WindowSetup setup;
        setup.title = "Window " + std::to_string(i);
        // Spread over the nine desktops of the default grid.
        setup.rect = Rect::FromSize((i % 3) * 1024 + (i * 37) % 600, ((i / 3) % 3) * 768 + (i * 53) % 400, 300, 200);
        last = desktop.AddWindow(setup);
    }
    model.FormShow();
    model.UpdateMiniatures(); // warm: every slot exists and the change lists have grown

    surface.repaints = 0;
    desktop.ResetQueryCounts();
    const long long allocationsBefore = g_allocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < refreshes; ++i)
    {
        if (oneMoves)
        {
            desktop.SetRect(last, Rect::FromSize(100 + (i % 2) * 200, 100, 300, 200));
        }
        model.UpdateMiniatures();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const long long allocations = g_allocations.load() - allocationsBefore;
    const int questions = desktop.StateQueries();
    const int classNames = desktop.ClassNameQueries();

    Result result;
    result.microsPerRefresh = std::chrono::duration<double, std::micro>(elapsed).count() / refreshes;
    result.questionsPerRefresh = static_cast<double>(questions) / refreshes;
    result.classNamesPerRefresh = static_cast<double>(classNames) / refreshes;
    result.allocationsPerRefresh = static_cast<double>(allocations) / refreshes;
    result.repaintsPerRefresh = static_cast<double>(surface.repaints) / refreshes;
    return result;
}

} // namespace
} // namespace zim

int main(int argc, char** argv)
{
    const int refreshes = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::printf("%-8s %-14s %12s %12s %12s %12s %12s\n", "windows", "desktop", "us/refresh", "questions", "class names",
                "allocations", "repaints");
    for (const int windows : {50, 200})
    {
        for (const bool oneMoves : {false, true})
        {
            const zim::Result r = zim::Measure(windows, oneMoves, refreshes);
            std::printf("%-8d %-14s %12.2f %12.2f %12.2f %12.2f %12.2f\n", windows, oneMoves ? "one moves" : "steady",
                        r.microsPerRefresh, r.questionsPerRefresh, r.classNamesPerRefresh, r.allocationsPerRefresh,
                        r.repaintsPerRefresh);
        }
    }
    return 0;
}
