// The programs popup's list and placement: which windows of a desktop it lists,
// how their titles are cut and ordered, and where the popup opens.

#include "monitor/programs_list.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim
{
namespace
{

using sim::SimDesktop;
using sim::WindowSetup;

constexpr int W = 1024;
constexpr int H = 768;

class ProgramsListTest : public ::testing::Test
{
protected:
    WindowHandle Add(const std::string& title, Rect rect, bool visible = true)
    {
        WindowSetup setup;
        setup.title = title;
        setup.rect = rect;
        setup.visible = visible;
        return desktop.AddWindow(setup);
    }

    SimDesktop desktop{{W, H}};
};

TEST_F(ProgramsListTest, ListsTheVisibleWindowsThatOverlapTheDesktopsAreaStrictly)
{
    // Desktop (1, 0) lies at (W, 0, 2W, H) while (0, 0) is shown.
    Add("on it", Rect::FromSize(W + 100, 100, 300, 200));
    Add("one pixel in", {W - 300, 100, W + 1, 400});
    Add("up to its left edge", {W - 300, 100, W, 400});
    Add("from its right edge", {2 * W, 100, 2 * W + 300, 400});
    Add("below it", {W + 10, H, W + 300, H + 200});
    Add("hidden", Rect::FromSize(W + 100, 100, 300, 200), false);
    const auto minimised = Add("minimised", Rect::FromSize(W + 100, 100, 300, 200));
    desktop.SetMinimized(minimised, true);
    EXPECT_EQ(ListProgramsInScreen(desktop, {0, 0}, {1, 0}), (std::vector<std::string>{"on it", "one pixel in"}));

    // The same desktop seen from (1, 1): its area is one screen up.
    Add("seen from below", Rect::FromSize(50, -H + 50, 200, 200));
    EXPECT_EQ(ListProgramsInScreen(desktop, {1, 1}, {1, 0}), (std::vector<std::string>{"seen from below"}));

    // Outside every cell the area that column and row -1 would have.
    Add("up and left", Rect::FromSize(-500, -500, 200, 200));
    EXPECT_EQ(ListProgramsInScreen(desktop, {0, 0}, {-1, -1}), (std::vector<std::string>{"up and left"}));
}

TEST_F(ProgramsListTest, TitlesAreCutTo29CharactersAndTheProgramsOwnWindowsAreLeftOut)
{
    const Rect here = Rect::FromSize(100, 100, 300, 200);
    Add("A title that is a good deal longer than the popup", here);
    // Two-byte letters count as one character each.
    Add("Gr\xC3\xBC\xC3\x9F"
        "e aus einem sehr langen Fenstertitel",
        here);
    Add("ProgramsInScreen", here);
    Add("Zim Desk monitor", here);
    Add("Desker", here);
    Add("zim desk monitor", here); // another program's title in other case
    Add("", here);

    EXPECT_EQ(ListProgramsInScreen(desktop, {0, 0}, {0, 0}), (std::vector<std::string>{"A title that is a good deal l",
                                                                                       "Gr\xC3\xBC\xC3\x9F"
                                                                                       "e aus einem sehr langen F",
                                                                                       "zim desk monitor"}));
}

TEST_F(ProgramsListTest, TitlesAreSortedWithoutRegardToCaseAndDuplicatesKept)
{
    const Rect here = Rect::FromSize(100, 100, 300, 200);
    for (const char* title : {"beta", "Alpha", "alpha", "Beta", "beta", "gamma"})
    {
        Add(title, here);
    }
    EXPECT_EQ(ListProgramsInScreen(desktop, {0, 0}, {0, 0}),
              (std::vector<std::string>{"Alpha", "alpha", "Beta", "beta", "beta", "gamma"}));
}

TEST_F(ProgramsListTest, ThePopupOpensLeftOfAndBelowThePointerAtThirteenPixelsPerTitle)
{
    EXPECT_EQ(ProgramsPopupBounds({500, 300}, 3), (Rect{332, 300, 500, 339}));
    EXPECT_EQ(ProgramsPopupBounds({168, 40}, 1), (Rect{0, 40, 168, 53}));
    EXPECT_EQ(ProgramsPopupBounds({100, 40}, 1), (Rect{0, 40, 168, 53})) << "never past the left screen edge";
    EXPECT_EQ(ProgramsPopupBounds({500, 300}, 0).Height(), 0) << "an empty desktop gives an empty popup";
    EXPECT_TRUE(ListProgramsInScreen(desktop, {0, 0}, {2, 2}).empty());
}

} // namespace
} // namespace zim
