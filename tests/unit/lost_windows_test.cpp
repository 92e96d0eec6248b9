// Windows that could end where the user cannot reach them: a busy window
// brought to the front before its mover has moved it, a sticky window left on
// another desktop, a maximised neighbour's frame that overhangs the screen.

#include "engine_fixture.h"
#include "input/edge_scroller.h"
#include "step_runner.h"

#include <gtest/gtest.h>

#include <system_error>

namespace zim
{
namespace
{

class LostWindowsTest : public testing::EngineTest
{
protected:
    LostWindowsTest()
    {
        frozen.SetMoverRunner(&runner);
        frozen.SetWarning([](const std::string&) {});
        engine.SetInputTimer(timer2.get());
        timer2->SetEnabled(true);
        desktop.SetCursorPos({W / 2, H / 2});
    }

    WindowHandle AddBusy(const std::string& title, Rect rect, std::uint64_t forMs)
    {
        const auto w = Add(title, rect);
        desktop.HangUntil(w, desktop.NowMs() + forMs);
        return w;
    }

    testing::StepRunner runner{desktop};
    EdgeScroller* self = nullptr;
    std::unique_ptr<Timer> timer2 = desktop.CreateTimer(50, [this] { self->Timer2Timer(); });
    EdgeScroller scroller{desktop,
                          options,
                          state,
                          engine,
                          *timer2,
                          [this] { return desktop.GetScreenSize(); },
                          [this] { return desktop.GetWorkArea(); }};
    const bool bound = (self = &scroller, true);
};

TEST_F(LostWindowsTest, ABusyTopWindowIsNotBroughtToTheFrontAndDoesNotPullTheViewBack)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto busy = AddBusy("busy", place, 500);
    desktop.SetForegroundWindow(busy);

    // To a desktop with no remembered window: the busy window, still on the
    // screen, is the top window there.
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_TRUE(engine.IsBeingMoved(busy));
    EXPECT_NE(desktop.GetForegroundWindow(), busy);

    // It answers and its mover takes it to its desktop; the view stays.
    desktop.Advance(600);
    runner.Step();
    EXPECT_FALSE(engine.IsBeingMoved(busy));
    EXPECT_EQ(RectOf(busy), place.Offset(-W, 0));
    desktop.Advance(500);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

TEST_F(LostWindowsTest, TheFollowNeverChasesAWindowTheEngineIsMoving)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto busy = AddBusy("busy", place, 5000);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    ASSERT_TRUE(engine.IsBeingMoved(busy));
    // Its own application moves it off the screen and brings it to the front
    // while its mover still waits to move it.
    desktop.SetRect(busy, place.Offset(-W, 0));
    desktop.SetForegroundWindow(busy);
    desktop.Advance(200);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

TEST_F(LostWindowsTest, ARememberedWindowLeftToAMoverGivesWayToTheTopWindow)
{
    const auto other = Add("other", Rect::FromSize(W + 100, 100, 300, 200)); // desktop (1, 0)
    const auto busy = AddBusy("busy", Rect::FromSize(50, 50, 300, 200), 5000);
    state.LastActiveWnd[1][0] = busy; // say it was active there once
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_EQ(desktop.GetForegroundWindow(), other);
}

TEST_F(LostWindowsTest, AWindowThatTurnsStickyOnAnotherDesktopComesOntoTheScreenAtTheNextSwitch)
{
    const auto w = Add("Old caption", Rect::FromSize(W + 100, 60, 300, 200)); // desktop (1, 0)
    options.Update([](Options& o) { o.stickyWindows.Add("Pinned", true); });
    desktop.SetTitle(w, "Pinned");
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 1));
    EXPECT_EQ(RectOf(w), Rect::FromSize(100, 60, 300, 200));
    // From then on it stays on the screen like any sticky window.
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 1));
    EXPECT_EQ(RectOf(w), Rect::FromSize(100, 60, 300, 200));
}

TEST_F(LostWindowsTest, AtExitAMaximisedWindowOfTheNextDesktopComesBackDespiteItsOverhangingFrame)
{
    // Windows puts a maximised window its frame's width beyond every screen edge.
    const Rect maximisedLeft = Rect::FromSize(-W - 8, -8, W + 16, H + 16);
    const auto left = Add("left", maximisedLeft);
    const auto onScreen = Add("here", Rect::FromSize(-8, -8, W + 16, H + 16));
    engine.BringAllOnScreen();
    EXPECT_EQ(RectOf(left), Rect::FromSize(-8, -8, W + 16, H + 16));
    EXPECT_EQ(RectOf(onScreen), Rect::FromSize(-8, -8, W + 16, H + 16));
}

} // namespace
} // namespace zim

namespace zim
{
namespace
{

// A wide screen and a ten-column grid: the far desktops lie beyond the 16-bit
// positions of the window system.
class FarDesktopsTest : public ::testing::Test
{
protected:
    static constexpr int W = 3840;
    static constexpr int H = 2160;

    FarDesktopsTest() { state.Grid.Apply({400, 90}, 10, 1); }

