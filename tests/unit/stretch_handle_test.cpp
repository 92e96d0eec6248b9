#include "components/stretch_handle.h"

#include <gtest/gtest.h>

#include <map>

namespace zim
{
namespace
{

constexpr ControlId kPanel = 1;
constexpr ControlId kOtherPanel = 2;
constexpr ControlId kButton = 10;
constexpr ControlId kLabel = 11;
constexpr Size kParent{400, 300};

// A 16 x 16 button at (30, 101): the handle lies at (28, 99), 21 x 21.
constexpr Bounds kButtonBounds{30, 101, 16, 16};
constexpr Bounds kHandleOverButton{28, 99, 21, 21};

class StretchHandleTest : public ::testing::Test
{
protected:
    StretchHandleTest()
    {
        handle.SetOnMoved([this](TStretchHandle&) { ++moved; });
        handle.SetOnChildBounds([this](ControlId id, const Bounds& b) { applied[id] = b; });
    }

    void AttachButton() { handle.Attach({kButton, kPanel, kButtonBounds}); }

    // Hover at `from` (which picks the drag style), press there, release at `to`.
    void Drag(Point from, Point to)
    {
        handle.MouseMove(false, from, kParent);
        handle.MouseDown(MouseButton::Left, from);
        handle.MouseMove(true, to, kParent);
        handle.MouseUp(MouseButton::Left, to, kParent);
    }

