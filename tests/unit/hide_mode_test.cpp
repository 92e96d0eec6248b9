#include "engine_fixture.h"
#include "monitor_fixture.h"
#include "step_runner.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

using sim::WindowSetup;

class HideModeTest : public testing::EngineTest
{
protected:
    HideModeTest()
    {
        frozen.SetMoverRunner(&runner);
        options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    }

    WindowHandle Add(const std::string& className, Rect rect = Rect::FromSize(100, 100, 400, 300))
    {
        return AddWindow(className + " window", rect, className);
    }
    const HideWndItem* EntryOf(WindowHandle w)
    {
        for (const auto& [name, item] : hideMode.HideWndList())
        {
            if (item->wnd == w)
            {
                return item.get();
            }
        }
        return nullptr;
    }

    testing::StepRunner runner{desktop};
};

TEST_F(HideModeTest, ACompatibilityWindowIsHiddenWhileItsDesktopIsAwayAndShownAtItsPlaceOnReturn)
{
    const Rect place = Rect::FromSize(100, 100, 400, 300);
    const auto w = Add("RollUp", place);

    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place); // parked, hidden, inside the visible screen
    const HideWndItem* entry = EntryOf(w);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->hidden);
    EXPECT_EQ(entry->column, 0);
    EXPECT_EQ(entry->row, 0);
    EXPECT_EQ(entry->miniature, state.Grid.ScreenToGridRect(place, {W, H}, -W, 0)); // drawn in cell (0, 0)
    EXPECT_EQ(hideMode.HideWndList().front().first, "RollUp");

    engine.DrawGrid1SelectCell(2, 1); // a third desktop: still hidden
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place);

    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place);
    EXPECT_FALSE(EntryOf(w)->hidden);
    EXPECT_EQ(hideMode.HideWndList().size(), 1u); // the entry is reused, not duplicated

    engine.DrawGrid1SelectCell(0, 1);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    EXPECT_EQ(hideMode.HideWndList().size(), 1u);
}

TEST_F(HideModeTest, AWindowHalfOffTheLeftEdgeComesBackToItsPlace)
{
    const Rect place = Rect::FromSize(-100, 100, 400, 300);
    const auto w = Add("RollUp", place);
    engine.DrawGrid1SelectCell(0, 1);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place);

    // Held again, shown by its application, and sent home by the monitor's
    // refresh: still recorded for desktop (0, 0), not one column to the left.
    engine.DrawGrid1SelectCell(0, 1);
    desktop.ShowWindow(w, ShowCommand::Show);
    hideMode.SendHome(w);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place);
}

TEST_F(HideModeTest, WithHideAllOnAWindowStillPartlyOnScreenIsMovedNotHidden)
{
    options.Update([](Options& o) { o.hideAllWC = true; });
    // The view moves down one screen; the window reaches below the screen's bottom.
    const Rect tall = Rect::FromSize(100, 600, 300, 400);
    const auto w = Add("Notepad", tall);
    engine.DrawGrid1SelectCell(0, 1);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), tall.Offset(0, -H));
    EXPECT_EQ(EntryOf(w), nullptr);

    const auto plain = Add("Notepad", Rect::FromSize(100, 100, 300, 200));
    engine.DrawGrid1SelectCell(1, 1);
    EXPECT_FALSE(desktop.IsWindowVisible(plain)); // every window uses hide mode now
}

TEST_F(HideModeTest, AWindowItsApplicationHidIsLeftAlone)
{
    WindowSetup setup;
    setup.className = "RollUp";
    setup.visible = false;
    const auto w = desktop.AddWindow(setup);
    const Rect place = RectOf(w);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(RectOf(w), place);
    EXPECT_EQ(EntryOf(w), nullptr);
}

TEST_F(HideModeTest, PackingDropsDeadAndShownEntriesAndKeepsHiddenOnes)
{
    const auto dies = Add("RollUp");
    const auto staysHidden = Add("RollUp", Rect::FromSize(10, 10, 100, 100));
    const auto comesBack = Add("RollUp", Rect::FromSize(20, 20, 100, 100));
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_EQ(hideMode.HideWndList().size(), 3u);
    desktop.DestroyWindow(dies);
    EXPECT_TRUE(hideMode.Release(comesBack)); // dragged out of the monitor, say
    EXPECT_FALSE(hideMode.Release(comesBack));
    hideMode.PackHideWndList();
    ASSERT_EQ(hideMode.HideWndList().size(), 1u);
    EXPECT_EQ(hideMode.HideWndList().front().second->wnd, staysHidden);
}