    WindowHandle Add(const std::string& title, Rect rect)
    {
        sim::WindowSetup setup;
        setup.title = title;
        setup.className = "Notepad";
        setup.rect = rect;
        return desktop.AddWindow(setup);
    }
    Rect RectOf(WindowHandle w) { return desktop.GetWindowRect(w).value(); }

    sim::SimDesktop desktop{{W, H}, 40};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    FrozenWindows frozen{desktop, hideMode};
    DesktopEngine engine{desktop, desktop, options, state, hideMode, frozen};
};

TEST_F(FarDesktopsTest, WindowsBeyondTheCoordinateRangeWaitHiddenAndComeBackExact)
{
    const Rect place = Rect::FromSize(100, 200, 800, 600);
    const auto first = Add("first", place);
    // Column 9 lies 34560 px away: beyond what a position can hold.
    ASSERT_TRUE(engine.DrawGrid1SelectCell(9, 0));
    EXPECT_FALSE(desktop.IsWindowVisible(first));
    const Rect parked = RectOf(first);
    EXPECT_GE(parked.left, kMinWindowCoordinate);
    const auto last = Add("last", place); // opened on the far desktop
    EXPECT_EQ(hideMode.HideWndList().size(), 1u);

    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_TRUE(desktop.IsWindowVisible(first));
    EXPECT_EQ(RectOf(first), place);
    EXPECT_FALSE(desktop.IsWindowVisible(last));

    // Within the range a window moves as ever.
    ASSERT_TRUE(engine.DrawGrid1SelectCell(5, 0));
    EXPECT_TRUE(desktop.IsWindowVisible(first));
    EXPECT_EQ(RectOf(first), place.Offset(-5 * W, 0));
    ASSERT_TRUE(engine.DrawGrid1SelectCell(9, 0));
    EXPECT_TRUE(desktop.IsWindowVisible(last));
    EXPECT_EQ(RectOf(last), place);
    EXPECT_FALSE(desktop.IsWindowVisible(first));

    // At exit every window comes back onto the screen, shown.
    engine.BringAllOnScreen();
    hideMode.ShowHeldHiddenWindows();
    desktop.Advance(10);
    for (const auto w : {first, last})
    {
        EXPECT_TRUE(desktop.IsWindowVisible(w));
        const Rect r = RectOf(w);
        EXPECT_TRUE(r.left >= 0 && r.left < W && r.top >= 0 && r.top < H) << r.left << "," << r.top;
    }
}

} // namespace
} // namespace zim

namespace zim
{
namespace
{

// Runs a worker's pass when the test says, and reports it back when the test
// says: in between, the window can fall busy again.
class HoldingRunner final : public MoverRunner
{
public:
    explicit HoldingRunner(WindowSystem& windows) : m_windows(windows) {}

    void Start(std::shared_ptr<TZIMMoveWnd> job, Done done) override
    {
        if (refuse)
        {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        m_jobs.push_back({std::move(job), std::move(done), TZIMMoveWnd::Outcome::Waiting});
    }
    // Every waiting job's pass; the outcomes are held.
    void Pass()
    {
        for (Entry& entry : m_jobs)
        {
            if (entry.outcome == TZIMMoveWnd::Outcome::Waiting)
            {
                entry.outcome = entry.job->Pass(m_windows);
            }
        }
    }
    // The held outcomes reach the GUI thread.
    void Report()
    {
        auto jobs = std::move(m_jobs);
        m_jobs.clear();
        for (Entry& entry : jobs)
        {
            if (entry.outcome == TZIMMoveWnd::Outcome::Waiting)
            {
                m_jobs.push_back(std::move(entry));
            }
            else
            {
                entry.done(entry.outcome);
            }
        }
    }
    std::size_t Waiting() const { return m_jobs.size(); }
    bool refuse = false;

private:
    struct Entry
    {
        std::shared_ptr<TZIMMoveWnd> job;
        Done done;
        TZIMMoveWnd::Outcome outcome;
    };
    WindowSystem& m_windows;
    std::vector<Entry> m_jobs;
};

class BusyAgainTest : public testing::EngineTest
{
protected:
    BusyAgainTest()
    {
        frozen.SetMoverRunner(&runner);
        frozen.SetWarning([this](const std::string&) { ++warnings; });
    }
    WindowHandle AddHung(const std::string& className, std::uint64_t forMs,
                         Rect rect = Rect::FromSize(100, 100, 300, 200))
    {
        const auto w = AddWindow("busy", rect, className);
        desktop.HangUntil(w, desktop.NowMs() + forMs);
        return w;
    }
    // Everything the exit does to other programs' windows, in its order.
    void Exit()
    {
        frozen.CancelFrozenWindows();
        frozen.GatherQueuedMoves();
        engine.BringAllOnScreen();
        hideMode.ShowHeldHiddenWindows();
    }
    bool OnScreen(WindowHandle w)
    {
        const Rect r = RectOf(w);
        return r.left >= 0 && r.left < W && r.top >= 0 && r.top < H;
    }

