#include "engine/desktop_math.h"
#include "engine/grid_geometry.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

TEST(GridGeometry, CellsAreTruncatedAndTheRemainderBelongsToNoCell)
{
    const GridGeometry grid({100, 75}, 3, 3);
    EXPECT_EQ(grid.CellWidth(), 33);
    EXPECT_EQ(grid.CellHeight(), 25);
    EXPECT_EQ(grid.CellRect(2, 1), (Rect{66, 25, 99, 50}));

    struct Case
    {
        Point p;
        Cell cell;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}},     {{32, 24}, {0, 0}},   {{33, 25}, {1, 1}},
        {{98, 74}, {2, 2}},   {{99, 10}, {-1, -1}}, // the last pixel column is in no cell
        {{10, 75}, {-1, -1}}, {{-1, 5}, {-1, -1}},  {{5, -1}, {-1, -1}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(grid.CellAt(c.p), c.cell) << c.p.x << "," << c.p.y;
    }
}

TEST(GridGeometry, AnAreaSmallerThanTheCountHasNoCells)
{
    const GridGeometry grid({5, 5}, 10, 10);
    EXPECT_EQ(grid.CellWidth(), 0);
    EXPECT_EQ(grid.CellAt({0, 0}), Cell{});
}

TEST(DesktopMath, RoundsHalvesToEven)
{
    const std::pair<double, int> cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},   {-0.5, 0}, {-1.5, -2},
                                            {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}};
    for (const auto& [value, expected] : cases)
    {
        EXPECT_EQ(RoundHalfEven(value), expected) << value;
    }
}

TEST(DesktopMath, DesktopNumbersRunRowByRowFromOne)
{
    EXPECT_EQ(DesktopNumber(0, 0, 3), 1);
    EXPECT_EQ(DesktopNumber(2, 0, 3), 3);
    EXPECT_EQ(DesktopNumber(0, 1, 3), 4);
    EXPECT_EQ(DesktopNumber(2, 2, 3), 9);
    EXPECT_EQ(DesktopFromNumber(4, 3), (Point{0, 1}));
    EXPECT_EQ(DesktopFromNumber(3, 3), (Point{2, 0}));
    EXPECT_EQ(DesktopFromNumber(1, 3), (Point{0, 0}));
    EXPECT_EQ(DesktopFromNumber(9, 3), (Point{2, 2}));
    for (int columns = 1; columns <= 10; ++columns)
    {
        for (int n = 1; n <= columns * 10; ++n)
        {
            const Point p = DesktopFromNumber(n, columns);
            EXPECT_EQ(DesktopNumber(p.x, p.y, columns), n) << n << " in " << columns << " columns";
        }
    }
}

} // namespace
} // namespace zim
