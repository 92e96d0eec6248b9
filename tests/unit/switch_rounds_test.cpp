#include "engine_fixture.h"
#include "step_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim
{
namespace
{

using sim::SimDesktop;

class SwitchRoundsTest : public testing::EngineTest
{
protected:
    SwitchRoundsTest() { frozen.SetMoverRunner(&runner); }

    // Windows on desktop (0, 0), the first added lowest in the z-order.
    std::vector<WindowHandle> AddMany(int count)
    {
        std::vector<WindowHandle> windows;
        for (int i = 0; i < count; ++i)
        {
            windows.push_back(Add("w" + std::to_string(i), Rect::FromSize(10 + i, 20 + i, 300, 200)));
        }
        return windows;
    }

    std::vector<SimDesktop::Operation> OperationsExcept(const std::string& what) const
    {
        std::vector<SimDesktop::Operation> result;
        for (const auto& op : desktop.Operations())
        {
            if (op.what != what)
            {
                result.push_back(op);
            }
        }
        return result;
    }

    // Lets the movers wait until every window they hold has answered.
    void RunMovers()
    {
        for (int pass = 0; pass < 100 && runner.Running() > 0; ++pass)
        {
            runner.Step();
        }
        ASSERT_EQ(runner.Running(), 0u);
    }

    testing::StepRunner runner{desktop};
};

TEST_F(SwitchRoundsTest, FiveHungWindowsAmongFiftyCostOneProbeTogetherAndWaitForTheirMovers)
{
    const auto windows = AddMany(50);
    // The five on top of the z-order, as a busy application's windows often are.
    for (int i = 45; i < 50; ++i)
    {
        desktop.HangUntil(windows[i], desktop.NowMs() + 3000);
    }
    const std::uint64_t before = desktop.NowMs();

    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));

    // One probe's time in all, where one after another would cost five.
    EXPECT_LE(desktop.NowMs() - before, DesktopEngine::kSwitchProbeMs);
    EXPECT_GE(desktop.NowMs() - before, DesktopEngine::kSwitchProbeMs);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    for (int i = 0; i < 45; ++i)
    {
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + i - W, 20 + i, 300, 200)) << i;
    }
    for (int i = 45; i < 50; ++i)
    {
        EXPECT_TRUE(engine.IsBeingMoved(windows[i])) << i;
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + i, 20 + i, 300, 200)) << i; // not yet
    }

    RunMovers();
    for (int i = 45; i < 50; ++i)
    {
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + i - W, 20 + i, 300, 200)) << i;
        EXPECT_FALSE(engine.IsBeingMoved(windows[i])) << i;
    }
}

TEST_F(SwitchRoundsTest, MovesHideModeAndHandOversFollowTheZOrderAfterEveryWindowWasProbed)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    const auto bottom = Add("bottom");
    const auto rollUp = AddWindow("roll", Rect::FromSize(50, 50, 200, 100), "RollUp");
    const auto hung = Add("hung");
    const auto top = Add("top");
    desktop.HangUntil(hung, desktop.NowMs() + 2000);

    // The probe of the top window is the first thing any window is asked.
    std::vector<SimDesktop::Operation> beforeFirstProbe;
    int probesBefore = -1;
    desktop.SetOnProbe(top,
                       [&]
                       {
                           beforeFirstProbe = desktop.Operations();
                           probesBefore = desktop.ProbeCount();
                       });
    desktop.ClearOperations();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 1));

    EXPECT_TRUE(beforeFirstProbe.empty());
    EXPECT_EQ(probesBefore, 1);
    EXPECT_EQ(desktop.ProbeCount(), 4);
    // Top of the z-order first: the top window's move, the roll-up window
    // hidden (raised first) on its way, then the bottom window; the hung
    // window waits for its mover.
    const std::vector<SimDesktop::Operation> expected{
        {top, "move-async"}, {rollUp, "raise-async"}, {rollUp, "hide-async"}, {bottom, "move-async"}};
    EXPECT_EQ(OperationsExcept("show"), expected);
    EXPECT_TRUE(engine.IsBeingMoved(hung));
    EXPECT_FALSE(desktop.IsWindowVisible(rollUp));

    // And back: the roll-up window is shown at its place, the others move home.
    RunMovers();
    desktop.ClearOperations();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_TRUE(desktop.IsWindowVisible(rollUp));
    EXPECT_EQ(RectOf(rollUp), Rect::FromSize(50, 50, 200, 100));
    EXPECT_EQ(RectOf(hung), Rect::FromSize(100, 100, 400, 300));
    EXPECT_EQ(RectOf(top), Rect::FromSize(100, 100, 400, 300));
}

