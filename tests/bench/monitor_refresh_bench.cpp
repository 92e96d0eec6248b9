// monitor_refresh_bench.exe: the monitor's refresh against the real window
// system, over the top-level windows that exist when it starts (open the test
// windows of other processes first; tests/bench/monitor-idle.sh --refresh does).
// Prints, per refresh, the time and this process's CPU time, and the share of
// one core that makes at the refresh's 500 ms pace; with "walk", the same for
// the z-order walk alone, which any refresh must do. A measurement run by hand
// under Wine, never by CTest: questions about another process's windows go to
// the wineserver, whose time the script reads beside.
//   monitor_refresh_bench.exe [REFRESHES [walk]]

#include "engine/engine_state.h"
#include "engine/hide_mode.h"
#include "monitor/monitor_model.h"
#include "platform/win32/win32_window_system.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace zim
{
namespace
{

class IdleTimer final : public Timer
{
public:
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    bool IsEnabled() const override { return m_enabled; }
    void SetInterval(unsigned ms) override { m_interval = ms; }
    unsigned Interval() const override { return m_interval; }

private:
    bool m_enabled = false;
    unsigned m_interval = 0;
};

// The refreshes are called here, never by a timer.
class NoScheduler final : public Scheduler
{
public:
    std::uint64_t NowMs() override { return GetTickCount64(); }
    void PostToGui(std::function<void()>) override {}
    std::unique_ptr<Timer> CreateTimer(unsigned intervalMs, std::function<void()>) override
    {
        auto timer = std::make_unique<IdleTimer>();
        timer->SetInterval(intervalMs);
        return timer;
    }
};

class CountingSurface final : public MonitorSurface
{
public:
    WindowHandle SurfaceHandle() const override { return kNoWindow; }
    void Hide() override {}
    Rect Bounds() const override { return Rect::FromSize(0, 0, 300, 225); }
    Size ClientSize() const override { return {300, 225}; }
    void SetTopmost(bool) override {}
    void RepaintGrid(const Rect&) override { ++repaints; }
    void RepaintClient(const Rect&) override { ++repaints; }
    void RepaintAll() override { ++repaints; }
    void MiniaturesChanged(const MiniatureChanges& changes) override
    {
        repaints += static_cast<long long>(changes.dirty.size());
    }
    WindowHandle FindDesktopBackground() override
    {
        return static_cast<WindowHandle>(
            reinterpret_cast<std::uintptr_t>(FindWindowW(L"DesktopBackgroundClass", nullptr)));
    }

    long long repaints = 0;
};

double NowMicros()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double CpuMicros()
{
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t)
    { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10.0;
}

struct Cost
{
    double wall = 0; // microseconds per refresh
    double cpu = 0;
};

template <typename Work> Cost Measure(int refreshes, Work&& work)
{
    const double wall0 = NowMicros();
    const double cpu0 = CpuMicros();
    for (int i = 0; i < refreshes; ++i)
    {
        work();
    }
    return {(NowMicros() - wall0) / refreshes, (CpuMicros() - cpu0) / refreshes};
}

} // namespace
} // namespace zim

int main(int argc, char** argv)
{
    using namespace zim;
    const int refreshes = argc > 1 ? std::max(4, std::atoi(argv[1])) : 2000;
    win32::Win32WindowSystem windows;
    NoScheduler scheduler;
    OptionsModel options;
    EngineState state{windows};
    HideMode hideMode{windows, options, state};
    CountingSurface surface;
    MonitorModel model{windows, scheduler, options, state, hideMode, surface};
    model.Desktopsize1Click();
    model.FormShow();
    for (int i = 0; i < 20; ++i)
    {
        model.UpdateMiniatures(); // warm: every slot exists
    }
    surface.repaints = 0;

    int walked = 0;
    const auto walk = [&]
    {
        // The list of top-level windows, as the refresh takes it.
        walked = 0;
        windows.EnumWindows([&](WindowHandle) { return ++walked < kMaxZOrderWalk; });
    };
    walk();
    const bool walkOnly = argc > 2 && std::strcmp(argv[2], "walk") == 0;
    const Cost cost = walkOnly ? Measure(refreshes, walk) : Measure(refreshes, [&] { model.UpdateMiniatures(); });
    const double perSecond = 1000.0 / MonitorModel::kRefreshMs;
    std::printf("%-6s %d windows walked, %zu miniatures, %lld repaints in %d: %.1f us wall, %.1f us cpu each; "
                "%.3f %% of one core at %.0f a second\n",
                walkOnly ? "walk" : "refresh", walked, model.Miniatures().Size(), surface.repaints, refreshes,
                cost.wall, cost.cpu, cost.cpu * perSecond / 1e4, perSecond);
    return 0;
}
