#include "components/region_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim
{
namespace
{

constexpr std::uint32_t kMask = 0xFF00FF; // magenta
constexpr std::uint32_t kInk = 0x203040;

// A bitmap drawn as text rows: '.' is the mask colour, anything else opaque.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    explicit Picture(std::initializer_list<const char*> rows)
    {
        for (const char* row : rows)
        {
            const std::string r = row;
            width = static_cast<int>(r.size());
            ++height;
            for (char c : r)
            {
                pixels.push_back(c == '.' ? kMask : kInk);
            }
        }
    }
    std::vector<Rect> Runs() const { return BuildRegionRuns(width, height, pixels, kMask); }
};

TEST(RegionRuns, ThreeByOneWithATransparentMiddleGivesPixelsZeroAndTwo)
{
    EXPECT_EQ(Picture({"#.#"}).Runs(), (std::vector<Rect>{{0, 0, 1, 1}, {2, 0, 3, 1}}));
}

TEST(RegionRuns, ARunEndingInTheLastColumnIncludesIt)
{
    EXPECT_EQ(Picture({"..##"}).Runs(), (std::vector<Rect>{{2, 0, 4, 1}}));
    EXPECT_EQ(Picture({"...#"}).Runs(), (std::vector<Rect>{{3, 0, 4, 1}})); // one pixel at the last column
    EXPECT_EQ(Picture({"####"}).Runs(), (std::vector<Rect>{{0, 0, 4, 1}}));
    EXPECT_EQ(Picture({"#"}).Runs(), (std::vector<Rect>{{0, 0, 1, 1}}));
}

TEST(RegionRuns, OneRectanglePerRunPerRowTopToBottom)
{
    const Picture p({".##.", "####", "#..#", "...."});
    EXPECT_EQ(p.Runs(), (std::vector<Rect>{{1, 0, 3, 1}, {0, 1, 4, 2}, {0, 2, 1, 3}, {3, 2, 4, 3}}));
    EXPECT_EQ(RegionRunsBox(p.Runs()), (Rect{0, 0, 4, 3}));
}

TEST(RegionRuns, AllTransparentOrEmptyGivesNoRectangles)
{
    EXPECT_TRUE(Picture({"...", "..."}).Runs().empty());
    EXPECT_TRUE(BuildRegionRuns(0, 0, std::span<const std::uint32_t>(), kMask).empty());
    EXPECT_TRUE(BuildRegionRuns(-3, 5, std::span<const std::uint32_t>(), kMask).empty());
    const std::vector<std::uint32_t> tooFew(5, kInk);
    EXPECT_TRUE(BuildRegionRuns(3, 2, tooFew, kMask).empty()); // fewer pixels than the size says
    EXPECT_EQ(RegionRunsBox({}), Rect{});
}

TEST(RegionRuns, ComparesOnlyTheColourBytes)
{
    // A stray high byte in a pixel or in the mask changes nothing.
    const std::vector<std::uint32_t> pixels = {0xFFFF00FF, 0x00FF00FE, 0x01FF00FF};
    EXPECT_EQ(BuildRegionRuns(3, 1, pixels, 0x05FF00FFu), (std::vector<Rect>{{1, 0, 2, 1}}));
}

TEST(RegionRuns, TheCallbackFormGivesTheSameRuns)
{
    const Picture p({"#.#.##", "..##.."});
    const auto at = [&p](int x, int y) { return p.pixels[static_cast<std::size_t>(y * p.width + x)]; };
    EXPECT_EQ(BuildRegionRunsWith(p.width, p.height, at, kMask), p.Runs());
}

} // namespace
} // namespace zim
