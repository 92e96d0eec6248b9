// The monitor's layout under a skin: what lies under a point, rectangles kept
// inside the bitmap, the visible box the position rule keeps on the screen, and
// the always-on-top component.

#include "components/top_most_window.h"
#include "monitor/monitor_layout.h"
#include "monitor/position_constraint.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zim
{
namespace
{

skins::SkinLayout FaceSkin()
{
    skins::SkinLayout skin;
    skin.backgroundFile = "face.bmp";
    skin.grid.bounds = Rect::FromSize(10, 20, 240, 180);
    skin.coordinates.bounds = Rect::FromSize(10, 220, 40, 14);
    // Button 0 overlaps the label's right end; the others stand in a row.
    for (skins::SkinButton& b : skin.buttons)
    {
        b.bounds = Rect::FromSize(45 + 17 * static_cast<int>(b.n), 220, 16, 16);
    }
    return skin;
}

TEST(MonitorLayout, UnderANaturalSkinTheGridIsTheWholeClientArea)
{
    MonitorLayout layout;
    EXPECT_TRUE(layout.Natural()) << "the look before any skin";
    EXPECT_EQ(layout.Colors(), GridColors::Natural());
    EXPECT_EQ(layout.GridBounds({320, 200}), Rect::FromSize(0, 0, 320, 200));
    EXPECT_EQ(layout.HitTest({219, 105}, {320, 200}), (MonitorHit{MonitorPart::Grid, 0, {219, 105}}))
        << "no hidden button under a default place";
    EXPECT_EQ(layout.HitTest({320, 10}, {320, 200}).part, MonitorPart::None);
    EXPECT_EQ(layout.HitTest({-1, 10}, {320, 200}).part, MonitorPart::None);
}

TEST(MonitorLayout, UnderABitmapSkinTheGridThenTheButtonsThenTheLabelThenTheBackgroundAnswer)
{
    MonitorLayout layout;
    layout.ApplyBitmap(FaceSkin(), {300, 250});
    const Size client{300, 250};
    EXPECT_EQ(layout.HitTest({10, 20}, client), (MonitorHit{MonitorPart::Grid, 0, {0, 0}}));
    EXPECT_EQ(layout.HitTest({249, 199}, client), (MonitorHit{MonitorPart::Grid, 0, {239, 179}}));
    EXPECT_EQ(layout.HitTest({250, 199}, client).part, MonitorPart::Background);
    EXPECT_EQ(layout.HitTest({12, 222}, client).part, MonitorPart::Label);
    EXPECT_EQ(layout.HitTest({47, 222}, client), (MonitorHit{MonitorPart::Button, 0, {}}))
        << "a button above the label it overlaps";
    EXPECT_EQ(layout.HitTest({45 + 17 * 11 + 15, 235}, client), (MonitorHit{MonitorPart::Button, 11, {}}));
    EXPECT_EQ(layout.HitTest({45 + 17 * 11 + 16, 235}, client).part, MonitorPart::Background);
    EXPECT_EQ(layout.HitTest({299, 249}, client).part, MonitorPart::Background);
    EXPECT_EQ(layout.HitTest({300, 249}, client).part, MonitorPart::None);
}

TEST(MonitorLayout, EveryChangeKeepsTheRectanglesInsideTheBitmapAndCounts)
{
    MonitorLayout layout;
    layout.ApplyBitmap(FaceSkin(), {300, 250});
    const std::uint32_t version = layout.Version();
    layout.SetGridBounds(Rect::FromSize(200, 100, 500, 90));
    EXPECT_EQ(layout.GridBounds({300, 250}), Rect::FromSize(0, 100, 300, 90));
    layout.SetButtonBounds(3, Rect::FromSize(295, 245, 16, 16));
    EXPECT_EQ(layout.ButtonBounds(3), Rect::FromSize(284, 234, 16, 16));
    layout.SetLabelBounds(Rect::FromSize(-20, 240, 30, 30));
    EXPECT_EQ(layout.LabelBounds(), Rect::FromSize(0, 220, 30, 30));
    layout.SetColor(GridColorCommand::Text, 0x123456);
    EXPECT_EQ(layout.Colors().TextColor, 0x123456);
    EXPECT_EQ(layout.GridFont().color, 0x123456) << "the grid font's colour is the text colour";
    layout.SetFillMiniWindows(false);
    EXPECT_FALSE(layout.FillMiniWindows());
    EXPECT_EQ(layout.Version(), version + 5);

    // A natural skin after it keeps the place of everything for an editor, hidden.
    skins::SkinLayout natural;
    natural.natural = true;
    natural.grid.font.name = "Tahoma";
    layout.ApplyNatural(natural);
    EXPECT_EQ(layout.ButtonBounds(3), Rect::FromSize(284, 234, 16, 16));
    EXPECT_FALSE(layout.ButtonsVisible());
    EXPECT_EQ(layout.GridFont().name, "Tahoma");
}

TEST(MonitorLayout, AClientAreaIsNeverLargerThanTheScreenNorEmpty)
{
    EXPECT_EQ(SkinClientSize({300, 250}, {1024, 768}), (Size{300, 250}));
    EXPECT_EQ(SkinClientSize({4096, 100}, {1024, 768}), (Size{1024, 100}));
    EXPECT_EQ(SkinClientSize({300, 4096}, {1024, 768}), (Size{300, 768}));
    EXPECT_EQ(SkinClientSize({0, 0}, {1024, 768}), (Size{1, 1}));
}

TEST(MonitorLayout, TheEditorsTitleBarTakesTheActiveOrInactiveCaptionColours)
{
    EXPECT_EQ(EditorCaptionColors(true),
              (CaptionColors{SystemColor(syscolor::kActiveCaption), SystemColor(syscolor::kCaptionText)}));
    EXPECT_EQ(EditorCaptionColors(false),
              (CaptionColors{SystemColor(syscolor::kInactiveCaption), SystemColor(syscolor::kInactiveCaptionText)}));
}

TEST(MonitorVisibleBox, IsTheRegionsBoxUnderABitmapSkinAndTheWindowOtherwise)
{
    const Size screen{1024, 768};
    const Rect region{3, 0, 297, 262};
    EXPECT_EQ(MonitorVisibleBox({300, 267}, false, false, region, screen), region);
    EXPECT_EQ(MonitorVisibleBox({300, 267}, true, false, region, screen), (Rect{0, 0, 300, 267}));
    EXPECT_EQ(MonitorVisibleBox({300, 267}, false, true, region, screen), (Rect{0, 0, 300, 267}))
        << "the editor shows the whole window";
    EXPECT_EQ(MonitorVisibleBox({300, 267}, false, false, std::nullopt, screen), (Rect{0, 0, 300, 267}));
    EXPECT_EQ(MonitorVisibleBox({300, 267}, false, false, Rect{5, 5, 5, 5}, screen), (Rect{0, 0, 300, 267}))
        << "an empty region is none";
    EXPECT_EQ(MonitorVisibleBox({2000, 1000}, true, false, std::nullopt, screen), (Rect{0, 0, 1024, 768}));

    // The transparent margin may leave the screen; the outline snaps to the edge.
    EXPECT_EQ(ConstrainMonitorPosition({-1, 400}, region, screen), (Point{-3, 400}));
    EXPECT_EQ(ConstrainMonitorPosition({800, 600}, region, screen), (Point{1024 - 297, 768 - 262}));
    // Even a box the size of the screen is kept on it.
    EXPECT_EQ(ConstrainMonitorPosition({300, 300}, MonitorVisibleBox({2000, 1000}, true, false, {}, screen), screen),
              (Point{0, 0}));
}

TEST(TopMostWindow, ActsOnlyOnAChangeAndReachesANewHandleWhenHandedOver)
{
    std::vector<std::pair<WindowHandle, bool>> applied;
    TopMostWindow topMost([&](WindowHandle w, bool on) { applied.emplace_back(w, on); });
    topMost.SetAlwaysOnTop(true);
    EXPECT_TRUE(applied.empty()) << "no window yet";
    topMost.SetHandle(0x10);
    topMost.SetAlwaysOnTop(true);
    EXPECT_TRUE(applied.empty()) << "unchanged";
    topMost.SetAlwaysOnTop(false);
    EXPECT_EQ(applied, (std::vector<std::pair<WindowHandle, bool>>{{0x10, false}}));

    applied.clear();
    topMost.HandOver(0x20, true);
    EXPECT_EQ(applied, (std::vector<std::pair<WindowHandle, bool>>{{0x20, true}}));
    applied.clear();
    topMost.HandOver(0x30, true);
    EXPECT_EQ(applied, (std::vector<std::pair<WindowHandle, bool>>{{0x30, false}, {0x30, true}}))
        << "off and on again, so the new window gets it";
    EXPECT_EQ(topMost.Handle(), 0x30u);
}

} // namespace
} // namespace zim
