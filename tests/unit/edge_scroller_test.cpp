#include "engine_fixture.h"
#include "input/edge_scroller.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

class EdgeScrollerTest : public testing::EngineTest
{
protected:
    EdgeScrollerTest()
    {
        engine.SetInputTimer(timer2.get());
        scroller.SetRefreshTimer(refresh.get());
        refresh->SetEnabled(true);
        timer2->SetEnabled(true);
        desktop.SetCursorPos({W / 2, H / 2}); // away from every edge
    }

    void SetDelay(int ms)
    {
        options.Update([&](Options& o) { o.mouseDelay = ms; });
    }
    // Rests the pointer at p for n ticks of the input timer.
    void RestAt(Point p, int ticks)
    {
        for (int i = 0; i < ticks; ++i)
        {
            desktop.SetCursorPos(p);
            desktop.Advance(50);
        }
    }

    // The screen as the main window last heard of it.
    Size screen{W, H};
    Rect workArea = desktop.GetWorkArea();
    EdgeScroller* self = nullptr;
    std::unique_ptr<Timer> timer2 = desktop.CreateTimer(50, [this] { self->Timer2Timer(); });
    std::unique_ptr<Timer> refresh = desktop.CreateTimer(500, [] {});
    EdgeScroller scroller{
        desktop, options, state, engine, *timer2, [this] { return screen; }, [this] { return workArea; }};
    const bool bound = (self = &scroller, true);
};

TEST_F(EdgeScrollerTest, DwellGrowsByTheTickAndRestartsOffTheEdge)
{
    RestAt({W - 1, 300}, 5);
    EXPECT_EQ(scroller.DwellTime(), 250);
    RestAt({W - 2, 300}, 1);
    EXPECT_EQ(scroller.DwellTime(), 0);
    RestAt({W - 1, 300}, 19);
    EXPECT_EQ(Current(), (Point{0, 0}));
    RestAt({W - 1, 300}, 1); // 20 x 50 ms = the default 1000 ms
    EXPECT_EQ(Current(), (Point{1, 0}));
    EXPECT_EQ(scroller.DwellTime(), 0);
}

TEST_F(EdgeScrollerTest, TheSmallestDelaySwitchesOnTheFirstTickAndTheLargestNeedsSixtyTicks)
{
    SetDelay(1);
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));

    SetDelay(3000);
    RestAt({W - 1, 300}, 59);
    EXPECT_EQ(Current(), (Point{1, 0}));
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(Current(), (Point{2, 0}));
}

TEST_F(EdgeScrollerTest, TicksTakeTheScreenFromTheMainWindowAndFollowItsChange)
{
    // Twenty ticks a second: asking the window system for the screen each time
    // is the largest part of an idle tick's cost under Wine.
    const WindowHandle w = Add("Editor");
    desktop.SetForegroundWindow(w);
    desktop.ResetQueryCounts();
    RestAt({W / 2, H / 2}, 10);
    RestAt({W - 1, 300}, 5);
    EXPECT_EQ(desktop.ScreenQueries(), 0);
    EXPECT_EQ(scroller.DwellTime(), 250);

    // A larger display: the old right edge is no edge any more, the new one is.
    desktop.SetScreenSize({1280, 1024}, Rect::FromSize(0, 0, 1280, 994));
    screen = {1280, 1024};
    workArea = Rect::FromSize(0, 0, 1280, 994);
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(scroller.DwellTime(), 0);
    RestAt({1279, 300}, 2);
    EXPECT_EQ(scroller.DwellTime(), 100);
}

TEST_F(EdgeScrollerTest, EachEdgeSwitchesTowardsItsNeighbourAndWrapsThePointer)
{
    SetDelay(1);
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{10, 300}));

    RestAt({500, H - 1}, 1);
    EXPECT_EQ(Current(), (Point{1, 1}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{500, 10}));

    RestAt({0, 400}, 1);
    EXPECT_EQ(Current(), (Point{0, 1}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{W - 10, 400}));

    RestAt({600, 0}, 1);
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{600, H - 10}));
}

