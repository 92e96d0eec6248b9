// The skin editor's work on the layout: selection with and without Ctrl, what
// the colour and font buttons offer and change, moves kept inside the bitmap,
// and the transparent-colour pick.

#include "monitor/skin_editor_session.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

constexpr std::size_t kOptions = 4;      // a command button
constexpr std::size_t kIconDesktop5 = 5; // icon desktop buttons
constexpr std::size_t kIconDesktop1 = 6;
constexpr std::size_t kIconDesktop3 = 7;
constexpr Size kBitmap{300, 250};
constexpr Size kPanel{300, 250};

skins::SkinLayout FaceSkin()
{
    skins::SkinLayout skin;
    skin.backgroundFile = "face.bmp";
    skin.transparentColor = 0xFF00FF;
    skin.grid.bounds = Rect::FromSize(10, 20, 240, 180);
    skin.coordinates.bounds = Rect::FromSize(10, 220, 40, 14);
    for (skins::SkinButton& b : skin.buttons)
    {
        b.bounds = Rect::FromSize(55 + 17 * static_cast<int>(b.n), 220, 16, 16);
        b.font = {"Stars1", 9, 0x000080};
    }
    return skin;
}

class SkinEditorSessionTest : public ::testing::Test
{
protected:
    SkinEditorSessionTest() { layout.ApplyBitmap(FaceSkin(), kBitmap); }

    MonitorLayout layout;
    TStretchHandle handle;
    SkinEditorSession session{layout, handle};
};

TEST_F(SkinEditorSessionTest, PressesMapToElementsAndTheirKinds)
{
    EXPECT_EQ(ElementAt({MonitorPart::Grid, 0, {3, 4}}), kGridAreaControl);
    EXPECT_EQ(ElementAt({MonitorPart::Label, 0, {}}), kLabelControl);
    EXPECT_EQ(ElementAt({MonitorPart::Button, 11, {}}), ButtonControl(11));
    EXPECT_EQ(ElementAt({MonitorPart::Background, 0, {}}), std::nullopt);
    EXPECT_EQ(ElementKindOf(ButtonControl(kOptions)), SkinElement::CommandButton);
    EXPECT_EQ(ElementKindOf(ButtonControl(kIconDesktop1)), SkinElement::IconDesktopButton);
    EXPECT_EQ(ElementKindOf(ButtonControl(11)), SkinElement::CommandButton) << "Menu";
    EXPECT_EQ(ElementKindOf(ButtonControl(12)), std::nullopt);
    EXPECT_EQ(ElementKindOf(0), std::nullopt);
}

TEST_F(SkinEditorSessionTest, TheEditorOpensOnTheGridAreaWhoseColourButtonOpensTheGridMenu)
{
    session.Open();
    ASSERT_EQ(handle.ChildCount(), 1);
    EXPECT_EQ(handle.Children(0), kGridAreaControl);
    EXPECT_EQ(handle.GetBounds(), (Bounds{8, 18, 245, 185}));
    EXPECT_TRUE(session.ColorEnabled());
    EXPECT_TRUE(session.FontEnabled());
    EXPECT_EQ(session.ColorAction(), ColorButtonAction::GridColorMenu);

    session.Select(ButtonControl(kOptions), true);
    EXPECT_EQ(session.ColorAction(), ColorButtonAction::ColorDialog) << "not the grid area alone";
    EXPECT_EQ(session.PresetColor(), layout.Colors().LineColor) << "the first selected is the grid area";
    session.ApplyColor(0x00FF00);
    EXPECT_EQ(layout.Colors().LineColor, 0x00FF00);
    EXPECT_EQ(layout.ButtonFont(kOptions).color, 0x00FF00);
    EXPECT_EQ(layout.LabelFont().color, 0) << "not selected";
}

TEST_F(SkinEditorSessionTest, TheFontButtonFollowsTheElementJustPressed)
{
    session.Select(ButtonControl(kOptions), false);
    EXPECT_TRUE(session.ColorEnabled());
    EXPECT_FALSE(session.FontEnabled());
    session.Select(ButtonControl(kIconDesktop1), false);
    EXPECT_TRUE(session.FontEnabled());
    session.Select(kLabelControl, false);
    EXPECT_TRUE(session.FontEnabled());
    session.SelectNone();
    EXPECT_FALSE(session.ColorEnabled());
    EXPECT_FALSE(session.FontEnabled());
    EXPECT_EQ(handle.ChildCount(), 0);
    EXPECT_FALSE(handle.Visible());
}

