#include "engine_fixture.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

using sim::WindowSetup;

class DesktopEngineTest : public testing::EngineTest
{
protected:
    DesktopEngineTest()
    {
        inputTimer->SetEnabled(true);
        engine.SetInputTimer(inputTimer.get());
    }

    std::unique_ptr<Timer> inputTimer = desktop.CreateTimer(50, [] {});
};

TEST_F(DesktopEngineTest, SwitchMovesOrdinaryWindowsByWholeScreensAndBack)
{
    const Rect a0 = Rect::FromSize(100, 100, 400, 300);
    const Rect b0 = Rect::FromSize(-50, 700, 200, 100);
    const auto a = Add("a", a0);
    const auto b = Add("b", b0);

    EXPECT_TRUE(engine.DrawGrid1SelectCell(2, 1));
    EXPECT_EQ(RectOf(a), a0.Offset(-2 * W, -H));
    EXPECT_EQ(RectOf(b), b0.Offset(-2 * W, -H));
    EXPECT_EQ(Current(), (Point{2, 1}));

    EXPECT_TRUE(engine.DrawGrid1SelectCell(1, 2));
    EXPECT_EQ(RectOf(a), a0.Offset(-W, -2 * H));

    EXPECT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(RectOf(a), a0);
    EXPECT_EQ(RectOf(b), b0);
}

TEST_F(DesktopEngineTest, SwitchTellsItsListenersBeforeAnyWindowMovesAndOnceTheTargetIsActive)
{
    const auto a = Add("a", Rect::FromSize(10, 10, 100, 100));
    const auto b = Add("b", Rect::FromSize(W + 10, 10, 100, 100));
    Rect aWhenSwitching;
    Point currentWhenSwitching;
    bool timerWasOff = false;
    listener.onSwitching = [&]
    {
        aWhenSwitching = RectOf(a);
        currentWhenSwitching = Current();
        timerWasOff = !inputTimer->IsEnabled();
    };
    WindowHandle activeWhenSwitched = kNoWindow;
    listener.onSwitched = [&] { activeWhenSwitched = desktop.GetForegroundWindow(); };

    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(aWhenSwitching, Rect::FromSize(10, 10, 100, 100)); // not moved yet
    EXPECT_EQ(currentWhenSwitching, (Point{1, 0}));              // the target is in force
    EXPECT_TRUE(timerWasOff);
    EXPECT_EQ(activeWhenSwitched, b);
    EXPECT_TRUE(inputTimer->IsEnabled()); // restored after the switch
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[0].kind, "switching");
    EXPECT_EQ(listener.events[1].kind, "switched");
    EXPECT_EQ(listener.events[1].from, (Point{0, 0}));
    EXPECT_EQ(listener.events[1].to, (Point{1, 0}));

    // A refused switch tells nobody.
    engine.DrawGrid1SelectCell(5, 0);
    EXPECT_EQ(listener.events.size(), 2u);
}

TEST_F(DesktopEngineTest, ADisabledInputTimerStaysDisabled)
{
    inputTimer->SetEnabled(false);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_FALSE(inputTimer->IsEnabled());
}

TEST_F(DesktopEngineTest, StickyWindowsStayPut)
{
    options.Update(
        [](Options& o)
        {
            o.stickyWindows.Add("clock", true); // matches "Clock" ignoring case
            o.stickyWindows.Add("Unchecked one", false);
            o.stickyClasses.Add("winamp v1.x", true); // class names ignore case in the list
        });
    const Rect place = Rect::FromSize(512, 384, 100, 100);
    const auto byCaption = Add("Clock", place);
    const auto byClass = Add("player", place, "Winamp v1.X");
    const auto fixed = Add("task bar", place, "Shell_TrayWnd");
    const auto unchecked = Add("Unchecked one", place);
    const auto fixedWrongCase = Add("not ours", place, "tzimmonitor"); // fixed list compares case

    engine.DrawGrid1SelectCell(1, 1);
    EXPECT_EQ(RectOf(byCaption), place);
    EXPECT_EQ(RectOf(byClass), place);
    EXPECT_EQ(RectOf(fixed), place);
    EXPECT_EQ(RectOf(unchecked), place.Offset(-W, -H));
    EXPECT_EQ(RectOf(fixedWrongCase), place.Offset(-W, -H));
}