TEST_F(EdgeScrollerTest, WithoutWrapThePointerStepsBackTwentyPixels)
{
    SetDelay(1);
    options.Update([](Options& o) { o.wrapCursor = false; });
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(desktop.GetCursorPos(), (Point{W - 21, 300}));
    RestAt({500, H - 1}, 1);
    EXPECT_EQ(desktop.GetCursorPos(), (Point{500, H - 21}));
    RestAt({0, 400}, 1);
    EXPECT_EQ(desktop.GetCursorPos(), (Point{20, 400}));
    RestAt({600, 0}, 1);
    EXPECT_EQ(desktop.GetCursorPos(), (Point{600, 20}));
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(EdgeScrollerTest, EdgesWithoutANeighbourDoNothingAndTheCornerScrollsDown)
{
    SetDelay(1);
    RestAt({0, 300}, 1); // column 0: no left neighbour
    RestAt({500, 0}, 1); // row 0: no up neighbour
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{500, 0})); // not moved

    engine.DrawGrid1SelectCell(2, 0);
    RestAt({W - 1, 300}, 1); // last column
    EXPECT_EQ(Current(), (Point{2, 0}));
    RestAt({W - 1, H - 1}, 1); // bottom-right corner: the right edge passes on to down
    EXPECT_EQ(Current(), (Point{2, 1}));
}

TEST_F(EdgeScrollerTest, CheckedModifiersMustBeHeldAndAMissedChanceRestartsTheDwell)
{
    SetDelay(100);
    options.Update([](Options& o) { o.mouseShift = true; });
    RestAt({W - 1, 300}, 2);
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(scroller.DwellTime(), 0);
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(scroller.DwellTime(), 50);

    desktop.SetKeyDown(vk::kShift, true);
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));

    options.Update([](Options& o) { o.mouseAlt = true; }); // Shift held, Alt not
    RestAt({W - 1, 300}, 2);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

TEST_F(EdgeScrollerTest, AButtonHeldOnAClientAreaNeverSwitches)
{
    SetDelay(1);
    const auto w = Add("editor", Rect::FromSize(W - 300, 100, 300, 400));
    desktop.SetForegroundWindow(w);
    desktop.SetKeyDown(vk::kLButton, true);
    RestAt({W - 1, 300}, 10);
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(state.DragWnd, kNoWindow);
}

TEST_F(EdgeScrollerTest, AWindowDraggedByItsTitleBarUsesTheWorkAreaAndTravels)
{
    SetDelay(1);
    const Rect place = Rect::FromSize(400, H - kTaskbar - 20, 300, 200);
    const auto dragged = Add("dragged", place);
    const auto other = Add("other", Rect::FromSize(10, 10, 100, 100));
    desktop.SetForegroundWindow(dragged);
    desktop.SetKeyDown(vk::kLButton, true);

    // The pointer on the caption, at the work area's bottom row (above the task bar).
    RestAt({450, H - kTaskbar - 1}, 1);
    EXPECT_EQ(Current(), (Point{0, 1}));
    EXPECT_EQ(desktop.GetCursorPos(), (Point{450, 10}));
    EXPECT_EQ(*desktop.GetWindowRect(dragged), place); // travelled with the view
    EXPECT_EQ(desktop.GetWindowRect(other)->top, 10 - H);
    EXPECT_EQ(desktop.GetForegroundWindow(), dragged); // nothing else activated
    EXPECT_EQ(state.DragWnd, kNoWindow);               // cleared at the end of the tick
}

