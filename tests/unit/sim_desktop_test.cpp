#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

namespace zim::sim
{
namespace
{

WindowSetup Win(const char* title, Rect rect = Rect::FromSize(10, 20, 300, 200))
{
    WindowSetup setup;
    setup.title = title;
    setup.rect = rect;
    return setup;
}

TEST(SimDesktop, NewWindowsGoOnTopAndTheWalkFollowsZOrder)
{
    SimDesktop desktop;
    const auto a = desktop.AddWindow(Win("a"));
    const auto b = desktop.AddWindow(Win("b"));
    const auto c = desktop.AddWindow(Win("c"));
    EXPECT_EQ(desktop.ZOrder(), (std::vector<WindowHandle>{c, b, a}));
    EXPECT_EQ(desktop.GetTopWindow(), c);
    EXPECT_EQ(desktop.GetNextWindow(c), b);
    EXPECT_EQ(desktop.GetPrevWindow(b), c);
    EXPECT_EQ(desktop.GetLastWindow(c), a);
    EXPECT_EQ(desktop.GetNextWindow(a), kNoWindow);

    std::vector<WindowHandle> seen;
    desktop.EnumWindows(
        [&](WindowHandle w)
        {
            seen.push_back(w);
            return w != b; // stop after b
        });
    EXPECT_EQ(seen, (std::vector<WindowHandle>{c, b}));

    EXPECT_TRUE(desktop.SetForegroundWindow(a));
    EXPECT_EQ(desktop.GetForegroundWindow(), a);
    EXPECT_EQ(desktop.GetTopWindow(), a); // activation raises
    desktop.DestroyWindow(a);
    EXPECT_FALSE(desktop.IsWindow(a));
    EXPECT_EQ(desktop.GetForegroundWindow(), kNoWindow);
    EXPECT_FALSE(desktop.GetWindowRect(a).has_value());
}

TEST(SimDesktop, EnumerationToleratesWindowsDestroyedDuringIt)
{
    SimDesktop desktop;
    const auto a = desktop.AddWindow(Win("a"));
    const auto b = desktop.AddWindow(Win("b"));
    int visited = 0;
    desktop.EnumWindows(
        [&](WindowHandle w)
        {
            ++visited;
            if (w == b)
            {
                desktop.DestroyWindow(a);
            }
            return true;
        });
    EXPECT_EQ(visited, 2);
    EXPECT_FALSE(desktop.IsWindow(a));
}

TEST(SimDesktop, MinimisedWindowsAreParkedAndRestoredToTheirPlace)
{
    SimDesktop desktop;
    const Rect place = Rect::FromSize(50, 60, 200, 100);
    const auto w = desktop.AddWindow(Win("w", place));
    desktop.SetMinimized(w, true);
    EXPECT_TRUE(desktop.IsIconic(w));
    EXPECT_EQ(desktop.GetWindowRect(w)->left, SimDesktop::kParked);
    desktop.SetMinimized(w, false);
    EXPECT_FALSE(desktop.IsIconic(w));
    EXPECT_EQ(*desktop.GetWindowRect(w), place);
}

TEST(SimDesktop, MovesKeepTheSize)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("w", Rect::FromSize(10, 20, 300, 200)));
    EXPECT_TRUE(desktop.MoveWindow(w, {-1014, 20}));
    EXPECT_EQ(*desktop.GetWindowRect(w), Rect::FromSize(-1014, 20, 300, 200));
    EXPECT_EQ(desktop.MoveCount(w), 1);
    EXPECT_FALSE(desktop.MoveWindow(0xDEAD, {0, 0}));
}

TEST(SimDesktop, ProbeOfABusyWindowCostsTheTimeoutInSimulatedTime)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("busy"));
    const auto start = desktop.NowMs();
    desktop.HangUntil(w, start + 3000);

    EXPECT_FALSE(desktop.ProbeWindow(w, 100));
    EXPECT_EQ(desktop.NowMs(), start + 100);

    // Once it has been silent long enough the system counts it as hung: no wait at all.
    desktop.Advance(SimDesktop::kHungThresholdMs);
    desktop.HangUntil(w, desktop.NowMs() + 60000);
    desktop.Advance(SimDesktop::kHungThresholdMs);
    const auto before = desktop.NowMs();
    EXPECT_FALSE(desktop.ProbeWindow(w, 1000));
    EXPECT_EQ(desktop.NowMs(), before);
}

TEST(SimDesktop, ProbeWaitsForAWindowThatWakesWithinTheTimeout)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("slow"));
    const auto start = desktop.NowMs();
    desktop.HangUntil(w, start + 40);
    EXPECT_TRUE(desktop.ProbeWindow(w, 100));
    EXPECT_EQ(desktop.NowMs(), start + 40);

    desktop.SetProbeAnswer(w, 1);
    EXPECT_FALSE(desktop.ProbeWindow(w, 100)); // answered, but not with 0
    EXPECT_FALSE(desktop.ProbeWindow(0xDEAD, 100));
}

