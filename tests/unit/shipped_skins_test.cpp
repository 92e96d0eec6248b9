// The shipped data in data/: every skin parses, names a bitmap that exists and
// has the size the skin assumes, has a shaped outline, and every element sits on
// the opaque face; both symbol fonts are there with their face names.

#include "components/region_runs.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_profile.h"
#include "skins/bitmap_file.h"
#include "skins/skin_file.h"
#include "skins/skin_install.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifndef ZIM_DATA_DIR
#error "ZIM_DATA_DIR names the source tree's data folder"
#endif

namespace zim::skins
{
namespace
{

const char* const kSkinNames[] = {"silver", "LCD", "Green", "LCDSmall", "Blue", "SilverSmall", "Brown"};

std::optional<std::string> ReadDataFile(const std::string& name)
{
    std::ifstream in(std::string(ZIM_DATA_DIR) + "/" + name, std::ios::binary);
    if (!in)
    {
        return std::nullopt;
    }
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class ShippedSkin : public ::testing::TestWithParam<const char*>
{
protected:
    // The skin and its bitmap copied into the simulated skin folder.
    SkinLoad Load()
    {
        const std::string name = GetParam();
        const std::optional<std::string> zim = ReadDataFile(name + ".zim");
        const std::optional<std::string> bmp = ReadDataFile(name + ".bmp");
        EXPECT_TRUE(zim) << name << ".zim";
        EXPECT_TRUE(bmp) << name << ".bmp";
        m_files.CreateDirectory(kSkinDir);
        m_files.WriteFile(SkinPath(), zim.value_or(""));
        m_files.WriteFile(std::string(kSkinDir) + "\\" + name + ".bmp", bmp.value_or(""));
        m_bitmap = DecodeBitmap(bmp.value_or(""));
        return LoadSkinFile(m_files, m_profile, kSkinDir, SkinPath());
    }
    std::string SkinPath() const { return std::string(kSkinDir) + "\\" + GetParam() + ".zim"; }

    static constexpr const char* kSkinDir = "C:\\ZimDesk\\skins";
    sim::SimFileSystem m_files;
    sim::SimProfileFiles m_profile{m_files};
    std::optional<Bitmap> m_bitmap;
};

TEST_P(ShippedSkin, ParsesWithEveryKeyAndItsBitmapHasTheSizeTheSkinAssumes)
{
    const SkinLoad load = Load();
    ASSERT_EQ(load.status, SkinLoad::Status::Ok) << load.message;
    EXPECT_FALSE(load.layout.natural);
    EXPECT_EQ(load.layout.backgroundFile, std::string(GetParam()) + ".bmp");
    // Fitting into the bitmap changed nothing: every element lies inside it.
    EXPECT_EQ(load.layout, ReadSkin(m_profile, SkinPath()));
    ASSERT_TRUE(m_bitmap) << "an uncompressed 24-bit bitmap";
    EXPECT_EQ(load.bitmapSize, (Size{m_bitmap->width, m_bitmap->height}));
    EXPECT_EQ(ReadBitmapHeader(*m_files.ReadFile(load.imagePath))->bitsPerPixel, 24);

    // Every key the saver writes is in the file itself, not left to a default.
    sim::SimFileSystem scratch;
    sim::SimProfileFiles written(scratch);
    ASSERT_TRUE(WriteSkin(written, "C:\\ZimDesk\\all.zim", load.layout));
    std::istringstream lines(*scratch.ReadFile("C:\\ZimDesk\\all.zim"));
    std::string line;
    std::string section;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        if (line.starts_with("["))
        {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::string key = line.substr(0, line.find('='));
        EXPECT_EQ(m_profile.GetString(SkinPath(), section, key), line.substr(key.size() + 1))
            << "[" << section << "] " << key;
    }
}

TEST_P(ShippedSkin, HasAShapedOutlineAndEveryElementOnTheOpaqueFace)
{
    const SkinLoad load = Load();
    ASSERT_EQ(load.status, SkinLoad::Status::Ok) << load.message;
    ASSERT_TRUE(m_bitmap);
    const Bitmap& bmp = *m_bitmap;
    const auto mask = static_cast<std::uint32_t>(load.layout.transparentColor) & 0xFFFFFF;
    ASSERT_FALSE(IsSystemColor(load.layout.transparentColor));

    const std::vector<Rect> runs = BuildRegionRuns(bmp.width, bmp.height, bmp.pixels, mask);
    ASSERT_FALSE(runs.empty());
    // Not a plain rectangle: the corners are cut away, and the outline still
    // reaches all four sides.
    EXPECT_EQ(bmp.At(0, 0) & 0xFFFFFF, mask);
    EXPECT_EQ(bmp.At(bmp.width - 1, 0) & 0xFFFFFF, mask);
    EXPECT_EQ(bmp.At(0, bmp.height - 1) & 0xFFFFFF, mask);
    EXPECT_EQ(bmp.At(bmp.width - 1, bmp.height - 1) & 0xFFFFFF, mask);
    EXPECT_GT(runs.size(), static_cast<std::size_t>(bmp.height) / 2);
    const Rect box = RegionRunsBox(runs);
    EXPECT_LE(box.Width(), bmp.width);
    EXPECT_GE(box.Width(), bmp.width * 9 / 10);
    EXPECT_GE(box.Height(), bmp.height * 8 / 10);

    const auto allOpaque = [&](const Rect& r)
    {
        for (int y = r.top; y < r.bottom; ++y)
        {
            for (int x = r.left; x < r.right; ++x)
            {
                if ((bmp.At(x, y) & 0xFFFFFF) == mask)
                {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_TRUE(allOpaque(load.layout.grid.bounds));
    EXPECT_TRUE(allOpaque(load.layout.coordinates.bounds));
    for (const SkinButton& b : load.layout.buttons)
    {
        EXPECT_TRUE(allOpaque(b.bounds)) << b.SectionName();
        EXPECT_GE(b.bounds.Width(), 10) << b.SectionName();
    }
    // No two elements overlap.
    std::vector<Rect> all = {load.layout.grid.bounds, load.layout.coordinates.bounds};
    for (const SkinButton& b : load.layout.buttons)
    {
        all.push_back(b.bounds);
    }
    for (std::size_t i = 0; i < all.size(); ++i)
    {
        for (std::size_t j = i + 1; j < all.size(); ++j)
        {
            const bool apart = all[i].right <= all[j].left || all[j].right <= all[i].left ||
                               all[i].bottom <= all[j].top || all[j].bottom <= all[i].top;
            EXPECT_TRUE(apart) << i << " and " << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Data, ShippedSkin, ::testing::ValuesIn(kSkinNames));

TEST(ShippedData, HoldsTheFourteenSkinFilesAndTheTwoFonts)
{
    for (std::string_view name : kShippedSkinFiles)
    {
        EXPECT_TRUE(ReadDataFile(std::string(name))) << name;
    }
    for (const char* face : {"Shapes1", "Stars1"})
    {
        const std::optional<std::string> font = ReadDataFile(std::string(face) + ".ttf");
        ASSERT_TRUE(font) << face;
        ASSERT_GE(font->size(), 12u);
        EXPECT_EQ(font->substr(0, 4), std::string("\0\1\0\0", 4)) << "a TrueType file";
        // The name table holds the face name in UTF-16 (big-endian) for Windows.
        std::string wide;
        for (const char* c = face; *c; ++c)
        {
            wide += '\0';
            wide += *c;
        }
        EXPECT_NE(font->find(wide), std::string::npos) << face;
    }
}

TEST(ShippedData, TheSmallSkinsAreVisiblySmaller)
{
    const auto size = [](const char* name)
    {
        const std::optional<BitmapHeader> h = ReadBitmapHeader(ReadDataFile(std::string(name) + ".bmp").value_or(""));
        return h ? h->width * h->height : 0;
    };
    EXPECT_LT(size("LCDSmall") * 3, size("LCD") * 2);
    EXPECT_LT(size("SilverSmall") * 3, size("silver") * 2);
}

} // namespace
} // namespace zim::skins
