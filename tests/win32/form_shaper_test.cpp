// The shaped window on a real window: the outline of a bitmap's opaque pixels
// set with SetWindowRgn, built once per change of the bitmap or the mask and
// copied on every activation, the window sized to the bitmap, and the frame
// switched on and off.

#include "components/win32/form_shaper.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zim::win32
{
namespace
{

// A top-down 32-bit DIB section of the given pixels (0x00BBGGRR).
UniqueBitmap MakeBitmap(int width, int height, const std::vector<std::uint32_t>& colorrefs)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits)
    {
        auto* out = static_cast<std::uint32_t*>(bits);
        for (std::size_t i = 0; i < colorrefs.size(); ++i)
        {
            const std::uint32_t c = colorrefs[i];
            out[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); // blue, green, red in memory
        }
    }
    return bitmap;
}

constexpr std::uint32_t kMask = 0xFF00FF;
constexpr std::uint32_t kGrey = 0x808080;

class FormShaperTest : public ::testing::Test
{
protected:
    FormShaperTest()
    {
        window = test::CreateTestWindow(L"shaped", 200, 200, 150, 120, WS_POPUP);
        shaper.SetOwner(window.Get());
        shaper.SetShowCaption(false);
    }

    // The window's region as rectangles, or nothing when it has none.
    std::vector<RECT> WindowRegion()
    {
        const UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(window.Get(), static_cast<HRGN>(region.Get())) == ERROR)
        {
            return {};
        }
        const DWORD size = GetRegionData(static_cast<HRGN>(region.Get()), 0, nullptr);
        std::vector<std::uint64_t> buffer((size + 7) / 8);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        GetRegionData(static_cast<HRGN>(region.Get()), size, data);
        const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
        return {rects, rects + data->rdh.nCount};
    }

    UniqueWindow window;
    FormShaper shaper;
};

TEST_F(FormShaperTest, TheMiddlePixelInTheMaskColourIsCutOutAndTheWindowTakesTheBitmapsSize)
{
    shaper.Picture().Assign(MakeBitmap(3, 1, {kGrey, kMask, kGrey}), kMask);
    RECT r{};
    GetWindowRect(window.Get(), &r);
    EXPECT_EQ(r.right - r.left, 3);
    EXPECT_EQ(r.bottom - r.top, 1);
    EXPECT_EQ(GetWindowLongPtrW(window.Get(), GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_FALSE(shaper.Active()) << "inactive until switched on";

    shaper.SetActive(true);
    ASSERT_TRUE(shaper.Active());
    const std::vector<RECT> region = WindowRegion();
    ASSERT_EQ(region.size(), 2u);
    EXPECT_EQ(region[0].left, 0);
    EXPECT_EQ(region[0].right, 1);
    EXPECT_EQ(region[1].left, 2);
    EXPECT_EQ(region[1].right, 3) << "the last column is included";

    // The window owns its copy; the shaper keeps its own for the next activation.
    shaper.SetActive(false);
    EXPECT_TRUE(WindowRegion().empty());
    ASSERT_NE(shaper.BuiltRegion(), nullptr);
    shaper.SetActive(true);
    EXPECT_EQ(WindowRegion().size(), 2u);
}

TEST_F(FormShaperTest, ARegionIsBuiltOncePerChangeOfBitmapOrMaskAndReappliedWhenActive)
{
    shaper.Picture().Assign(MakeBitmap(3, 1, {kGrey, kMask, kGrey}), kMask);
    shaper.SetActive(true);
    const HRGN built = shaper.BuiltRegion();
    shaper.Picture().SetMaskColor(kMask);
    EXPECT_EQ(shaper.BuiltRegion(), built) << "the same mask colour builds nothing";

    shaper.Picture().SetMaskColor(kGrey);
    EXPECT_NE(shaper.BuiltRegion(), built);
    EXPECT_TRUE(shaper.Active()) << "an active outline follows the change";
    const std::vector<RECT> region = WindowRegion();
    ASSERT_EQ(region.size(), 1u);
    EXPECT_EQ(region[0].left, 1);
    EXPECT_EQ(region[0].right, 2);
}

TEST_F(FormShaperTest, ABitmapAllInTheMaskColourOrNoneLeavesTheWindowRectangular)
{
    shaper.Picture().Assign(MakeBitmap(2, 2, {kMask, kMask, kMask, kMask}), kMask);
    shaper.SetActive(true);
    EXPECT_FALSE(shaper.Active());
    EXPECT_TRUE(WindowRegion().empty());

    shaper.Picture().Assign(MakeBitmap(2, 2, {kGrey, kGrey, kGrey, kGrey}), kMask);
    shaper.SetActive(true);
    EXPECT_TRUE(shaper.Active());
    shaper.Picture().Assign(UniqueBitmap(), kMask);
    EXPECT_FALSE(shaper.Active()) << "an empty picture takes the outline away";
    EXPECT_TRUE(WindowRegion().empty());
}

TEST_F(FormShaperTest, TheBitmapIsCutToTheSizeLimit)
{
    shaper.SetSizeLimit({2, 1});
    shaper.Picture().Assign(MakeBitmap(4, 2, {kGrey, kGrey, kGrey, kGrey, kGrey, kGrey, kGrey, kGrey}), kMask);
    shaper.SetActive(true);
    RECT r{};
    GetWindowRect(window.Get(), &r);
    EXPECT_EQ(r.right - r.left, 2);
    EXPECT_EQ(r.bottom - r.top, 1);
    const std::vector<RECT> region = WindowRegion();
    ASSERT_EQ(region.size(), 1u);
    EXPECT_EQ(region[0].right, 2);
    EXPECT_EQ(region[0].bottom, 1);
}

TEST_F(FormShaperTest, WithTheCaptionBackTheOutlineStaysAsItWasAndTheFrameReturns)
{
    shaper.Picture().Assign(MakeBitmap(3, 1, {kGrey, kMask, kGrey}), kMask);
    shaper.SetActive(false);
    shaper.SetShowCaption(true);
    EXPECT_EQ(GetWindowLongPtrW(window.Get(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), WS_CAPTION | WS_THICKFRAME);
    EXPECT_FALSE(shaper.Active());
    EXPECT_TRUE(WindowRegion().empty());
}

} // namespace
} // namespace zim::win32