TEST_F(SwitchRoundsTest, AWindowThatAnswersAndThenHangsNeverHoldsTheSwitchAndStillArrives)
{
    const auto steady = Add("steady", Rect::FromSize(W + 100, 100, 300, 200));
    const auto flaky = Add("flaky", Rect::FromSize(W + 200, 150, 300, 200));
    // The user last left desktop (1, 0) with the flaky window in front.
    state.LastActiveWnd[1][0] = flaky;
    desktop.HangAfterNextProbe(flaky, desktop.NowMs() + 60000);
    const std::uint64_t before = desktop.NowMs();

    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));

    EXPECT_EQ(desktop.NowMs(), before); // both answered at once, nothing waited after
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_EQ(RectOf(steady), Rect::FromSize(100, 100, 300, 200));
    // Its thread has not moved it yet, but it counts where its move puts it, so
    // the remembered window is the one brought to the front, and the follow of
    // the active window sees no reason to switch back.
    EXPECT_EQ(RectOf(flaky), Rect::FromSize(W + 200, 150, 300, 200));
    EXPECT_EQ(engine.WindowDesktopOffset(flaky), (Point{0, 0}));
    EXPECT_EQ(desktop.GetForegroundWindow(), flaky);

    desktop.Advance(61000);
    EXPECT_EQ(RectOf(flaky), Rect::FromSize(200, 150, 300, 200));
    EXPECT_EQ(engine.WindowDesktopOffset(flaky), (Point{0, 0}));

    // Moved by someone else later, it counts where it really is.
    desktop.SetRect(flaky, Rect::FromSize(2 * W + 5, 5, 300, 200));
    EXPECT_EQ(engine.WindowDesktopOffset(flaky), (Point{2, 0}));
}

TEST_F(SwitchRoundsTest, AMoveStillOnItsWayIsOvertakenByTheNextSwitchWithoutLosingEither)
{
    const auto flaky = Add("flaky", Rect::FromSize(100, 100, 300, 200));
    desktop.HangAfterNextProbe(flaky, desktop.NowMs() + 2000);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0)); // answered, then hung: its move waits in its queue
    ASSERT_TRUE(engine.DrawGrid1SelectCell(2, 0)); // it does not answer: its mover takes this shift
    EXPECT_EQ(engine.WindowDesktopOffset(flaky), (Point{-1, 0}));

    RunMovers();
    desktop.Advance(6000);
    // Both shifts, in order: two desktops to the left of the shown one.
    EXPECT_EQ(RectOf(flaky), Rect::FromSize(100 - 2 * W, 100, 300, 200));
    EXPECT_EQ(engine.WindowDesktopOffset(flaky), (Point{-2, 0}));
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(RectOf(flaky), Rect::FromSize(100, 100, 300, 200));
}