TEST_F(DesktopEngineTest, AnUncheckedStickyClassEntryIsNotSticky)
{
    options.Update([](Options& o) { o.stickyClasses.Add("Notepad", false); });
    EXPECT_FALSE(engine.IsStickyWindow(Add("n")));
}

TEST_F(DesktopEngineTest, CaptionChangesChangeStickinessAtTheNextSwitch)
{
    options.Update([](Options& o) { o.stickyWindows.Add("Pinned", true); });
    const Rect place = Rect::FromSize(10, 10, 100, 100);
    const auto w = Add("Pinned", place);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(RectOf(w), place);
    desktop.SetTitle(w, "No longer pinned");
    engine.DrawGrid1SelectCell(2, 0);
    EXPECT_EQ(RectOf(w), place.Offset(-W, 0));
}

TEST_F(DesktopEngineTest, LongNamesAreComparedInTheirCutForm)
{
    const std::string longTitle(300, 't');
    options.Update([&](Options& o) { o.stickyWindows.Add(longTitle.substr(0, 254), true); });
    EXPECT_TRUE(engine.IsStickyWindow(Add(longTitle)));
}

TEST_F(DesktopEngineTest, MinimisedAndHiddenWindowsKeepTheirPlace)
{
    const auto minimised = Add("min", Rect::FromSize(100, 100, 300, 200));
    desktop.SetMinimized(minimised, true);
    const Rect parked = RectOf(minimised);
    WindowSetup hiddenSetup;
    hiddenSetup.visible = false;
    const auto hidden = desktop.AddWindow(hiddenSetup);
    const Rect hiddenPlace = RectOf(hidden);

    engine.DrawGrid1SelectCell(2, 2);
    EXPECT_EQ(RectOf(minimised), parked);
    EXPECT_EQ(RectOf(hidden), hiddenPlace);
    desktop.SetMinimized(minimised, false);
    EXPECT_EQ(RectOf(minimised), Rect::FromSize(100, 100, 300, 200)); // restored onto the shown desktop
}

TEST_F(DesktopEngineTest, AHungWindowIsNeverMovedSynchronouslyAndCostsAtMostTheProbe)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto hung = Add("hung", place);
    const auto fine = Add("fine", place);
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    const auto start = desktop.NowMs();

    EXPECT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_LE(desktop.NowMs() - start, DesktopEngine::kSwitchProbeMs);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_EQ(RectOf(hung), place);
    EXPECT_EQ(RectOf(fine), place.Offset(-W, 0));
}

TEST_F(DesktopEngineTest, AWindowAnsweringTheProbeWithNonZeroIsNotMoved)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto odd = Add("odd", place);
    desktop.SetProbeAnswer(odd, 1);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(RectOf(odd), place);
    EXPECT_EQ(desktop.MoveCount(odd), 0);
}

TEST_F(DesktopEngineTest, AWindowThatDiesMidSwitchIsSkipped)
{
    const auto dying = Add("dying");
    const auto other = Add("other", Rect::FromSize(0, 0, 10, 10));
    desktop.DestroyOnNextProbe(dying);
    EXPECT_TRUE(engine.DrawGrid1SelectCell(0, 1));
    EXPECT_FALSE(desktop.IsWindow(dying));
    EXPECT_EQ(RectOf(other), Rect::FromSize(0, -H, 10, 10));
}