TEST_F(HideModeTest, ExitShowsEveryHeldHiddenWindowEvenAHungOne)
{
    const auto a = Add("RollUp", Rect::FromSize(10, 10, 100, 100));
    const auto b = Add("RollUp", Rect::FromSize(20, 20, 100, 100));
    engine.DrawGrid1SelectCell(1, 0);
    desktop.HangUntil(b, desktop.NowMs() + 8000);
    const auto before = desktop.NowMs();

    engine.BringAllOnScreen();
    hideMode.ShowHeldHiddenWindows();
    EXPECT_TRUE(hideMode.HideWndList().empty());
    EXPECT_TRUE(desktop.IsWindowVisible(a));
    EXPECT_FALSE(desktop.IsWindowVisible(b));
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(8000 - (desktop.NowMs() - before));
    EXPECT_TRUE(desktop.IsWindowVisible(b)); // shown by its own thread when it woke
    EXPECT_EQ(RectOf(b), Rect::FromSize(20, 20, 100, 100));
}

TEST_F(HideModeTest, AHungCompatibilityWindowGoesToAWorkerAndIsHiddenWhenItAnswers)
{
    const Rect place = Rect::FromSize(100, 100, 400, 300);
    const auto w = Add("RollUp", place);
    desktop.HangUntil(w, desktop.NowMs() + 1500);
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(runner.Running(), 1u);
    runner.Step(); // 1000 ms more without an answer
    runner.Step(); // answers
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    EXPECT_EQ(EntryOf(w)->column, 0);
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
}

TEST_F(HideModeTest, AWindowAtTheLeftEdgeOfItsDesktopIsRecordedForThatDesktopAndComesBack)
{
    // A window of desktop (0, 0) at x = 0 there, seen from (1, 0): it lies at x = -W.
    // Its class becomes a compatibility class only then, so hide mode first meets
    // it off screen.
    const Rect place = Rect::FromSize(0, 100, 400, 300);
    const auto w = Add("Later", place);
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_EQ(RectOf(w), place.Offset(-W, 0));
    options.Update([](Options& o) { o.compatibilityClasses.Add("Later", true); });

    engine.DrawGrid1SelectCell(2, 0);
    const HideWndItem* entry = EntryOf(w);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->hidden);
    EXPECT_EQ(entry->column, 0) << "not column -1, which no switch can show";
    EXPECT_EQ(entry->row, 0);

    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), place);
}

TEST_F(HideModeTest, RectOnDesktopNeedsARealOverlap)
{
    EXPECT_TRUE(hideMode.RectOnDesktop(0, 0, {W - 1, 0, W + 10, 10}));
    EXPECT_FALSE(hideMode.RectOnDesktop(0, 0, {W, 0, W + 10, 10})); // touching is not meeting
    EXPECT_TRUE(hideMode.RectOnDesktop(1, 1, {W + 5, H + 5, W + 6, H + 6}));
    EXPECT_TRUE(hideMode.RectOnDesktop(-1, 0, {-10, 0, 0, 10}));
}

TEST_F(HideModeTest, UncheckingAClassShowsItsHeldWindowsWhereTheyRestAndForgetsThem)
{
    options.Update([](Options& o) { o.compatibilityClasses.Add("Palette", true); });
    const Rect place = Rect::FromSize(100, 100, 400, 300);
    const auto a = Add("RollUp", place);
    const auto b = Add("RollUp", Rect::FromSize(20, 20, 100, 100));
    const auto other = Add("Palette", Rect::FromSize(30, 30, 100, 100));
    engine.DrawGrid1SelectCell(1, 0);
    desktop.HangUntil(b, desktop.NowMs() + 3000);
    ASSERT_EQ(hideMode.HideWndList().size(), 3u);

    hideMode.ShowClass("rollup"); // the list's text may differ in case
    EXPECT_TRUE(desktop.IsWindowVisible(a));
    EXPECT_EQ(RectOf(a), place);
    EXPECT_FALSE(desktop.IsWindowVisible(b)); // hung: shown when it wakes, not waited for
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(3000);
    EXPECT_TRUE(desktop.IsWindowVisible(b));
    EXPECT_FALSE(desktop.IsWindowVisible(other));
    ASSERT_EQ(hideMode.HideWndList().size(), 1u);
    EXPECT_EQ(EntryOf(other)->wnd, other);

    hideMode.ShowClass("NoSuchClass");
    EXPECT_EQ(hideMode.HideWndList().size(), 1u);
}

