// The skin file through the real private-profile functions, the shaped
// window's region built from the run list with one ExtCreateRegion, and the
// shipped symbol fonts through the system's font mapper.

#include "components/region_runs.h"
#include "components/win32/region_builder.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_profile.h"
#include "skins/skin_file.h"

#include <gtest/gtest.h>

#ifndef ZIM_DATA_DIR
#error "ZIM_DATA_DIR names the source tree's data folder"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace zim::win32
{
namespace
{

class SkinProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
        m_folder = Narrow(temp) + "ZimDeskSkinTest-" + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(m_files.CreateDirectory(m_folder) || m_files.DirectoryExists(m_folder));
        m_path = m_folder + "\\test.zim";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(Widen(m_folder)), ignored);
    }

    Win32FileSystem m_files;
    Win32ProfileFiles m_profile;
    std::string m_folder;
    std::string m_path;
};

TEST_F(SkinProfileTest, TellsAMissingKeyFromAnEmptyOne)
{
    ASSERT_TRUE(m_files.WriteFile(m_path, "[Desktop Grid]\r\nLeft=  12 \r\nEmpty=\r\n"));
    EXPECT_EQ(m_profile.GetString(m_path, "desktop grid", "left"), "12");
    EXPECT_EQ(m_profile.GetString(m_path, "Desktop Grid", "Empty"), "");
    EXPECT_FALSE(m_profile.GetString(m_path, "Desktop Grid", "Top"));
    EXPECT_FALSE(m_profile.GetString(m_path, "Coordinates", "Left"));
    EXPECT_FALSE(m_profile.GetString(m_folder + "\\none.zim", "Desktop Grid", "Left"));
}

TEST_F(SkinProfileTest, ReadsAValueLongerThanTheFirstBuffer)
{
    const std::string name(3000, 'n');
    ASSERT_TRUE(m_files.WriteFile(m_path, "[Desktop Grid]\r\nFontName=" + name + "\r\n"));
    EXPECT_EQ(m_profile.GetString(m_path, "Desktop Grid", "FontName"), name);
    EXPECT_EQ(skins::ReadSkin(m_profile, m_path).grid.font.name, std::string(31, 'n'));
}

TEST_F(SkinProfileTest, SaveThenLoadKeepsTheLayoutTheStampsAndUnknownKeys)
{
    ASSERT_TRUE(m_files.WriteFile(m_path, "[Desktop Grid]\r\nShadow=3\r\n[Author]\r\nName=Someone\r\n"));
    skins::SkinLayout layout;
    layout.backgroundFile = "face.bmp";
    layout.transparentColor = 0xFF00FF;
    layout.grid.bounds = Rect::FromSize(16, 16, 268, 190);
    layout.grid.colors.LineColor = static_cast<ColorValue>(0x80000008u);
    layout.buttons[11].bounds = Rect::FromSize(266, 218, 16, 16);
    layout.buttons[11].font = {"Shapes1", 9, 1056816};
    ASSERT_TRUE(skins::WriteSkin(m_profile, m_path, layout));
    EXPECT_EQ(skins::ReadSkin(m_profile, m_path), layout);
    EXPECT_EQ(m_profile.GetString(m_path, "Zim Desk Skin", "ZimDeskVersion"), "2.3");
    EXPECT_EQ(m_profile.GetString(m_path, "Zim Desk Skin", "FileformatVersion"), "1");
    EXPECT_EQ(m_profile.GetString(m_path, "Desktop Grid", "Shadow"), "3");
    EXPECT_EQ(m_profile.GetString(m_path, "Author", "Name"), "Someone");
}

TEST_F(SkinProfileTest, AFileInAMissingFolderCannotBeWritten)
{
    EXPECT_FALSE(skins::WriteSkin(m_profile, m_folder + "\\no\\such\\folder\\x.zim", skins::SkinLayout{}));
}

bool SameRegion(HRGN a, HRGN b)
{
    return ::EqualRgn(a, b) != FALSE;
}