    HoldingRunner runner{desktop};
    int warnings = 0;
};

TEST_F(BusyAgainTest, AHideModeWindowBusyAgainAfterItsAnswerGetsANewWorkerAndNothingWaits)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    const auto w = AddHung("RollUp", 300);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    desktop.Advance(400);
    runner.Pass(); // it answers its worker
    desktop.HangUntil(w, desktop.NowMs() + 5000);
    runner.Report();
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_TRUE(engine.IsBeingMoved(w)) << "a new worker waits for it";
    EXPECT_EQ(*frozen.PendingShift(w), (Point{-W, 0}));

    desktop.Advance(5100);
    runner.Pass();
    runner.Report();
    EXPECT_FALSE(desktop.IsWindowVisible(w)) << "hidden while its desktop is away";
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
}

TEST_F(BusyAgainTest, AHeldWindowItsApplicationShowedIsSentHomeOnlyWhenItAnswers)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    const auto w = AddWindow("roll-up", Rect::FromSize(100, 100, 300, 200), "RollUp");
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    ASSERT_FALSE(desktop.IsWindowVisible(w));
    desktop.ShowWindow(w, ShowCommand::ShowNoActivate); // its application shows it
    desktop.HangUntil(w, desktop.NowMs() + 3000);
    hideMode.SendHome(w);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(3100);
    hideMode.SendHome(w);
    EXPECT_FALSE(desktop.IsWindowVisible(w)) << "back on its own desktop, held hidden";
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), Rect::FromSize(100, 100, 300, 200));
}

TEST_F(BusyAgainTest, AMoveQueuedInABusyWindowsOwnThreadCannotTakeItOffScreenAfterExit)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = AddHung("Notepad", 300, place);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    desktop.Advance(400);
    runner.Pass();
    // Busy again before the GUI thread hands it its move: the move waits in its thread.
    desktop.HangUntil(w, desktop.NowMs() + 2000);
    runner.Report();
    EXPECT_EQ(RectOf(w), place) << "not moved yet";

    Exit();
    desktop.Advance(2100); // it wakes and carries out what was queued
    EXPECT_TRUE(OnScreen(w)) << "at " << RectOf(w).left << "," << RectOf(w).top;
    EXPECT_EQ(RectOf(w), place);
}

TEST_F(BusyAgainTest, NoThreadForAWorkerLeavesTheWindowWhereItIsAndCountsNothing)
{
    runner.refuse = true;
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = AddHung("Notepad", 5000, place);
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
    EXPECT_FALSE(engine.IsBeingMoved(w));
    EXPECT_EQ(RectOf(w), place);
    runner.refuse = false;
    ASSERT_TRUE(engine.DrawGrid1SelectCell(2, 0));
    EXPECT_EQ(frozen.MoveThreadCount(), 1) << "the next switch finds a worker for it";
}

TEST_F(BusyAgainTest, WhenTheWarningCloses_TheShownDesktopsWindowIsActiveAgain)
{
    const auto calm = Add("calm", Rect::FromSize(500, 100, 300, 200));
    const auto there = Add("there", Rect::FromSize(W + 500, 100, 300, 200)); // desktop (1, 0)
    for (int i = 0; i < FrozenWindows::kMaxMoveThreads + 1; ++i)
    {
        AddHung("Notepad", 3000, Rect::FromSize(10 * i, 10 * i, 300, 200));
    }
    // As the system does when a box goes: it activates a window of its choosing,
    // here one that the switch has just moved off the screen.
    frozen.SetWarning(
        [&](const std::string&)
        {
            ++warnings;
            desktop.SetForegroundWindow(calm);
        });
    state.LastActiveWnd[1][0] = there;
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    ASSERT_EQ(warnings, 1);
    EXPECT_EQ(desktop.GetForegroundWindow(), there);
}

TEST_F(BusyAgainTest, TwentyHungWindowsSwitchAtProbeCostAndAllEndOnTheScreen)
{
    std::vector<WindowHandle> hung;
    for (int i = 0; i < 20; ++i)
    {
        hung.push_back(AddHung("Notepad", 3000, Rect::FromSize(10 * i, 10 * i, 300, 200)));
    }
    const auto start = desktop.NowMs();
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_LE(desktop.NowMs() - start, 20u * DesktopEngine::kSwitchProbeMs);
    EXPECT_EQ(frozen.MoveThreadCount(), FrozenWindows::kMaxMoveThreads);
    EXPECT_EQ(warnings, 1) << "one warning, after the switch";
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);

    desktop.Advance(3100);
    runner.Pass();
    runner.Report();
    int moved = 0;
    for (const auto w : hung)
    {
        moved += RectOf(w).left < 0 ? 1 : 0;
    }
    EXPECT_EQ(moved, FrozenWindows::kMaxMoveThreads) << "those with a worker reach their desktop";

    Exit();
    desktop.Advance(100);
    for (const auto w : hung)
    {
        EXPECT_TRUE(OnScreen(w)) << "at " << RectOf(w).left << "," << RectOf(w).top;
    }
}

} // namespace
} // namespace zim
