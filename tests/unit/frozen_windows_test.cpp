#include "engine_fixture.h"
#include "step_runner.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

using sim::WindowSetup;
using Outcome = TZIMMoveWnd::Outcome;

class FrozenWindowsTest : public testing::EngineTest
{
protected:
    FrozenWindowsTest()
    {
        frozen.SetMoverRunner(&runner);
        frozen.SetWarning([this](const std::string& text) { warnings.push_back(text); });
    }

    WindowHandle AddHung(std::uint64_t forMs, Rect rect = Rect::FromSize(100, 100, 300, 200))
    {
        const auto w = AddWindow("", rect, "SimWindow");
        desktop.HangUntil(w, desktop.NowMs() + forMs);
        return w;
    }

    testing::StepRunner runner{desktop};
    std::vector<std::string> warnings;
};

TEST_F(FrozenWindowsTest, AFrozenWindowMovesToItsDesktopAsSoonAsItAnswers)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = AddHung(2000, place);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(RectOf(w), place); // not waited for
    EXPECT_EQ(frozen.MoveThreadCount(), 1);

    engine.DrawGrid1SelectCell(2, 1); // piles up
    runner.Step();
    runner.Step();
    EXPECT_EQ(runner.outcomes, std::vector<Outcome>{Outcome::Answered});
    EXPECT_EQ(RectOf(w), place.Offset(-2 * W, -H));
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
    EXPECT_EQ(frozen.PendingShift(w), std::nullopt);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
}

TEST_F(FrozenWindowsTest, SwitchedAwayAndBackBeforeItAnswersItEndsWithoutAMove)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = AddHung(60000, place);
    engine.DrawGrid1SelectCell(1, 0);
    engine.DrawGrid1SelectCell(0, 0);
    runner.Step();
    EXPECT_EQ(runner.outcomes, std::vector<Outcome>{Outcome::Cancelled});
    EXPECT_EQ(RectOf(w), place);
    EXPECT_EQ(desktop.MoveCount(w), 0);
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
}

TEST_F(FrozenWindowsTest, ASendReplacesThePendingShiftAndASwitchAddsToIt)
{
    const auto w = AddHung(60000);
    engine.DrawGrid1SelectCell(1, 0); // pending (-W, 0)
    engine.MoveWindowProc(w, {2 * W, H, MoveRequest::kSendToDesktop});
    EXPECT_EQ(frozen.PendingShift(w), (Point{2 * W, H}));
    engine.DrawGrid1SelectCell(2, 0); // the switch's (-W, 0) adds
    EXPECT_EQ(frozen.PendingShift(w), (Point{W, H}));
    // An application start names a desktop: (2, 1) seen from (2, 0).
    engine.MoveWindowProc(w, {2, 1, MoveRequest::kAppStarted});
    EXPECT_EQ(frozen.PendingShift(w), (Point{0, H}));
    EXPECT_EQ(frozen.MoveThreadCount(), 1); // still one worker for the window
}

TEST_F(FrozenWindowsTest, TheEighteenthFrozenWindowIsWarnedAboutAndWaitsForAFreeWorker)
{
    std::vector<WindowHandle> hung;
    for (int i = 0; i < 18; ++i)
    {
        hung.push_back(AddHung(3000, Rect::FromSize(10 * i, 10, 100, 100)));
    }
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(frozen.MoveThreadCount(), 17);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "The system appears to have more than 16 frozen windows! Zim Desk can loose some of "
                           "them if not taken care of.");
    // The one without a worker is owed its shift all the same, in the record too.
    const auto owed = [&](WindowHandle w)
    {
        const auto all = frozen.PendingShifts();
        return std::count(all.begin(), all.end(), std::pair<WindowHandle, Point>{w, Point{-W, 0}});
    };
    EXPECT_EQ(std::count_if(hung.begin(), hung.end(), [&](WindowHandle w) { return owed(w) == 1; }), 18);
    const auto waiting = std::find_if(hung.begin(), hung.end(), [&](WindowHandle w) { return !runner.Runs(w); });
    ASSERT_NE(waiting, hung.end());

    engine.DrawGrid1SelectCell(2, 0); // every one of them, waiting or not, owes both shifts
    EXPECT_EQ(frozen.PendingShift(*waiting), (Point{-2 * W, 0}));
    EXPECT_EQ(warnings.size(), 1u);

    desktop.Advance(3000);
    runner.Step(); // the seventeen answer; the first free worker takes the eighteenth
    EXPECT_EQ(frozen.MoveThreadCount(), 1);
    runner.Step();
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
    for (std::size_t i = 0; i < hung.size(); ++i)
    {
        EXPECT_EQ(RectOf(hung[i]), Rect::FromSize(10 * static_cast<int>(i) - 2 * W, 10, 100, 100)) << i;
    }
    EXPECT_TRUE(frozen.PendingShifts().empty());
}

