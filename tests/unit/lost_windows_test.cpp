// Windows that could end where the user cannot reach them: a busy window
// brought to the front before its mover has moved it, a sticky window left on
// another desktop, a maximised neighbour's frame that overhangs the screen.

#include "engine_fixture.h"
#include "input/edge_scroller.h"
#include "step_runner.h"

#include <gtest/gtest.h>

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
    EdgeScroller scroller{desktop, options, state, engine, *timer2, [this] { return desktop.GetWorkArea(); }};
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