TEST(RegionBuilder, OneExtCreateRegionGivesTheRegionOfOneOrPerRun)
{
    // 3 × 1 with a transparent middle: pixels 0 and 2.
    const std::vector<std::uint32_t> row = {0x111111, 0xFF00FF, 0x222222};
    const std::vector<Rect> runs = BuildRegionRuns(3, 1, row, 0xFF00FF);
    const UniqueRegion region = CreateRegionFromRuns(runs);
    ASSERT_TRUE(region);
    EXPECT_TRUE(::PtInRegion(region.Get(), 0, 0));
    EXPECT_FALSE(::PtInRegion(region.Get(), 1, 0));
    EXPECT_TRUE(::PtInRegion(region.Get(), 2, 0));
    EXPECT_FALSE(::PtInRegion(region.Get(), 3, 0));
    RECT box{};
    EXPECT_EQ(::GetRgnBox(region.Get(), &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 3);
    const UniqueRegion combined = CreateRegionByOrPerRun(runs);
    EXPECT_TRUE(SameRegion(region.Get(), combined.Get()));
}

TEST(RegionBuilder, AnAllTransparentBitmapGivesNoRegion)
{
    const std::vector<std::uint32_t> pixels(12, 0);
    EXPECT_FALSE(CreateRegionFromRuns(BuildRegionRuns(4, 3, pixels, 0)));
}

// A rounded 400 × 300 face with holes: both ways give one region; the times go
// to the test's output for the record, they are not asserted.
TEST(RegionBuilder, A400By300FaceGivesTheSameRegionBothWays)
{
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    std::vector<std::uint32_t> pixels(kWidth * kHeight, 0xC0C0C0);
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const int cx = std::clamp(x, 24, kWidth - 25);
            const int cy = std::clamp(y, 24, kHeight - 25);
            const bool corner = (x - cx) * (x - cx) + (y - cy) * (y - cy) > 24 * 24;
            const bool hole = y > kHeight - 40 && y < kHeight - 30 && (x / 12) % 2 == 1 && x > 40 && x < kWidth - 40;
            if (corner || hole)
            {
                pixels[static_cast<std::size_t>(y) * kWidth + x] = 0xFF00FF;
            }
        }
    }
    const std::vector<Rect> runs = BuildRegionRuns(kWidth, kHeight, pixels, 0xFF00FF);
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    const UniqueRegion once = CreateRegionFromRuns(runs);
    const auto t1 = Clock::now();
    const UniqueRegion perRun = CreateRegionByOrPerRun(runs);
    const auto t2 = Clock::now();
    ASSERT_TRUE(once);
    ASSERT_TRUE(perRun);
    EXPECT_TRUE(SameRegion(once.Get(), perRun.Get()));
    const auto us = [](auto d) { return std::chrono::duration<double, std::micro>(d).count(); };
    std::printf("region of %zu runs: one ExtCreateRegion %.0f us, one CombineRgn per run %.0f us\n", runs.size(),
                us(t1 - t0), us(t2 - t1));
}

// The shipped symbol fonts as the monitor asks for them: face name and
// SYMBOL_CHARSET, the captions drawn with their plain codes.
TEST(SymbolFonts, ThePrivatelyAddedFontsGiveGlyphsForTheButtonCodes)
{
    struct Case
    {
        const wchar_t* face;
        std::wstring codes;
    };
    const Case cases[] = {{L"Stars1", L"p\x83"}, {L"Shapes1", L"\x8F<"}};
    const WindowDc screen(nullptr);
    for (const Case& c : cases)
    {
        const std::wstring file = Widen(ZIM_DATA_DIR) + L"/" + c.face + L".ttf";
        ASSERT_GT(::AddFontResourceExW(file.c_str(), FR_PRIVATE, nullptr), 0) << Narrow(file);
        LOGFONTW lf{};
        lf.lfHeight = -16;
        lf.lfCharSet = SYMBOL_CHARSET;
        wcscpy_s(lf.lfFaceName, c.face);
        const UniqueFont font(::CreateFontIndirectW(&lf));
        ASSERT_TRUE(font);
        const SelectGuard select(screen.Get(), font.Get());
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(screen.Get(), LF_FACESIZE, face);
        EXPECT_STREQ(face, c.face);
        for (wchar_t code : c.codes)
        {
            WORD glyph = 0;
            ASSERT_EQ(::GetGlyphIndicesW(screen.Get(), &code, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS), 1u);
            EXPECT_NE(glyph, 0xFFFF) << Narrow(c.face) << " " << static_cast<int>(code);
            EXPECT_NE(glyph, 0) << Narrow(c.face) << " " << static_cast<int>(code);
            // The glyph has ink: its box is not empty.
            GLYPHMETRICS metrics{};
            const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
            ASSERT_NE(::GetGlyphOutlineW(screen.Get(), code, GGO_METRICS, &metrics, 0, nullptr, &identity), GDI_ERROR);
            EXPECT_GE(metrics.gmBlackBoxX, 6u) << Narrow(c.face) << " " << static_cast<int>(code);
            EXPECT_GE(metrics.gmBlackBoxY, 6u) << Narrow(c.face) << " " << static_cast<int>(code);
        }
        ::RemoveFontResourceExW(file.c_str(), FR_PRIVATE, nullptr);
    }
}

} // namespace
} // namespace zim::win32