TEST_F(FrozenWindowsTest, AWindowWaitingForAWorkerThatDiesIsDropped)
{
    std::vector<WindowHandle> hung;
    for (int i = 0; i < 19; ++i)
    {
        hung.push_back(AddHung(3000, Rect::FromSize(10 * i, 10, 100, 100)));
    }
    engine.DrawGrid1SelectCell(1, 0);
    std::vector<WindowHandle> waiting;
    std::vector<Rect> before;
    for (const WindowHandle w : hung)
    {
        if (frozen.PendingShift(w) && !runner.Runs(w))
        {
            waiting.push_back(w);
            before.push_back(RectOf(w));
        }
    }
    ASSERT_EQ(waiting.size(), 2u);
    desktop.DestroyWindow(waiting[0]);
    desktop.Advance(3000);
    runner.Step();
    EXPECT_EQ(frozen.MoveThreadCount(), 1); // only the live one got a worker
    runner.Step();
    EXPECT_EQ(RectOf(waiting[1]), before[1].Offset(-W, 0));
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
    EXPECT_TRUE(frozen.PendingShifts().empty());
}

TEST_F(FrozenWindowsTest, TheWarningWaitsUntilTheSwitchIsOverAndComesOncePerWindow)
{
    for (int i = 0; i < 18; ++i)
    {
        AddHung(600000, Rect::FromSize(10 * i, 10, 100, 100));
    }
    const auto inputTimer = desktop.CreateTimer(50, [] {});
    inputTimer->SetEnabled(true);
    engine.SetInputTimer(inputTimer.get());
    // A modal box inside the switch would let a second switch start in the first.
    bool switchOverWhenWarned = false;
    frozen.SetWarning(
        [&](const std::string& text)
        {
            warnings.push_back(text);
            switchOverWhenWarned = inputTimer->IsEnabled() && listener.events.size() == 2;
        });
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(switchOverWhenWarned);

    engine.DrawGrid1SelectCell(2, 0); // the same window left over again
    EXPECT_EQ(warnings.size(), 1u);
    const auto another = AddHung(600000, Rect::FromSize(500, 10, 100, 100));
    (void)another;
    engine.DrawGrid1SelectCell(1, 0); // a new one beyond the limit
    EXPECT_EQ(warnings.size(), 2u);
    engine.SetInputTimer(nullptr);
}

TEST_F(FrozenWindowsTest, AFrozenWindowThatDiesEndsItsWorker)
{
    const auto w = AddHung(60000);
    engine.DrawGrid1SelectCell(1, 0);
    desktop.DestroyWindow(w);
    runner.Step();
    EXPECT_EQ(runner.outcomes, std::vector<Outcome>{Outcome::Vanished});
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
}

TEST_F(FrozenWindowsTest, AWorkerProbesForASecondAtATime)
{
    const auto w = AddHung(4000);
    engine.DrawGrid1SelectCell(1, 0);
    const auto start = desktop.NowMs();
    runner.Step();
    EXPECT_EQ(desktop.NowMs() - start, TZIMMoveWnd::kProbeMs);
    EXPECT_EQ(runner.Running(), 1u);
    (void)w;
}

TEST_F(FrozenWindowsTest, ExitGathersAHungWindowLeftOnAnotherDesktopOnceItWakes)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    WindowSetup setup;
    setup.rect = place;
    const auto w = desktop.AddWindow(setup);
    engine.DrawGrid1SelectCell(2, 0); // w now lies two screens to the left
    desktop.HangUntil(w, desktop.NowMs() + 20000);
    engine.DrawGrid1SelectCell(1, 0); // frozen with a pending shift
    ASSERT_EQ(frozen.MoveThreadCount(), 1);

    frozen.CancelFrozenWindows();
    engine.BringAllOnScreen();
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(20000);
    EXPECT_EQ(RectOf(w), place); // on the visible screen, at its own place
    runner.Step();               // the abandoned worker ends without moving it again
    EXPECT_EQ(RectOf(w), place);
}

TEST_F(FrozenWindowsTest, PendingShiftsAreReadWhole)
{
    TZIMMoveWnd job(0x1, -3 * W, 2 * H);
    EXPECT_EQ(job.Shift(), (Point{-3 * W, 2 * H}));
    job.AddShift(W, -H);
    EXPECT_EQ(job.Shift(), (Point{-2 * W, H}));
    job.ReplaceShift(-1, -1);
    EXPECT_EQ(job.Shift(), (Point{-1, -1}));
}

} // namespace
} // namespace zim