TEST_F(EdgeScrollerTest, ADraggedWindowAtTheScreensBottomRowIsNotAtAnEdge)
{
    SetDelay(1);
    const auto dragged = Add("dragged", Rect::FromSize(400, H - 20, 300, 200));
    desktop.SetForegroundWindow(dragged);
    desktop.SetKeyDown(vk::kLButton, true);
    RestAt({450, H - 1}, 3); // below the work area: no edge of it
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(EdgeScrollerTest, AHungForegroundWindowCannotStallTheTick)
{
    SetDelay(1);
    const auto hung = Add("hung", Rect::FromSize(W - 300, 100, 300, 400));
    desktop.SetForegroundWindow(hung);
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    desktop.SetKeyDown(vk::kLButton, true);
    const auto before = desktop.NowMs();
    desktop.SetCursorPos({W - 1, 105});
    scroller.Timer2Timer();
    EXPECT_LE(desktop.NowMs() - before, EdgeScroller::kHitTestTimeoutMs);
    EXPECT_EQ(Current(), (Point{0, 0})); // button held, not on a caption anyone confirmed
}

TEST_F(EdgeScrollerTest, MouseScrollOffNeitherCountsNorResetsTheDwell)
{
    SetDelay(1000);
    RestAt({W - 1, 300}, 3);
    options.Update([](Options& o) { o.mouseScroll = false; });
    RestAt({500, 300}, 5);
    RestAt({W - 1, 300}, 30);
    EXPECT_EQ(scroller.DwellTime(), 150);
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(EdgeScrollerTest, NoEdgeScrollingWhileAnApplicationStartIsPending)
{
    SetDelay(1);
    state.AppStarting = 1;
    RestAt({W - 1, 300}, 3);
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(EdgeScrollerTest, TheMonitorRefreshIsHeldOffDuringTheSwitchAndRestored)
{
    SetDelay(1);
    bool refreshDuringSwitch = true;
    listener.onSwitching = [&] { refreshDuringSwitch = refresh->IsEnabled(); };
    RestAt({W - 1, 300}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));
    EXPECT_FALSE(refreshDuringSwitch);
    EXPECT_TRUE(refresh->IsEnabled());
    EXPECT_TRUE(timer2->IsEnabled());
}

TEST_F(EdgeScrollerTest, TheViewFollowsAnActiveWindowOnAnotherDesktop)
{
    const auto here = Add("here", Rect::FromSize(100, 100, 300, 200));
    const auto there = Add("there", Rect::FromSize(W + 100, H + 100, 300, 200)); // desktop (1, 1)
    desktop.SetForegroundWindow(here);
    desktop.Advance(50);
    EXPECT_EQ(Current(), (Point{0, 0}));

    desktop.SetForegroundWindow(there); // as a click on its task-bar button does
    desktop.Advance(50);
    EXPECT_EQ(Current(), (Point{1, 1}));
    EXPECT_EQ(*desktop.GetWindowRect(there), Rect::FromSize(100, 100, 300, 200));
    EXPECT_EQ(desktop.GetForegroundWindow(), there);
    EXPECT_EQ(state.LastActiveWnd[1][1], there);
}

TEST_F(EdgeScrollerTest, AWindowDraggedByItsTitleBarOffTheScreenDoesNotPullTheViewUntilReleased)
{
    // Dragged right until 10 pixels show (less than the follow's margin), the
    // pointer on its caption but off every edge.
    const auto dragged = Add("dragged", Rect::FromSize(W - 10, 200, 300, 200));
    desktop.SetForegroundWindow(dragged);
    desktop.SetKeyDown(vk::kLButton, true);
    RestAt({W - 5, 205}, 3);
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(desktop.GetWindowRect(dragged)->left, W - 10);

    // Held on its client area instead it is no drag by the title bar.
    RestAt({W - 5, 350}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

TEST_F(EdgeScrollerTest, StickyMinimisedParkedAndBeyondTheGridWindowsDoNotPullTheView)
{
    options.Update([](Options& o) { o.stickyWindows.Add("pinned", true); });
    const auto pinned = Add("pinned", Rect::FromSize(W + 100, 100, 300, 200));
    desktop.SetForegroundWindow(pinned);
    desktop.Advance(100);
    EXPECT_EQ(Current(), (Point{0, 0}));

    // From (1, 1) a parked window would read as one desktop up and left.
    engine.DrawGrid1SelectCell(1, 1);
    const auto parked = Add("parked", Rect::FromSize(-32000, -32000, 160, 24));
    desktop.SetForegroundWindow(parked);
    desktop.Advance(100);
    EXPECT_EQ(Current(), (Point{1, 1}));
    engine.DrawGrid1SelectCell(0, 0);

    const auto minimised = Add("min", Rect::FromSize(W + 100, 100, 300, 200));
    desktop.SetMinimized(minimised, true);
    desktop.SetForegroundWindow(minimised);
    desktop.Advance(100);
    EXPECT_EQ(Current(), (Point{0, 0}));

    const auto beyond = Add("beyond", Rect::FromSize(5 * W, 100, 300, 200)); // reports column 3: refused
    desktop.SetForegroundWindow(beyond);
    desktop.Advance(100);
    EXPECT_EQ(Current(), (Point{0, 0}));

    options.Update([](Options& o) { o.taskSwitch = false; });
    const auto offDesk = Add("next", Rect::FromSize(W + 100, 100, 300, 200));
    desktop.SetForegroundWindow(offDesk);
    desktop.Advance(100);
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(EdgeScrollerTest, NoFollowInATickThatFoundThePointerAtAnEdge)
{
    SetDelay(3000);
    const auto there = Add("there", Rect::FromSize(W + 100, 100, 300, 200));
    desktop.SetForegroundWindow(there);
    RestAt({0, 300}, 1);
    EXPECT_EQ(Current(), (Point{0, 0}));
    RestAt({300, 300}, 1);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

} // namespace
} // namespace zim