TEST_F(DesktopEngineTest, OneByOneGridRefusesEveryNeighbourSilently)
{
    state.Grid.Apply({300, 225}, 1, 1);
    options.Update([](Options& o) { o.soundFile = "C:\\switch.wav"; });
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = Add("w", place);
    engine.LabelEffect3Click();
    engine.LabelEffect4Click();
    engine.LabelEffect5Click();
    engine.LabelEffect6Click();
    EXPECT_TRUE(desktop.SoundsPlayed().empty());
    EXPECT_EQ(RectOf(w), place);
    EXPECT_EQ(Current(), (Point{0, 0}));

    EXPECT_TRUE(engine.DrawGrid1SelectCell(0, 0)); // the only cell: a zero shift with sound
    EXPECT_EQ(desktop.SoundsPlayed(), std::vector<std::string>{"C:\\switch.wav"});
    EXPECT_EQ(RectOf(w), place);
}

TEST_F(DesktopEngineTest, DirectionHandlersSwitchToTheNeighbours)
{
    engine.LabelEffect5Click(); // right
    EXPECT_EQ(Current(), (Point{1, 0}));
    engine.LabelEffect3Click(); // down
    EXPECT_EQ(Current(), (Point{1, 1}));
    engine.LabelEffect4Click(); // left
    EXPECT_EQ(Current(), (Point{0, 1}));
    engine.LabelEffect6Click(); // up
    EXPECT_EQ(Current(), (Point{0, 0}));
    engine.LabelEffect6Click(); // refused at the top edge
    engine.LabelEffect4Click();
    EXPECT_EQ(Current(), (Point{0, 0}));
}

TEST_F(DesktopEngineTest, SwitchIsRefusedWhileAnApplicationStartIsPending)
{
    options.Update([](Options& o) { o.soundFile = "C:\\switch.wav"; });
    const auto w = Add("w");
    state.AppStarting = 1;
    EXPECT_FALSE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_EQ(Current().x, 0);
    EXPECT_EQ(desktop.MoveCount(w), 0);
    EXPECT_TRUE(desktop.SoundsPlayed().empty());
    EXPECT_TRUE(inputTimer->IsEnabled());
    EXPECT_FALSE(engine.DrawGrid1SelectCell(-1, 0));
    state.AppStarting = 0;
    EXPECT_FALSE(engine.DrawGrid1SelectCell(3, 0));
    EXPECT_FALSE(engine.DrawGrid1SelectCell(0, 3));
    EXPECT_TRUE(engine.DrawGrid1SelectCell(2, 2));
}

TEST_F(DesktopEngineTest, SwitchingToTheShownDesktopActivatesItsRememberedWindow)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto a = Add("a", place);
    const auto b = Add("b", place);
    desktop.SetForegroundWindow(a);
    options.Update([](Options& o) { o.soundFile = "ding.wav"; });

    EXPECT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(RectOf(a), place);
    EXPECT_EQ(RectOf(b), place);
    EXPECT_EQ(desktop.GetForegroundWindow(), a);
    EXPECT_EQ(state.LastActiveWnd[0][0], a);
    EXPECT_EQ(desktop.SoundsPlayed().size(), 1u);
}

TEST_F(DesktopEngineTest, TheMonitorIsNeverRememberedAsADesktopsActiveWindow)
{
    const auto a = Add("a");
    desktop.SetForegroundWindow(a);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(state.LastActiveWnd[0][0], a);

    WindowSetup monitorSetup;
    monitorSetup.className = "TZIMMonitor";
    const auto monitorWindow = desktop.AddWindow(monitorSetup);
    engine.SetMonitorWindow(monitorWindow);
    desktop.SetForegroundWindow(monitorWindow);
    state.LastActiveWnd[1][0] = a;
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_EQ(state.LastActiveWnd[1][0], a); // kept
}

TEST_F(DesktopEngineTest, LastActiveWindowRoundTripsAcrossTwoDesktops)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto first = Add("first", place);
    desktop.SetForegroundWindow(first);
    engine.DrawGrid1SelectCell(1, 0);

    const auto second = Add("second", place); // opened on desktop (1, 0)
    const auto third = Add("third", place);
    desktop.SetForegroundWindow(second);
    EXPECT_EQ(desktop.GetTopWindow(), second);

    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_EQ(desktop.GetForegroundWindow(), first);
    EXPECT_EQ(state.LastActiveWnd[1][0], second);

    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(desktop.GetForegroundWindow(), second); // not the topmost, third
    EXPECT_EQ(RectOf(third), place);
}

