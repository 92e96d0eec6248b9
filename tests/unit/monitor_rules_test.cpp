// The monitor's rules that need no window: where it may be moved, when it hides
// itself, how colour values decode, and where the grid's parts are drawn.

#include "monitor/auto_hide.h"
#include "monitor/colors.h"
#include "monitor/grid_paint.h"
#include "monitor/position_constraint.h"
#include "monitor/snapshot.h"

#include <gtest/gtest.h>

#include <string>

namespace zim
{
namespace
{

TEST(MonitorPosition, SnapsWithinFivePixelsOfAnEdgeAndNeverLeavesTheScreen)
{
    const Size screen{1024, 768};
    const Rect whole{0, 0, 120, 100}; // a window without a region
    struct Case
    {
        Point proposed;
        Point expected;
        const char* what;
    };
    const Case cases[] = {
        {{300, 200}, {300, 200}, "in the open: unchanged"},
        {{5, 5}, {5, 5}, "five pixels away: no snap"},
        {{4, 3}, {0, 0}, "released 3 pixels from the top: snaps"},
        {{-50, -40}, {0, 0}, "past the top-left corner: flush"},
        {{899, 663}, {899, 663}, "five pixels from the right and bottom"},
        {{900, 664}, {904, 668}, "within five of the right and bottom: snaps flush"},
        {{2000, 2000}, {904, 668}, "far past the right and bottom: flush"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(ConstrainMonitorPosition(c.proposed, whole, screen), c.expected) << c.what;
    }

    // A shaped window: only its visible box counts, so the transparent margin may leave the screen.
    const Rect shaped{10, 20, 110, 90};
    EXPECT_EQ(ConstrainMonitorPosition({-6, -100}, shaped, screen), (Point{-10, -20}));
    EXPECT_EQ(ConstrainMonitorPosition({-3, 300}, shaped, screen), (Point{-3, 300})) << "its margin may stick out";
    EXPECT_EQ(ConstrainMonitorPosition({950, 700}, shaped, screen), (Point{914, 678}));
}

TEST(MonitorAutoHide, OnlyAPointerStrictlyInsideKeepsTheMonitor)
{
    const Rect monitor = Rect::FromSize(200, 100, 120, 100); // right 320, bottom 200
    EXPECT_FALSE(PointerLeftMonitor(monitor, {260, 150}));
    EXPECT_FALSE(PointerLeftMonitor(monitor, {201, 101}));
    EXPECT_FALSE(PointerLeftMonitor(monitor, {319, 199}));
    for (const Point border : {Point{200, 150}, Point{320, 150}, Point{260, 100}, Point{260, 200}})
    {
        EXPECT_TRUE(PointerLeftMonitor(monitor, border)) << border.x << "," << border.y;
    }
    EXPECT_TRUE(PointerLeftMonitor(monitor, {0, 0}));
}

TEST(MonitorColors, SystemColoursAreLookedUpAndRgbValuesKeepTheirColourBytes)
{
    int asked = -1;
    const auto system = [&](int index) -> std::uint32_t
    {
        asked = index;
        return index == 8 ? 0x112233u : 0xFFABCDEFu;
    };
    EXPECT_EQ(ColorToRgb(255, system), 0x0000FFu);
    EXPECT_EQ(ColorToRgb(16777215, system), 0xFFFFFFu);
    EXPECT_EQ(asked, -1) << "an RGB value asks the system nothing";
    EXPECT_EQ(ColorToRgb(static_cast<ColorValue>(0x80000008u), system), 0x112233u);
    EXPECT_EQ(asked, 8);
    EXPECT_EQ(ColorToRgb(SystemColor(syscolor::kHighlightText), system), 0xABCDEFu);
    EXPECT_EQ(asked, 14);
    EXPECT_EQ(ColorToRgb(0x02FF8000, system), 0xFF8000u) << "a stray high byte is no palette index";
    EXPECT_EQ(ColorFromRgb(0xFF123456u), 0x123456);

    EXPECT_EQ(std::string(GridColorCaption(GridColorCommand::Fill)), "Desktop Grid  Windows Fill Color");
}

TEST(MonitorPainting, OnlyInnerGridLinesAcrossTheWholeArea)
{
    const GridLines none = InnerGridLines(GridGeometry({100, 100}, 1, 1));
    EXPECT_EQ(none.verticalCount, 0);
    EXPECT_EQ(none.horizontalCount, 0);

    const GridLines lines = InnerGridLines(GridGeometry({100, 75}, 3, 2));
    ASSERT_EQ(lines.verticalCount, 2);
    ASSERT_EQ(lines.horizontalCount, 1);
    EXPECT_EQ(lines.x[0], 33);
    EXPECT_EQ(lines.x[1], 66);
    EXPECT_EQ(lines.y[0], 37);

    const GridLines most = InnerGridLines(GridGeometry({1000, 1000}, 10, 10));
    EXPECT_EQ(most.verticalCount, 9);
    EXPECT_EQ(most.x[8], 900);
}

TEST(MonitorPainting, TheTitleNeedsRoomAndStartsAfterADrawnIcon)
{
    const TitleLayout withIcon = LayoutTitle({60, 20}, true, 13, true);
    EXPECT_TRUE(withIcon.visible);
    EXPECT_EQ(withIcon.origin, (Point{18, 0}));
    EXPECT_EQ(withIcon.clip, (Rect{19, 1, 59, 19}));

    const TitleLayout noIcon = LayoutTitle({60, 20}, false, 13, true);
    EXPECT_EQ(noIcon.origin, (Point{0, 0}));
    EXPECT_EQ(noIcon.clip, (Rect{1, 1, 59, 19})) << "clipped from x = 1";

    EXPECT_FALSE(LayoutTitle({60, 13}, true, 13, true).visible) << "lower than the text: no title";
    EXPECT_TRUE(LayoutTitle({60, 14}, true, 13, true).visible);
    EXPECT_FALSE(LayoutTitle({60, 40}, true, 13, false).visible) << "names switched off";

    EXPECT_EQ(FocusFrameBounds({100, 75, 200, 150}), (Rect{99, 74, 201, 151}));
    EXPECT_EQ(FocusFrameOutline({99, 74, 201, 151}), (Rect{100, 75, 201, 151}));
}

TEST(MiniatureSlots, MovingAMiniatureTouchesOnlyTheFirstForItsWindowAndTopmostWinsAPoint)
{
    MiniatureList list;
    list.BeginUpdate(7);
    list.Place(0x10, {0, 0, 10, 10});
    list.Place(0x20, {5, 5, 15, 15});
    list.Place(0x10, {50, 50, 60, 60}); // listed twice (held hidden and live)
    list.EndUpdate();
    list.ClearChanges();

    EXPECT_EQ(list.At({7, 7})->tag, 0x20u) << "the later miniature covers the earlier";
    EXPECT_EQ(list.At({2, 2})->tag, 0x10u);
    EXPECT_EQ(list.At({30, 30}), nullptr);
    EXPECT_EQ(list.Items()[0].color, 7);

    EXPECT_TRUE(list.Move(0x10, {1, 1, 11, 11}));
    EXPECT_EQ(list.Items()[0].bounds, (Rect{1, 1, 11, 11}));
    EXPECT_EQ(list.Items()[2].bounds, (Rect{50, 50, 60, 60}));
    EXPECT_EQ(list.Changes().changed, (std::vector<std::size_t>{0}));

    list.ClearChanges();
    EXPECT_TRUE(list.Move(0x20, {5, 5, 15, 15}));
    EXPECT_TRUE(list.Changes().Empty()) << "no move, no repaint";
    EXPECT_FALSE(list.Move(0x30, {0, 0, 1, 1}));
}

} // namespace
} // namespace zim