class HideModeReleaseTest : public testing::MonitorTest
{
protected:
    HideModeReleaseTest()
    {
        options.Update([](Options& o) { o.hideAllWC = true; });
    }
    bool Held(WindowHandle w)
    {
        for (const auto& [name, item] : hideMode.HideWndList())
        {
            if (item->wnd == w)
            {
                return item->hidden;
            }
        }
        return false;
    }
    void ReleaseAll()
    {
        hideMode.ReleaseAll(
            [this](WindowHandle w, Point pos)
            {
                moved.push_back(w);
                model.MoveWindowToMonitorPos(w, pos);
            });
    }

    Rect RectOf(WindowHandle w) { return desktop.GetWindowRect(w).value(); }

    std::vector<WindowHandle> moved;
};

TEST_F(HideModeReleaseTest, HidingOffBringsEveryHeldWindowToItsMiniaturesPlaceAndShowsIt)
{
    const auto first = Add("First", Rect::FromSize(100, 100, 400, 300));
    const auto second = Add("Second", Rect::FromSize(300, 200, 200, 200));
    const auto hung = Add("Hung", Rect::FromSize(40, 40, 200, 200));
    const auto dies = Add("Dies", Rect::FromSize(50, 50, 200, 200));
    const auto back = Add("Back", Rect::FromSize(60, 60, 200, 200));
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_TRUE(Held(first) && Held(second) && Held(hung) && Held(dies) && Held(back));
    // Dragged out of the monitor onto the shown desktop: no longer held, its entry not yet packed.
    ASSERT_TRUE(hideMode.Release(back));
    desktop.ShowWindow(back, ShowCommand::Show);
    desktop.MoveWindow(back, {500, 500});
    ASSERT_EQ(hideMode.HideWndList().size(), 5u);
    desktop.DestroyWindow(dies);
    desktop.HangUntil(hung, desktop.NowMs() + 30000);
    options.Update([](Options& o) { o.hideAllWC = false; });

    ReleaseAll();
    EXPECT_TRUE(hideMode.HideWndList().empty());
    // Entries in the order hide mode first met them; the dead one is skipped.
    EXPECT_EQ(moved, (std::vector<WindowHandle>{hung, second, first}));
    EXPECT_EQ(RectOf(back), Rect::FromSize(500, 500, 200, 200)); // left where the user put it
    // Their miniatures stand in cell (0, 0); seen from (1, 0) that lies one screen
    // left. A cell is 100 pixels for 1024, so the place is good to one grid step.
    EXPECT_TRUE(desktop.IsWindowVisible(first));
    EXPECT_NEAR(RectOf(first).left, 100 - W, 11);
    EXPECT_NEAR(RectOf(first).top, 100, 11);
    EXPECT_EQ(RectOf(first).Width(), 400);
    EXPECT_NEAR(RectOf(second).left, 300 - W, 11);
    EXPECT_TRUE(desktop.IsWindowVisible(second));
    // The hung window was not moved but is shown where it rests when it wakes.
    EXPECT_EQ(RectOf(hung), Rect::FromSize(40, 40, 200, 200));
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(30000);
    EXPECT_TRUE(desktop.IsWindowVisible(hung));
}

} // namespace
} // namespace zim

namespace zim
{
namespace
{

class LateHideTest : public testing::EngineTest
{
protected:
    LateHideTest()
    {
        options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
    }
};

TEST_F(LateHideTest, AHeldWindowSeenBeforeItsThreadHidItIsNotTakenAsShownByItsApplication)
{
    const Rect home = Rect::FromSize(200, 150, 300, 200);
    const auto w = AddWindow("roll", home, "RollUp");
    // Its thread answers at once but gets round to the switch's calls late.
    desktop.HoldAsync(w);
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_TRUE(desktop.IsWindowVisible(w)); // the hide is still on its way
    ASSERT_EQ(hideMode.HideWndList().size(), 1u);

    // The monitor's refresh looks now and sees it visible; by the time the
    // window has answered the look's probe, it has hidden itself.
    hideMode.SendHome(w);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    ASSERT_EQ(hideMode.HideWndList().size(), 1u);
    EXPECT_TRUE(hideMode.HideWndList().front().second->hidden) << "hidden, and nobody would show it again";

    // Its desktop shown again: shown at its place.
    desktop.DeliverAsync(w);
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), home);

    // Hidden again in time; this time its application really shows it on the
    // wrong desktop: sent home, that is held hidden again, and back with its desktop.
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_FALSE(desktop.IsWindowVisible(w));
    desktop.ShowWindow(w, ShowCommand::Show);
    hideMode.SendHome(w);
    EXPECT_FALSE(desktop.IsWindowVisible(w));
    EXPECT_TRUE(hideMode.HideWndList().front().second->hidden);
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_TRUE(desktop.IsWindowVisible(w));
    EXPECT_EQ(RectOf(w), home);
}

} // namespace
} // namespace zim