TEST_F(DesktopEngineTest, ARememberedWindowThatLeftOrClosedGivesWayToTheTopWindow)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto remembered = Add("remembered", place);
    const auto other = Add("other", place);
    state.LastActiveWnd[1][0] = remembered; // but it lies on desktop (0, 0)
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_NE(desktop.GetForegroundWindow(), remembered);
    (void)other;

    state.LastActiveWnd[0][0] = 0xBAD;
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_EQ(desktop.GetForegroundWindow(), other); // the topmost visible one of (0, 0)
}

TEST_F(DesktopEngineTest, ActivateTopWindowFallsBackToTheDesktop)
{
    const auto far = Add("far", Rect::FromSize(3 * W, 0, 100, 100));
    desktop.SetForegroundWindow(far);
    engine.ActivateTopWindow();
    EXPECT_EQ(desktop.GetForegroundWindow(), kNoWindow); // the desktop window took it
}

TEST_F(DesktopEngineTest, NothingIsActivatedWhileAWindowIsDraggedAcross)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto dragged = Add("dragged", place);
    const auto other = Add("other", place);
    desktop.SetForegroundWindow(dragged);
    state.DragWnd = dragged;
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(RectOf(dragged), place); // travels with the view
    EXPECT_EQ(RectOf(other), place.Offset(-W, 0));
    EXPECT_EQ(desktop.GetForegroundWindow(), dragged);
}

TEST_F(DesktopEngineTest, WindowDesktopOffsetReadsTheDesktopFromThePosition)
{
    struct Case
    {
        Rect rect;
        Point offset;
    };
    const Case cases[] = {
        {Rect::FromSize(100, 100, 300, 200), {0, 0}},
        {Rect::FromSize(-100, 100, 300, 200), {0, 0}},  // half off the left edge, centre on screen
        {Rect::FromSize(W + 5, 0, 300, 200), {1, 0}},   // next desktop right
        {Rect::FromSize(10, H - 10, 300, 200), {0, 1}}, // top edge low: a caption below it is on the next row
        {Rect::FromSize(20 * W, 0, 300, 200), {3, 0}},  // far beyond the grid: the column just past it
        {Rect::FromSize(0, 20 * H, 300, 200), {0, 3}},
        {Rect::FromSize(-5 * W, -5 * H, 300, 200), {0, 0}}, // before the grid: clamped to the first desktop
    };
    for (const Case& c : cases)
    {
        const auto w = Add("w", c.rect);
        EXPECT_EQ(engine.WindowDesktopOffset(w), c.offset) << c.rect.left << "," << c.rect.top;
    }
}

TEST_F(DesktopEngineTest, WindowDesktopOffsetIsRelativeToTheShownDesktop)
{
    engine.DrawGrid1SelectCell(1, 1);
    const auto left = Add("left", Rect::FromSize(-W + 100, 100, 300, 200));
    const auto farLeft = Add("far left", Rect::FromSize(-4 * W, 100, 300, 200));
    const auto below = Add("below", Rect::FromSize(100, H + 100, 300, 200));
    EXPECT_EQ(engine.WindowDesktopOffset(left), (Point{-1, 0}));
    EXPECT_EQ(engine.WindowDesktopOffset(farLeft), (Point{-1, 0})); // clamped at column 0
    EXPECT_EQ(engine.WindowDesktopOffset(below), (Point{0, 1}));
}