TEST_F(SwitchRoundsTest, ASwitchAskedForDuringASwitchRunsAfterItAndNothingIsLeftBehind)
{
    const auto windows = AddMany(6);
    std::vector<Point> switchedTo;
    listener.onSwitched = [&] { switchedTo.push_back(Current()); };
    bool accepted = false;
    // As if a hotkey reached the program while it waited for the probes.
    desktop.SetOnProbe(windows[2], [&] { accepted = engine.DrawGrid1SelectCell(2, 2); });

    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));

    EXPECT_TRUE(accepted);
    EXPECT_EQ(switchedTo, (std::vector<Point>{{1, 0}, {2, 2}}));
    EXPECT_EQ(Current(), (Point{2, 2}));
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + i - 2 * W, 20 + i - 2 * H, 300, 200)) << i;
    }
    EXPECT_FALSE(engine.IsSwitching());
}

TEST_F(SwitchRoundsTest, ASingleWindowSentDuringASwitchMovesAfterIt)
{
    const auto a = Add("a", Rect::FromSize(100, 100, 300, 200));
    const auto b = Add("b", Rect::FromSize(200, 100, 300, 200));
    // The request arrives while the switch to (1, 0) waits: "b to the desktop right of the shown one".
    desktop.SetOnProbe(a, [&] { engine.MoveWindowProc(b, {W, 0, MoveRequest::kSendToDesktop}); });

    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));

    EXPECT_EQ(RectOf(a), Rect::FromSize(100 - W, 100, 300, 200));
    // The switch's shift first, then the send on top of it.
    EXPECT_EQ(RectOf(b), Rect::FromSize(200, 100, 300, 200));
}

TEST_F(SwitchRoundsTest, ASwitchOverKnownWindowsAsksNoClassNameAndEachStateOnlyForItsPlanAndMove)
{
    const auto windows = AddMany(20);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    desktop.ResetQueryCounts();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(desktop.ClassNameQueries(), 0) << "a window's class is asked once per handle";
    // Two per window (its plan and its move), and a few for the window activated after.
    EXPECT_LE(desktop.StateQueries(), 2 * 20 + 4) << "the last switch's moves are not checked one by one first";
    for (std::size_t i = 0; i < windows.size(); ++i)
    {
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + static_cast<int>(i), 20 + static_cast<int>(i), 300, 200));
    }
}

TEST_F(SwitchRoundsTest, AWindowSkippedWhileHiddenIsFoundWhereItReallyIsWhenItComesBack)
{
    // In the middle of the grid, where a window a desktop to the left is not
    // counted as on the shown one.
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    const auto w = Add("tray app", Rect::FromSize(10, 20, 300, 200));
    // While a window is dragged across, nothing is activated after a switch:
    // nothing but the switches looks at `w`.
    state.DragWnd = Add("dragged", Rect::FromSize(400, 20, 300, 200));
    ASSERT_TRUE(engine.DrawGrid1SelectCell(2, 0));
    ASSERT_EQ(RectOf(w), Rect::FromSize(10 - 1024, 20, 300, 200));
    desktop.ShowWindow(w, ShowCommand::Hide);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0)); // a hidden window is left where it is
    // Its application puts it back at its own place and shows it.
    desktop.MoveWindow(w, {10, 20});
    desktop.ShowWindow(w, ShowCommand::ShowNoActivate);
    EXPECT_EQ(engine.WindowDesktopOffset(w), (Point{0, 0})) << "not taken for the first switch's move still to come";
}

TEST_F(SwitchRoundsTest, AWindowThatDiesWhileProbedIsSkippedAndTheRestMove)
{
    const auto windows = AddMany(5);
    desktop.DestroyOnNextProbe(windows[3]);
    desktop.SetOnProbe(windows[1], [&] { desktop.DestroyWindow(windows[4]); });
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 1));
    for (const int i : {0, 1, 2})
    {
        EXPECT_EQ(RectOf(windows[i]), Rect::FromSize(10 + i, 20 + i - H, 300, 200)) << i;
    }
    EXPECT_FALSE(desktop.IsWindow(windows[3]));
    EXPECT_FALSE(desktop.IsWindow(windows[4]));
    EXPECT_FALSE(engine.IsBeingMoved(windows[3]));
}

} // namespace
} // namespace zim