TEST_F(SkinEditorSessionTest, CtrlAddsToTheSelectionAndAColourGoesToEverySelectedFont)
{
    session.Select(ButtonControl(kIconDesktop5), false);
    session.Select(ButtonControl(kIconDesktop1), true);
    session.Select(ButtonControl(kIconDesktop3), true);
    ASSERT_EQ(handle.ChildCount(), 3);
    EXPECT_EQ(session.ColorAction(), ColorButtonAction::ColorDialog);
    EXPECT_EQ(session.PresetColor(), 0x000080);
    session.ApplyColor(0x123456);
    for (const std::size_t n : {kIconDesktop5, kIconDesktop1, kIconDesktop3})
    {
        EXPECT_EQ(layout.ButtonFont(n).color, 0x123456) << n;
        EXPECT_EQ(layout.ButtonFont(n).name, "Stars1") << "only the colour";
    }
    EXPECT_EQ(layout.ButtonFont(kOptions).color, 0x000080);
    EXPECT_EQ(layout.Colors().LineColor, 16777215);

    session.Select(kLabelControl, false); // without Ctrl: a new selection
    EXPECT_EQ(handle.ChildCount(), 1);
}

TEST_F(SkinEditorSessionTest, AFontGoesToEverySelectedElementButACommandButtonAndKeepsItsColour)
{
    session.Select(ButtonControl(kOptions), false);
    session.Select(ButtonControl(kIconDesktop1), true);
    session.Select(kLabelControl, true);
    session.Select(kGridAreaControl, true);
    EXPECT_EQ(session.PresetFont(), layout.ButtonFont(kOptions)) << "the first selected";
    session.ApplyFont("Arial", 12);
    EXPECT_EQ(layout.ButtonFont(kOptions), (skins::SkinFont{"Stars1", 9, 0x000080}));
    EXPECT_EQ(layout.ButtonFont(kIconDesktop1), (skins::SkinFont{"Arial", 12, 0x000080}));
    EXPECT_EQ(layout.LabelFont(), (skins::SkinFont{"Arial", 12, 0}));
    EXPECT_EQ(layout.GridFont().name, "Arial");
    EXPECT_EQ(layout.GridFont().size, 12);
    EXPECT_EQ(layout.Colors().TextColor, 0) << "the grid's text colour stays";
}

TEST_F(SkinEditorSessionTest, MovesReachTheLayoutAndStayInsideTheBitmap)
{
    session.Select(ButtonControl(kIconDesktop1), false);
    session.Select(kLabelControl, true);
    ASSERT_TRUE(handle.KeyDown(ArrowKey::Right));
    EXPECT_FALSE(session.HandleChanged()) << "no grid area selected";
    EXPECT_EQ(layout.ButtonBounds(kIconDesktop1), Rect::FromSize(55 + 17 * 6 + 1, 220, 16, 16));
    EXPECT_EQ(layout.LabelBounds(), Rect::FromSize(11, 220, 40, 14));

    // The grid area dragged by its bottom-right grip past the bitmap's corner:
    // the pointer is held at the panel's edge and the layout keeps it inside.
    session.Select(kGridAreaControl, false);
    const Bounds before = handle.GetBounds();
    const Point corner{before.width - 2, before.height - 2}; // on the grip, inside the grown child
    handle.MouseMove(false, corner, kPanel);
    ASSERT_EQ(handle.GetDragStyle(), DragStyle::BottomRight);
    handle.MouseDown(MouseButton::Left, corner);
    handle.MouseUp(MouseButton::Left, {corner.x + 200, corner.y + 200}, kPanel);
    EXPECT_TRUE(session.HandleChanged());
    const Rect grid = layout.GridBounds(kBitmap);
    EXPECT_LE(grid.right, kBitmap.width);
    EXPECT_LE(grid.bottom, kBitmap.height);
    EXPECT_GT(grid.Width(), 240);
    EXPECT_EQ(handle.GetBounds(), (Bounds{grid.left - 2, grid.top - 2, grid.Width() + 5, grid.Height() + 5}))
        << "the handle lies over what the layout kept";
}

TEST_F(SkinEditorSessionTest, APickHidesTheElementsUntilAColourIsTakenOrThePickIsAbandoned)
{
    session.Open();
    session.BeginPick();
    EXPECT_TRUE(session.Picking());
    EXPECT_EQ(handle.ChildCount(), 0);
    EXPECT_FALSE(layout.GridVisible());
    EXPECT_FALSE(layout.ButtonsVisible());
    EXPECT_FALSE(layout.LabelVisible());
    EXPECT_EQ(layout.HitTest({20, 30}, kBitmap).part, MonitorPart::Background) << "the whole bitmap can be clicked";
    session.Select(kGridAreaControl, false);
    EXPECT_EQ(handle.ChildCount(), 0) << "nothing to select while picking";

    session.EndPick(0x00C0C0);
    EXPECT_FALSE(session.Picking());
    EXPECT_EQ(session.TransparentColor(), 0x00C0C0);
    EXPECT_TRUE(layout.GridVisible());
    EXPECT_TRUE(layout.ButtonsVisible());

    session.BeginPick();
    session.Close();
    EXPECT_FALSE(session.Picking()) << "closing the editor ends the pick";
    EXPECT_EQ(session.TransparentColor(), 0x00C0C0) << "without taking a colour";
    EXPECT_TRUE(layout.GridVisible());
    EXPECT_TRUE(layout.LabelVisible());
}

} // namespace
} // namespace zim