TEST_F(DesktopEngineTest, GridRectanglesRoundHalvesToEvenFromTheShownDesktop)
{
    // Cells of 128 x 96 make the scale exactly 1/8: 20/8 = 2.5 -> 2, 28/8 = 3.5 -> 4.
    state.Grid.Apply({384, 288}, 3, 3);
    const Size screen{W, H};
    EXPECT_EQ(state.Grid.ScreenToGridRect({20, 28, 36, 44}, screen, 0, 0), (Rect{2, 4, 4, 6}));
    // A window at (W, 0) lands at the top-left of the next cell.
    EXPECT_EQ(state.Grid.ScreenToGridRect(Rect::FromSize(W, 0, 8, 8), screen, 0, 0), (Rect{128, 0, 129, 1}));
    // The pixel shift counts whole screens only, relative to the shown desktop.
    engine.DrawGrid1SelectCell(1, 1);
    EXPECT_EQ(state.Grid.ScreenToGridRect({0, 0, 8, 8}, screen, W + 500, -H), (Rect{256, 0, 257, 1}));
}

TEST_F(DesktopEngineTest, AppStartedModeShiftsToTheTargetDesktop)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const auto w = Add("started", place);
    engine.DrawGrid1SelectCell(1, 0); // w is now on (0, 0), seen one screen to the left
    engine.MoveWindowProc(w, {2, 1, MoveRequest::kAppStarted});
    EXPECT_EQ(RectOf(w), place.Offset(-W + W, H)); // from (0,0) to (2,1) while (1,0) is shown
}

TEST_F(DesktopEngineTest, BringOnScreenGathersOffScreenWindowsAndLeavesTheRest)
{
    struct Case
    {
        Rect rect;
        Point expected;
    };
    const Case cases[] = {
        {Rect::FromSize(100, 100, 300, 200), {100, 100}},   // on screen
        {Rect::FromSize(W + 100, 50, 300, 200), {100, 50}}, // one desktop right
        {Rect::FromSize(2 * W + 7, 2 * H + 9, 300, 200), {7, 9}},
        {Rect::FromSize(-W + 100, 50, 300, 200), {100, 50}},  // one desktop left
        {Rect::FromSize(-1500, -1000, 300, 200), {548, 536}}, // 1024 - 476, 768 - 232
        {Rect::FromSize(-200, 10, 300, 200), {-200, 10}},     // partly visible: left alone
        {Rect::FromSize(-260, 0, 300, 200), {-260, 0}},       // more than its frame visible: left alone
        {Rect::FromSize(-299, 0, 300, 200), {W - 299, 0}},    // one pixel column is no part to grab
        // Maximised windows of the desktops around overhang into the screen by
        // their frame (8 px here): they go back to their own place, frame and all.
        {Rect::FromSize(-W - 8, -8, W + 16, H + 16), {-8, -8}},
        {Rect::FromSize(W - 8, -8, W + 16, H + 16), {-8, -8}},
        {Rect::FromSize(-8, H - 8, W + 16, H + 16), {-8, -8}},
        {Rect::FromSize(-8, -H - 8, W + 16, H + 16), {-8, -8}},
        {Rect::FromSize(W, 0, 300, 200), {0, 0}},              // meeting the screen's edge shows nothing
        {Rect::FromSize(-2 * W, -H, 300, 200), {0, 0}},        // exact multiples come to the corner
        {Rect::FromSize(-300, 100, 300, 200), {W - 300, 100}}, // right edge meeting the left screen edge
    };
    std::vector<WindowHandle> handles;
    for (const Case& c : cases)
    {
        handles.push_back(Add("w", c.rect));
    }
    engine.BringAllOnScreen();
    for (std::size_t i = 0; i < handles.size(); ++i)
    {
        const Rect r = RectOf(handles[i]);
        EXPECT_EQ((Point{r.left, r.top}), cases[i].expected) << "case " << i;
        EXPECT_EQ(r.Width(), cases[i].rect.Width());
    }
}

TEST_F(DesktopEngineTest, BringOnScreenLeavesMinimisedAndUnansweringWindows)
{
    const auto hung = Add("hung", Rect::FromSize(3 * W, 0, 300, 200));
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    const auto minimised = Add("min", Rect::FromSize(10, 10, 300, 200));
    desktop.SetMinimized(minimised, true);
    engine.BringAllOnScreen();
    EXPECT_EQ(RectOf(hung).left, 3 * W);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_EQ(desktop.MoveCount(minimised), 0);
}

} // namespace
} // namespace zim
