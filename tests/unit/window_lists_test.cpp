#include "settings/window_lists.h"

#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim
{
namespace
{

class WindowListsTest : public ::testing::Test
{
protected:
    WindowHandle Add(const std::string& title, const std::string& className, bool visible = true,
                     Rect rect = Rect::FromSize(100, 100, 400, 300))
    {
        sim::WindowSetup setup;
        setup.title = title;
        setup.className = className;
        setup.visible = visible;
        setup.rect = rect;
        return desktop.AddWindow(setup);
    }
    // Entries as "text" or "text*" for a checked one.
    static std::vector<std::string> Shown(const CheckList& list)
    {
        std::vector<std::string> out;
        for (const CheckListEntry& entry : list.Entries())
        {
            out.push_back(entry.checked ? entry.text + "*" : entry.text);
        }
        return out;
    }
    void Refresh() { RefreshWindowLists(desktop, o); }

    sim::SimDesktop desktop;
    Options o;
};

using Texts = std::vector<std::string>;

TEST_F(WindowListsTest, VisibleWindowsGiveEveryCaptionAndEachClassOnce)
{
    Add("Untitled - Notepad", "Notepad");
    Add("Untitled - Notepad", "Notepad");
    Add("Calculator", "SciCalc");
    Add("", "ToolStrip");                   // no caption: its class only
    Add("readme.txt - Notepad", "NOTEPAD"); // the class again, in other case
    Add("Ghost", "GhostClass", false);      // invisible: not listed at all
    o.stickyWindows.Add("Gone", false);     // unchecked, its window closed
    Refresh();
    EXPECT_EQ(Shown(o.stickyWindows),
              (Texts{"Calculator", "readme.txt - Notepad", "Untitled - Notepad", "Untitled - Notepad"}));
    EXPECT_EQ(Shown(o.stickyClasses), (Texts{"NOTEPAD", "SciCalc", "ToolStrip"}));
    EXPECT_EQ(Shown(o.compatibilityClasses), Shown(o.stickyClasses));
}

TEST_F(WindowListsTest, TheProgramsAndTheShellsWindowsAreNeverListedComparedExactly)
{
    for (const std::string_view name : kUnlistedClasses)
    {
        Add(std::string(name) + " window", std::string(name));
    }
    Add("lower case", "tzim");
    Add("shell lookalike", "progman");
    Refresh();
    EXPECT_EQ(Shown(o.stickyWindows), (Texts{"lower case", "shell lookalike"}));
    EXPECT_EQ(Shown(o.stickyClasses), (Texts{"progman", "tzim"}));
    EXPECT_EQ(Shown(o.compatibilityClasses), (Texts{"progman", "tzim"}));
}

TEST_F(WindowListsTest, CheckedEntriesAreKeptCheckedAndCheckOnlyTheFirstEqualEntry)
{
    Add("Untitled - Notepad", "Notepad");
    Add("Untitled - Notepad", "Notepad");
    o.stickyWindows.Add("Closed App", true);
    o.stickyWindows.Add("untitled - notepad", true);
    o.stickyClasses.Add("OldClass", true);
    o.compatibilityClasses.Add("notepad", true);
    o.compatibilityClasses.Add("Unused", false);
    Refresh();
    EXPECT_EQ(Shown(o.stickyWindows), (Texts{"Closed App*", "Untitled - Notepad*", "Untitled - Notepad"}));
    EXPECT_EQ(Shown(o.stickyClasses), (Texts{"Notepad", "OldClass*"}));
    // The open class takes the check; an unchecked entry of no open window goes.
    EXPECT_EQ(Shown(o.compatibilityClasses), (Texts{"Notepad*"}));
}

TEST_F(WindowListsTest, AStickyWindowClosedStaysCheckedAcrossShowingsAndAnUncheckedOneGoesAtHiding)
{
    const auto editor = Add("Editor", "EditClass");
    Add("Viewer", "ViewClass");
    Refresh();
    o.stickyWindows.SetChecked(static_cast<std::size_t>(o.stickyWindows.Find("Editor")), true);
    o.stickyClasses.SetChecked(static_cast<std::size_t>(o.stickyClasses.Find("ViewClass")), true);
    PruneStickyLists(o);
    EXPECT_EQ(Shown(o.stickyWindows), Texts{"Editor*"});
    EXPECT_EQ(Shown(o.stickyClasses), Texts{"ViewClass*"});
    // The compatibility list keeps its unchecked entries.
    EXPECT_EQ(Shown(o.compatibilityClasses), (Texts{"EditClass", "ViewClass"}));

    desktop.DestroyWindow(editor);
    Refresh();
    PruneStickyLists(o);
    Refresh();
    EXPECT_EQ(Shown(o.stickyWindows), (Texts{"Editor*", "Viewer"}));

    // Unchecked and hidden: gone, and listed unchecked again while its window is open.
    o.stickyWindows.SetChecked(0, false);
    o.stickyClasses.SetChecked(0, false);
    PruneStickyLists(o);
    EXPECT_TRUE(o.stickyWindows.Entries().empty());
    EXPECT_TRUE(o.stickyClasses.Entries().empty());
    Refresh();
    EXPECT_EQ(Shown(o.stickyWindows), Texts{"Viewer"});
    EXPECT_EQ(Shown(o.stickyClasses), Texts{"ViewClass"});
}

TEST_F(WindowListsTest, LongNamesAreCutAsClassificationCutsThem)
{
    Add(std::string(300, 'c'), std::string(300, 'k'));
    Refresh();
    ASSERT_EQ(o.stickyClasses.Size(), 1u);
    EXPECT_EQ(o.stickyClasses.Entries()[0].text, std::string(254, 'k'));
    ASSERT_EQ(o.stickyWindows.Size(), 1u);
    EXPECT_EQ(o.stickyWindows.Entries()[0].text, std::string(254, 'c'));
}

TEST_F(WindowListsTest, BringAppMovesTheFirstWindowOfThatCaptionToTheScreensCorner)
{
    const auto lower = Add("Report", "Word", true, Rect::FromSize(2000, 900, 500, 400));
    const auto upper = Add("Report", "Word", true, Rect::FromSize(3000, 800, 300, 200));
    const auto other = Add("Other", "Word", true, Rect::FromSize(50, 60, 300, 200));
    desktop.SetForegroundWindow(other);
    const auto zOrder = desktop.ZOrder();

    EXPECT_TRUE(BringAppToCurrentDesktop(desktop, "report")); // as FindWindow: case ignored
    EXPECT_EQ(desktop.GetWindowRect(upper), Rect::FromSize(0, 0, 300, 200));
    EXPECT_EQ(desktop.GetWindowRect(lower), Rect::FromSize(2000, 900, 500, 400));
    EXPECT_EQ(desktop.ZOrder(), zOrder);
    EXPECT_EQ(desktop.GetForegroundWindow(), other);
}

TEST_F(WindowListsTest, BringAppLeavesAHungWindowAloneAndFindsNothingForAMissingCaption)
{
    const Rect place = Rect::FromSize(2000, 900, 500, 400);
    const auto hung = Add("Busy", "Word", true, place);
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    const auto before = desktop.NowMs();

    EXPECT_FALSE(BringAppToCurrentDesktop(desktop, "Busy"));
    EXPECT_EQ(desktop.GetWindowRect(hung), place);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_LE(desktop.NowMs() - before, 1000u); // waited at most the probe's time

    EXPECT_FALSE(BringAppToCurrentDesktop(desktop, "Nobody"));
    EXPECT_EQ(desktop.MoveCount(hung), 0);
}

} // namespace
} // namespace zim