    TStretchHandle handle;
    int moved = 0;
    std::map<ControlId, Bounds> applied;
};

TEST_F(StretchHandleTest, AttachingOneControlShowsTheHandleAroundIt)
{
    AttachButton();
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
    EXPECT_TRUE(handle.Visible());
    EXPECT_TRUE(handle.Enabled());
    EXPECT_EQ(handle.Parent(), kPanel);
    EXPECT_EQ(handle.ChildCount(), 1);
    EXPECT_EQ(handle.Children(0), kButton);
    EXPECT_EQ(handle.ChildIndex(kButton), 0);
    EXPECT_EQ(handle.ChildIndex(kLabel), -1);
    EXPECT_TRUE(applied.empty()); // attaching moves nothing
}

TEST_F(StretchHandleTest, ASecondControlOfTheSameParentGrowsTheHandleOverBothWithoutMovingEither)
{
    AttachButton();
    handle.Attach({kLabel, kPanel, {100, 50, 20, 10}});
    EXPECT_EQ(handle.GetBounds(), (Bounds{28, 48, 95, 72}));
    EXPECT_EQ(handle.ChildCount(), 2);
    EXPECT_EQ(handle.Children(1), kLabel);
    EXPECT_TRUE(applied.empty());

    handle.Attach({kLabel, kPanel, {0, 0, 1, 1}}); // already attached: nothing
    handle.Attach({kNoControl, kPanel, {0, 0, 1, 1}});
    EXPECT_EQ(handle.ChildCount(), 2);
    EXPECT_EQ(handle.GetBounds(), (Bounds{28, 48, 95, 72}));
}

TEST_F(StretchHandleTest, AControlOfAnotherParentReplacesTheSelection)
{
    AttachButton();
    handle.SetLocked(true);
    handle.Attach({kLabel, kOtherPanel, {5, 6, 30, 12}});
    EXPECT_EQ(handle.ChildCount(), 1);
    EXPECT_EQ(handle.Children(0), kLabel);
    EXPECT_EQ(handle.Parent(), kOtherPanel);
    EXPECT_EQ(handle.GetBounds(), (Bounds{3, 4, 35, 17}));
    EXPECT_FALSE(handle.Locked());
}

TEST_F(StretchHandleTest, AFormIsRefusedAndTheHandleStaysAsItWas)
{
    AttachButton();
    try
    {
        handle.Attach({kOtherPanel, kNoControl, {0, 0, 640, 480}, true});
        FAIL() << "a form was attached";
    }
    catch (const EBadChild& e)
    {
        EXPECT_STREQ(e.what(), "Handles can not be attached to a Form!");
    }
    EXPECT_EQ(handle.ChildCount(), 1);
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
}

TEST_F(StretchHandleTest, ChildrenIsEmptyForNoChildOrANegativeIndexAndARangeErrorPastTheEnd)
{
    EXPECT_EQ(handle.Children(0), std::nullopt);
    AttachButton();
    EXPECT_EQ(handle.Children(-1), std::nullopt);
    EXPECT_THROW(handle.Children(1), std::out_of_range);
}

TEST_F(StretchHandleTest, DetachHidesAndUnlocksTheHandle)
{
    AttachButton();
    handle.SetLocked(true);
    handle.Detach();
    EXPECT_EQ(handle.ChildCount(), 0);
    EXPECT_FALSE(handle.Visible());
    EXPECT_FALSE(handle.Enabled());
    EXPECT_FALSE(handle.Locked());
    EXPECT_EQ(handle.Parent(), kNoControl);
    EXPECT_EQ(handle.GetBounds().width, 24);
    EXPECT_EQ(handle.GetBounds().height, 24);
}

TEST_F(StretchHandleTest, SnapToGridSetsBothGridsAndGridsStayWithinOneToThirtyTwo)
{
    EXPECT_FALSE(handle.SnapToGrid());
    handle.SetSnapToGrid(true);
    EXPECT_EQ(handle.GridX(), 8);
    EXPECT_EQ(handle.GridY(), 8);
    handle.SetSnapToGrid(false);
    EXPECT_EQ(handle.GridX(), 1);
    EXPECT_FALSE(handle.SnapToGrid());

    EXPECT_TRUE(handle.SetGridY(32));
    EXPECT_TRUE(handle.SnapToGrid()); // either grid above 1
    EXPECT_FALSE(handle.SetGridX(0));
    EXPECT_FALSE(handle.SetGridX(33));
    EXPECT_EQ(handle.GridX(), 1);
}

struct GripCase
{
    Point at;
    DragStyle style;
    HandleCursor cursor;
};

TEST_F(StretchHandleTest, HoveringPicksTheGripInOrderWithItsCursor)
{
    AttachButton(); // 21 x 21: the middles lie at 10.5
    const GripCase cases[] = {
        {{0, 0}, DragStyle::TopLeft, HandleCursor::SizeNWSE},
        {{4, -4}, DragStyle::TopLeft, HandleCursor::SizeNWSE},
        {{21, 21}, DragStyle::BottomRight, HandleCursor::SizeNWSE},
        {{21, 0}, DragStyle::TopRight, HandleCursor::SizeNESW},
        {{0, 21}, DragStyle::BottomLeft, HandleCursor::SizeNESW},
        {{8, 0}, DragStyle::Top, HandleCursor::SizeNS},
        {{13, 0}, DragStyle::Top, HandleCursor::SizeNS},
        {{10, 21}, DragStyle::Bottom, HandleCursor::SizeNS},
        {{0, 10}, DragStyle::Left, HandleCursor::SizeWE},
        {{21, 12}, DragStyle::Right, HandleCursor::SizeWE},
        {{7, 0}, DragStyle::Move, HandleCursor::Default},
        {{5, 0}, DragStyle::Move, HandleCursor::Default},
        {{10, 10}, DragStyle::Move, HandleCursor::Default},
    };
    for (const GripCase& c : cases)
    {
        const HandleMouseResult r = handle.MouseMove(false, c.at, kParent);
        EXPECT_EQ(handle.GetDragStyle(), c.style) << c.at.x << "," << c.at.y;
        EXPECT_EQ(r.cursor, c.cursor) << c.at.x << "," << c.at.y;
        EXPECT_TRUE(r.releaseCapture);
    }
}

TEST_F(StretchHandleTest, OnATinyHandleTheLastMatchingGripWins)
{
    handle.Attach({kButton, kPanel, {10, 10, 1, 1}}); // 6 x 6: every grip reaches (3, 3)
    EXPECT_EQ(handle.MouseMove(false, {3, 3}, kParent).cursor, HandleCursor::SizeWE);
    EXPECT_EQ(handle.GetDragStyle(), DragStyle::Right);
    handle.MouseMove(false, {3, 0}, kParent);
    EXPECT_EQ(handle.GetDragStyle(), DragStyle::Top);
}

struct DragCase
{
    const char* name;
    Point from;
    Point to;
    Bounds handle;
};

TEST_F(StretchHandleTest, EachDragStyleGivesItsBoundsAndTheChildFollowsByTheSameAmounts)
{
    // Handle (28, 99, 21, 21), pressable up to 19 (the child grown by 2); every
    // drag goes 5 right and 7 down unless said.
    // The moved edge lands on the pointer's raw position less the margin, so
    // even a small drag jumps: the control's old behaviour, kept.
    const DragCase cases[] = {
        {"move", {10, 10}, {15, 17}, {31, 104, 21, 21}},
        {"top-left", {0, 0}, {5, 7}, {31, 104, 18, 16}},
        {"top-right", {19, 0}, {24, 7}, {28, 104, 23, 16}},
        {"bottom-left", {0, 19}, {5, 26}, {31, 99, 18, 25}},
        {"bottom-right", {19, 19}, {24, 26}, {28, 99, 23, 25}},
        {"top", {10, 0}, {15, 7}, {28, 104, 21, 16}},
        {"left", {0, 10}, {5, 17}, {31, 99, 18, 21}},
        {"bottom", {10, 19}, {15, 26}, {28, 99, 21, 25}},
        {"right", {19, 10}, {24, 17}, {28, 99, 23, 21}},
        {"bottom-right below the minimum", {19, 19}, {-10, 0}, {28, 99, 5, 5}},
        {"top-left below the minimum", {0, 0}, {40, 40}, {66, 137, 5, 5}},
    };
    for (const DragCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        handle.Detach();
        applied.clear();
        AttachButton();
        Drag(c.from, c.to);
        EXPECT_EQ(handle.GetBounds(), c.handle);
        const Bounds child{30 + c.handle.left - 28, 101 + c.handle.top - 99, 16 + c.handle.width - 21,
                           16 + c.handle.height - 21};
        EXPECT_EQ(applied[kButton], child);
        EXPECT_EQ(handle.ChildBounds(0), child);
        EXPECT_FALSE(handle.Dragging());
    }
}

TEST_F(StretchHandleTest, SnappingRoundsTheRawEdgeTowardZeroBeforeTheMargin)
{
    AttachButton();
    ASSERT_TRUE(handle.SetGridX(8));
    Drag({10, 10}, {27, 21}); // raw new left 45, raw new top 110 on grid 1
    EXPECT_EQ(handle.GetBounds().left, 38);
    EXPECT_EQ(handle.GetBounds().top, 108);
    Drag({10, 10}, {-31, 10}); // raw new left -3 truncates to 0, not -8
    EXPECT_EQ(handle.GetBounds().left, -2);
}

TEST_F(StretchHandleTest, OnlyAMoveThatChangesBothLeftAndTopReportsMoved)
{
    const DragCase cases[] = {
        {"both", {10, 10}, {15, 17}, {31, 104, 21, 21}},
        {"raw new left two to the right leaves the left", {10, 10}, {12, 17}, {28, 104, 21, 21}},
        {"raw new top two down leaves the top", {10, 10}, {15, 12}, {31, 99, 21, 21}},
        {"a resize", {19, 19}, {24, 26}, {28, 99, 23, 25}},
    };
    for (const DragCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        handle.Detach();
        AttachButton();
        moved = 0;
        Drag(c.from, c.to);
        EXPECT_EQ(handle.GetBounds(), c.handle);
        EXPECT_EQ(moved, c.handle.left != 28 && c.handle.top != 99 && c.handle.width == 21 ? 1 : 0);
    }
}

TEST_F(StretchHandleTest, PressingAndReleasingAtTheSamePointChangesNothing)
{
    AttachButton();
    Drag({10, 10}, {10, 10});
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(moved, 0);
}

TEST_F(StretchHandleTest, WithTwoChildrenOnlyGreyCornersAreDrawnAndEveryPointMoves)
{
    AttachButton();
    handle.Attach({kLabel, kPanel, {60, 101, 16, 16}});
    const auto grips = handle.Grips();
    ASSERT_EQ(grips.size(), 8u);
    for (const GripSquare& g : grips)
    {
        EXPECT_EQ(g.color, 8421504);
    }
    EXPECT_EQ(grips[4].rect, (Rect{30, 0, 35, 5})); // the label's box starts 30 further right
    for (const Point p : {Point{0, 0}, Point{51, 21}, Point{25, 0}})
    {
        EXPECT_EQ(handle.MouseMove(false, p, kParent).cursor, HandleCursor::Default);
        EXPECT_EQ(handle.GetDragStyle(), DragStyle::Move);
    }
}

TEST_F(StretchHandleTest, OneChildGetsBlackCornerAndMiddleGrips)
{
    AttachButton();
    const std::vector<GripSquare> expected = {
        {{0, 0, 5, 5}, 0},  {{15, 0, 20, 5}, 0},  {{0, 15, 5, 20}, 0}, {{15, 15, 20, 20}, 0},
        {{8, 0, 13, 5}, 0}, {{8, 15, 13, 20}, 0}, {{0, 8, 5, 13}, 0},  {{15, 8, 20, 13}, 0},
    };
    EXPECT_EQ(handle.Grips(), expected);
    handle.SetColor(255);
    EXPECT_EQ(handle.Grips().front().color, 255);
}

TEST_F(StretchHandleTest, ALockedHandleIgnoresDragsAndKeysAndShowsNoDrop)
{
    AttachButton();
    handle.SetLocked(true);
    EXPECT_EQ(handle.MouseMove(false, {10, 10}, kParent).cursor, HandleCursor::NoDrop);
    Drag({10, 10}, {30, 40});
    for (const ArrowKey key : {ArrowKey::Left, ArrowKey::Right, ArrowKey::Up, ArrowKey::Down})
    {
        EXPECT_FALSE(handle.KeyDown(key));
    }
    handle.SetBounds({0, 0, 50, 50});
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(moved, 0);
}

TEST_F(StretchHandleTest, ArrowKeysMoveByOnePixelIgnoringTheGridWithoutReportingMoved)
{
    AttachButton();
    handle.SetSnapToGrid(true);
    struct
    {
        ArrowKey key;
        Bounds child;
    } const cases[] = {
        {ArrowKey::Right, {31, 101, 16, 16}},
        {ArrowKey::Down, {31, 102, 16, 16}},
        {ArrowKey::Left, {30, 102, 16, 16}},
        {ArrowKey::Up, {30, 101, 16, 16}},
    };
    for (const auto& c : cases)
    {
        EXPECT_TRUE(handle.KeyDown(c.key));
        EXPECT_EQ(applied[kButton], c.child);
    }
    EXPECT_EQ(moved, 0);
}

TEST_F(StretchHandleTest, TheDraggedPointerIsHeldAtTheParentsEdgeAndPreviewedThere)
{
    AttachButton();
    EXPECT_EQ(handle.PreviewRect(), std::nullopt);
    handle.MouseMove(false, {10, 10}, kParent);
    handle.MouseDown(MouseButton::Left, {10, 10});
    const Size parent{200, 150};
    // The pointer at parent (-72, 599) is held at (0, 150), that is (-28, 51) on the handle.
    const HandleMouseResult r = handle.MouseMove(true, {-100, 500}, parent);
    EXPECT_EQ(r.cursor, HandleCursor::Drag);
    EXPECT_FALSE(r.releaseCapture);
    EXPECT_EQ(handle.PreviewRect(), (Rect{-10, 140, 6, 156}));
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton); // only previewed
    const HandleMouseResult up = handle.MouseUp(MouseButton::Left, {-100, 500}, parent);
    EXPECT_TRUE(up.releaseCapture);
    EXPECT_EQ(handle.GetBounds(), (Bounds{-12, 138, 21, 21}));
    EXPECT_EQ(handle.PreviewRect(), std::nullopt);
}

TEST_F(StretchHandleTest, APressThatAttachedTheHandleBecomesADragAtTheFirstMove)
{
    AttachButton(); // the element's own press attached it; the handle never saw the press
    handle.MouseMove(true, {10, 10}, kParent);
    EXPECT_TRUE(handle.Dragging());
    handle.MouseMove(true, {15, 17}, kParent);
    handle.MouseUp(MouseButton::Left, {15, 17}, kParent);
    EXPECT_EQ(handle.GetBounds(), (Bounds{31, 104, 21, 21}));
    EXPECT_EQ(moved, 1);
}

TEST_F(StretchHandleTest, PressesOffTheChildrenAndOtherButtonsAreForwarded)
{
    AttachButton();
    handle.Attach({kLabel, kPanel, {100, 101, 16, 16}});
    // Between the two boxes: the handle covers it, no child does.
    const HandleMouseResult between = handle.MouseDown(MouseButton::Left, {40, 10});
    EXPECT_TRUE(between.forward);
    EXPECT_FALSE(handle.Dragging());
    EXPECT_TRUE(handle.MouseUp(MouseButton::Left, {40, 10}, kParent).forward);

    const HandleMouseResult right = handle.MouseDown(MouseButton::Right, {10, 10});
    EXPECT_FALSE(right.forward);
    EXPECT_FALSE(handle.Dragging());
    EXPECT_TRUE(handle.MouseUp(MouseButton::Right, {10, 10}, kParent).forward);
}

TEST_F(StretchHandleTest, DetachingDuringADragEndsIt)
{
    AttachButton();
    handle.MouseDown(MouseButton::Left, {10, 10});
    handle.Detach();
    AttachButton();
    handle.MouseUp(MouseButton::Left, {20, 20}, kParent);
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
    EXPECT_EQ(moved, 0);
}

TEST_F(StretchHandleTest, ALostMouseEndsTheDragWithoutMovingAnything)
{
    AttachButton();
    handle.MouseDown(MouseButton::Left, {10, 10});
    handle.MouseMove(true, {40, 40}, kParent);
    ASSERT_NE(handle.PreviewRect(), std::nullopt);
    handle.CancelDrag();
    EXPECT_FALSE(handle.Dragging());
    EXPECT_EQ(handle.PreviewRect(), std::nullopt);
    handle.MouseUp(MouseButton::Left, {40, 40}, kParent);
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton);
    EXPECT_TRUE(applied.empty());
}

TEST_F(StretchHandleTest, RefitLaysTheHandleOverTheBoundsTheOwnerKept)
{
    AttachButton();
    handle.Attach({kLabel, kPanel, {100, 50, 20, 10}});
    const std::map<ControlId, Bounds> kept = {{kButton, {0, 0, 16, 16}}, {kLabel, {100, 50, 20, 10}}};
    handle.Refit([&](ControlId id) { return kept.at(id); });
    EXPECT_EQ(handle.GetBounds(), (Bounds{-2, -2, 125, 65}));
    EXPECT_EQ(handle.ChildBounds(0), (Bounds{0, 0, 16, 16}));
    EXPECT_TRUE(applied.empty()) << "nothing moved";
    handle.Detach();
    AttachButton();
    handle.Refit([](ControlId) { return kButtonBounds; });
    EXPECT_EQ(handle.GetBounds(), kHandleOverButton) << "one child: the same box as attaching it";
}

} // namespace
} // namespace zim
