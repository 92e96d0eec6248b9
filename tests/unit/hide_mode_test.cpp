#include "engine_fixture.h"
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

} // namespace
} // namespace zim