TEST(SimDesktop, ASynchronousMoveOfAHungWindowBlocksAndIsCounted)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("hung"));
    const auto start = desktop.NowMs();
    desktop.HangUntil(w, start + 4000);
    desktop.MoveWindow(w, {0, 0});
    EXPECT_EQ(desktop.BlockedMoveCount(), 1);
    EXPECT_EQ(desktop.NowMs(), start + 4000);
}

TEST(SimDesktop, AnAsynchronousMoveWaitsForTheWindowToWake)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("hung", Rect::FromSize(-2048, 0, 100, 100)));
    desktop.HangUntil(w, desktop.NowMs() + 4000);
    EXPECT_TRUE(desktop.MoveWindowAsync(w, {5, 6}));
    EXPECT_EQ(desktop.GetWindowRect(w)->left, -2048);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(3999);
    EXPECT_EQ(desktop.GetWindowRect(w)->left, -2048);
    desktop.Advance(1);
    EXPECT_EQ(*desktop.GetWindowRect(w), Rect::FromSize(5, 6, 100, 100));
}

TEST(SimDesktop, DestroyOnProbeModelsAWindowDyingMidSwitch)
{
    SimDesktop desktop;
    const auto w = desktop.AddWindow(Win("dying"));
    desktop.DestroyOnNextProbe(w);
    EXPECT_FALSE(desktop.ProbeWindow(w, 100));
    EXPECT_FALSE(desktop.IsWindow(w));
}

TEST(SimDesktop, TimersFireInOrderOnlyWhileEnabled)
{
    SimDesktop desktop;
    std::vector<std::string> log;
    auto fast = desktop.CreateTimer(50, [&] { log.push_back("fast@" + std::to_string(desktop.NowMs())); });
    auto slow = desktop.CreateTimer(120, [&] { log.push_back("slow@" + std::to_string(desktop.NowMs())); });
    const auto t0 = desktop.NowMs();
    desktop.Advance(200);
    EXPECT_TRUE(log.empty()); // created disabled

    fast->SetEnabled(true);
    slow->SetEnabled(true);
    const auto t1 = desktop.NowMs();
    desktop.Advance(130);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "fast@" + std::to_string(t1 + 50));
    EXPECT_EQ(log[1], "fast@" + std::to_string(t1 + 100));
    EXPECT_EQ(log[2], "slow@" + std::to_string(t1 + 120));

    fast->SetEnabled(false);
    desktop.Advance(1000);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.starts_with("fast"); }), 2);
    EXPECT_GT(t1, t0);
}

TEST(SimDesktop, ATimerMayDisableItselfDuringItsTick)
{
    SimDesktop desktop;
    int ticks = 0;
    std::unique_ptr<Timer> timer;
    timer = desktop.CreateTimer(50,
                                [&]
                                {
                                    ++ticks;
                                    timer->SetEnabled(false);
                                });
    timer->SetEnabled(true);
    desktop.Advance(500);
    EXPECT_EQ(ticks, 1);
}

TEST(SimDesktop, PostedWorkRunsOnTheNextPump)
{
    SimDesktop desktop;
    int runs = 0;
    desktop.PostToGui(
        [&]
        {
            ++runs;
            desktop.PostToGui([&] { ++runs; });
        });
    EXPECT_EQ(runs, 0);
    desktop.RunPosted();
    EXPECT_EQ(runs, 2);
}

TEST(SimDesktop, RegisteredMessagesAreStablePerNameIgnoringCase)
{
    SimDesktop desktop;
    const auto a = desktop.RegisterWindowMessage("ZIM_APPSTARTED");
    const auto b = desktop.RegisterWindowMessage("ZIM_APPSTARTING");
    EXPECT_NE(a, b);
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(desktop.RegisterWindowMessage("zim_appstarted"), a);
}

TEST(SimDesktop, ExpandEnvironmentStringsLeavesUnknownNamesAlone)
{
    SimDesktop desktop;
    desktop.SetEnvironmentVariable("WINDIR", "C:\\windows");
    EXPECT_EQ(desktop.ExpandEnvironmentStrings("%windir%\\media\\x.wav"), "C:\\windows\\media\\x.wav");
    EXPECT_EQ(desktop.ExpandEnvironmentStrings("%NOPE%\\a%"), "%NOPE%\\a%");
    EXPECT_EQ(desktop.ExpandEnvironmentStrings("100%"), "100%");
}

} // namespace
} // namespace zim::sim
