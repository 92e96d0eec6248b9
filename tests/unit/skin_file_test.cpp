#include "skins/skin_file.h"

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_profile.h"
#include "skins/bitmap_file.h"

#include <gtest/gtest.h>

#include <limits>

namespace zim::skins
{
namespace
{

constexpr const char* kSkinDir = "C:\\ZimDesk\\skins";
constexpr const char* kSkinPath = "C:\\ZimDesk\\skins\\test.zim";

// A valid 24-bit bitmap file of the given size, every pixel one colour.
std::string MakeBmp(int width, int height, std::uint32_t rgb = 0x808080)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * height);
    std::string b(54 + pixelBytes, '\0');
    const auto put16 = [&](std::size_t at, std::uint32_t v)
    {
        b[at] = static_cast<char>(v & 0xFF);
        b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v)
    {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, pixelBytes);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const std::size_t at = 54 + static_cast<std::size_t>(y * stride + x * 3);
            b[at] = static_cast<char>((rgb >> 16) & 0xFF);
            b[at + 1] = static_cast<char>((rgb >> 8) & 0xFF);
            b[at + 2] = static_cast<char>(rgb & 0xFF);
        }
    }
    return b;
}

class SkinFileTest : public ::testing::Test
{
protected:
    SkinFileTest() { m_files.CreateDirectory(kSkinDir); }

    void Plant(const std::string& text) { ASSERT_TRUE(m_files.WriteFile(kSkinPath, text)); }
    SkinLayout Read() { return ReadSkin(m_profile, kSkinPath); }
    std::optional<std::string> Get(const std::string& section, const std::string& key)
    {
        return m_profile.GetString(kSkinPath, section, key);
    }

    sim::SimFileSystem m_files;
    sim::SimProfileFiles m_profile{m_files};
};

TEST(SkinValue, ParsesDecimalAndTheTwoHexadecimalFormsOnly)
{
    struct Case
    {
        const char* text;
        bool ok;
        std::int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"-5", true, -5},
        {"+7", true, 7},
        {"$FF", true, 255},
        {"$ff", true, 255},
        {"0xFF", true, 255},
        {"0XFF", true, 255},
        {"0x1", true, 1},
        {"0x80000008", true, static_cast<std::int32_t>(0x80000008u)}, // a system colour
        {"$FFFFFFFF", true, -1},
        {"16777215", true, 16777215},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
        {"-2147483640", true, static_cast<std::int32_t>(0x80000008u)}, // how SaveSkin writes a system colour
        {"0x", false, 0},                                              // too short for the prefix, and no decimal
        {"0X", false, 0},
        {"$", false, 0},
        {"", false, 0},
        {"12abc", false, 0},
        {"abc", false, 0},
        {"1.5", false, 0},
        {" 12", false, 0},
        {"--5", false, 0},
        {"-+5", false, 0},
        {"-$FF", false, 0},
        {"$-FF", false, 0},
        {"0x-5", false, 0},
        {"0x0x5", false, 0},
        {"$1FFFFFFFF", false, 0}, // beyond 32 bits
        {"2147483648", false, 0}, // beyond a signed 32-bit integer
        {"-2147483649", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const Case& c : cases)
    {
        std::int32_t value = 12345;
        EXPECT_EQ(ParseSkinInteger(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.ok ? c.value : 12345) << '"' << c.text << '"';
    }
}

TEST_F(SkinFileTest, ReadSkin_GivesEveryDefaultForAnEmptyFile)
{
    Plant("");
    const SkinLayout layout = Read();
    EXPECT_FALSE(layout.natural);
    EXPECT_EQ(layout.backgroundFile, "error");
    EXPECT_FALSE(layout.HasImage());
    EXPECT_EQ(layout.transparentColor, 0);
    EXPECT_EQ(layout.grid.bounds, Rect::FromSize(0, 0, 100, 100));
    EXPECT_EQ(layout.grid.font, (SkinFont{"MS Sans Serif", 8, 0}));
    EXPECT_TRUE(layout.grid.fillMiniWindows);
    EXPECT_EQ(layout.grid.colors, (GridColors{16777215, 255, 0, 16777215}));
    EXPECT_EQ(layout.coordinates.bounds, Rect::FromSize(0, 101, 20, 13));
    EXPECT_EQ(layout.coordinates.font, (SkinFont{"MS Sans Serif", 8, 0}));
    for (std::size_t n = 0; n < layout.buttons.size(); ++n)
    {
        EXPECT_EQ(layout.buttons[n].n, n);
        EXPECT_EQ(layout.buttons[n].bounds, Rect::FromSize(30 + 17 * static_cast<int>(n), 101, 16, 16)) << n;
        EXPECT_EQ(layout.buttons[n].font, (SkinFont{"MS Sans Serif", 8, 0})) << n;
    }
    EXPECT_EQ(layout.buttons[0].bounds.left, 30);
    EXPECT_EQ(layout.buttons[11].bounds.left, 217);
    EXPECT_EQ(layout, SkinLayout{});
}

TEST_F(SkinFileTest, ReadSkin_TakesTheDefaultsOfEachMissingSectionAlone)
{
    // Every section but one present with odd values: the missing one is at its defaults.
    const SkinLayout defaults;
    Plant(
        "[Background Image]\r\nFilename=x.bmp\r\nTransparentColor=65280\r\n"
        "[Desktop Grid]\r\nLeft=5\r\nTop=6\r\nWidth=70\r\nHeight=80\r\nFontName=Arial\r\nFontSize=9\r\n"
        "FillMiniWindows=0\r\nTextColor=1\r\nHilightColor=2\r\nFillColor=3\r\nLineColor=4\r\n"
        "[Coordinates]\r\nLeft=7\r\nTop=8\r\nWidth=30\r\nHeight=14\r\nFontName=Tahoma\r\nFontSize=10\r\n"
        "FontColor=5\r\n"
        "[Help Button]\r\nLeft=1\r\nTop=2\r\nWidth=3\r\nHeight=4\r\nFontName=Stars1\r\nFontColor=6\r\nFontSize=11\r\n");
    const SkinLayout layout = Read();
    EXPECT_EQ(layout.backgroundFile, "x.bmp");
    EXPECT_EQ(layout.transparentColor, 65280);
    EXPECT_EQ(layout.grid.bounds, Rect::FromSize(5, 6, 70, 80));
    EXPECT_EQ(layout.grid.font, (SkinFont{"Arial", 9, 1}));
    EXPECT_FALSE(layout.grid.fillMiniWindows);
    EXPECT_EQ(layout.grid.colors, (GridColors{4, 2, 1, 3}));
    EXPECT_EQ(layout.coordinates.bounds, Rect::FromSize(7, 8, 30, 14));
    EXPECT_EQ(layout.coordinates.font, (SkinFont{"Tahoma", 10, 5}));
    EXPECT_EQ(layout.buttons[1].bounds, Rect::FromSize(1, 2, 3, 4));
    EXPECT_EQ(layout.buttons[1].font, (SkinFont{"Stars1", 11, 6}));
    for (std::size_t n = 0; n < 12; ++n)
    {
        if (n != 1)
        {
            EXPECT_EQ(layout.buttons[n], defaults.buttons[n]) << n;
        }
    }

    Plant("[Background Image]\r\nFilename=x.bmp\r\n");
    const SkinLayout onlyImage = Read();
    EXPECT_EQ(onlyImage.grid, defaults.grid);
    EXPECT_EQ(onlyImage.coordinates, defaults.coordinates);
    EXPECT_EQ(onlyImage.buttons, defaults.buttons);
    EXPECT_EQ(onlyImage.transparentColor, 0);
}

TEST_F(SkinFileTest, ReadSkin_GivesTheKeysDefaultForATextThatIsNoNumber)
{
    Plant("[Desktop Grid]\r\nLeft=12abc\r\nWidth=0x\r\nHilightColor=red\r\nFillMiniWindows=yes\r\n"
          "[Background Image]\r\nTransparentColor=$FF\r\n"
          "[Coordinates]\r\nFontColor=0xFF\r\nTop=-5\r\n");
    const SkinLayout layout = Read();
    EXPECT_EQ(layout.grid.bounds, Rect::FromSize(0, 0, 100, 100));
    EXPECT_EQ(layout.grid.colors.HilightColor, 255);
    EXPECT_TRUE(layout.grid.fillMiniWindows);
    EXPECT_EQ(layout.transparentColor, 255);
    EXPECT_EQ(layout.coordinates.font.color, 255);
    EXPECT_EQ(layout.coordinates.bounds.top, 0); // -5 reads, then the limit puts it at the edge
}

TEST_F(SkinFileTest, ReadSkin_NaturalIsAnIntegerThatIsNotZero)
{
    struct Case
    {
        const char* value;
        bool natural;
    };
    const Case cases[] = {{"1", true},  {"2", true},   {"0x1", true}, {"$1", true}, {"-1", true},
                          {"0", false}, {"no", false}, {"0x", false}, {"", false}};
    for (const Case& c : cases)
    {
        Plant(std::string("[Skin type]\r\nNatural=") + c.value + "\r\n");
        EXPECT_EQ(Read().natural, c.natural) << c.value;
    }
}

TEST_F(SkinFileTest, ReadSkin_NaturalSkinTakesTheSystemColoursAndOnlyTheGridFont)
{
    Plant("[Skin type]\r\nNatural=1\r\n[Desktop Grid]\r\nFontName=Arial\r\nFontSize=10\r\nLineColor=5\r\nLeft=40\r\n"
          "[Background Image]\r\nFilename=x.bmp\r\n");
    const SkinLayout layout = Read();
    EXPECT_TRUE(layout.natural);
    EXPECT_EQ(layout.grid.colors, GridColors::Natural());
    EXPECT_EQ(layout.grid.colors.LineColor, static_cast<ColorValue>(0x80000008u));
    EXPECT_EQ(layout.grid.colors.HilightColor, static_cast<ColorValue>(0x8000000Eu));
    EXPECT_EQ(layout.grid.colors.TextColor, static_cast<ColorValue>(0x80000009u));
    EXPECT_EQ(layout.grid.colors.FillColor, static_cast<ColorValue>(0x80000002u));
    EXPECT_EQ(layout.grid.font, (SkinFont{"Arial", 10, static_cast<ColorValue>(0x80000009u)}));
    EXPECT_TRUE(layout.grid.fillMiniWindows);
    EXPECT_EQ(layout.grid.bounds, SkinGridArea{}.bounds);
    EXPECT_EQ(layout.backgroundFile, "error");

    Plant("[Skin type]\r\nNatural=1\r\n");
    EXPECT_EQ(Read().grid.font, (SkinFont{"MS Sans Serif", 8, static_cast<ColorValue>(0x80000009u)}));
}

TEST_F(SkinFileTest, ReadSkin_KeepsHostileValuesWithinTheLimits)
{
    const std::string longName(1023, 'F');
    Plant("[Desktop Grid]\r\nLeft=-50\r\nTop=99999999\r\nWidth=2147483647\r\nHeight=-3\r\nFontSize=100000\r\n"
          "FontName=" +
          longName +
          "\r\n"
          "[Coordinates]\r\nWidth=0\r\nHeight=$FFFFFFFF\r\nFontSize=-8\r\nFontName=" +
          std::string(5000, 'x') +
          "\r\n"
          "[Menu Button]\r\nLeft=-2147483648\r\nTop=4097\r\nWidth=5000\r\nHeight=4096\r\nFontSize=0\r\n"
          "[Background Image]\r\nFilename=..\\..\\Windows\\evil.bmp\r\n");
    const SkinLayout layout = Read();
    EXPECT_EQ(layout.grid.bounds, Rect::FromSize(0, kMaxPosition, kMaxExtent, kMinExtent));
    EXPECT_EQ(layout.grid.font.size, kMaxFontSize);
    EXPECT_EQ(layout.grid.font.name, std::string(31, 'F'));
    EXPECT_EQ(layout.coordinates.bounds.Width(), 1);
    EXPECT_EQ(layout.coordinates.bounds.Height(), 1); // $FFFFFFFF is -1
    EXPECT_EQ(layout.coordinates.font.size, 1);
    EXPECT_EQ(layout.coordinates.font.name.size(), 31u);
    EXPECT_EQ(layout.buttons[11].bounds, Rect::FromSize(0, 4096, 4096, 4096));
    EXPECT_EQ(layout.buttons[11].font.size, 1);
    EXPECT_EQ(layout.backgroundFile, "evil.bmp"); // only ever a file of the skin directory
}

TEST_F(SkinFileTest, ReadSkin_CutsValuesAt1023Characters)
{
    // Uncut, the 1,024 digits would read 7; cut, they are 1,023 zeros, and a width of 0 becomes 1.
    Plant("[Desktop Grid]\r\nWidth=" + std::string(1023, '0') +
          "7\r\n[Background Image]\r\nFilename=" + std::string(1500, 'b') + "\r\n");
    const SkinLayout layout = Read();
    EXPECT_EQ(layout.grid.bounds.Width(), kMinExtent);
    EXPECT_EQ(layout.backgroundFile.size(), 1023u);
}

TEST(SkinLayoutFit, MovesAndShrinksEveryRectangleIntoTheBitmap)
{
    SkinLayout layout;
    layout.grid.bounds = Rect::FromSize(4000, 4000, 4096, 10);
    layout.coordinates.bounds = Rect::FromSize(190, 90, 20, 13);
    FitLayoutToBitmap(layout, {200, 100});
    EXPECT_EQ(layout.grid.bounds, Rect::FromSize(0, 90, 200, 10));
    EXPECT_EQ(layout.coordinates.bounds, Rect::FromSize(180, 87, 20, 13));
    for (const SkinButton& b : layout.buttons)
    {
        EXPECT_GE(b.bounds.left, 0);
        EXPECT_LE(b.bounds.right, 200);
        EXPECT_LE(b.bounds.bottom, 100);
    }
    EXPECT_EQ(layout.buttons[0].bounds, Rect::FromSize(30, 84, 16, 16));
}

TEST_F(SkinFileTest, WriteSkin_ThenReadSkin_GivesTheSameLayoutAndBothStamps)
{
    SkinLayout layout;
    layout.backgroundFile = "mine.bmp";
    layout.transparentColor = 0xFF00FF;
    layout.grid.bounds = Rect::FromSize(11, 12, 213, 144);
    layout.grid.font = {"Tahoma", 7, 0x123456};
    layout.grid.colors = {0x010203, 0x040506, 0x123456, static_cast<ColorValue>(0x80000005u)};
    layout.grid.fillMiniWindows = false;
    layout.coordinates.bounds = Rect::FromSize(3, 160, 40, 15);
    layout.coordinates.font = {"Courier New", 9, 0x00FF00};
    for (SkinButton& b : layout.buttons)
    {
        b.bounds = Rect::FromSize(50 + 18 * static_cast<int>(b.n), 161, 17, 15);
        b.font = {b.Info().designFont == "MS Sans Serif" ? "Arial" : std::string(b.Info().designFont),
                  8 + static_cast<int>(b.n % 3), static_cast<ColorValue>(b.n * 1000)};
    }
    // A key and a section the program does not know, written by hand or a newer version.
    Plant("[Desktop Grid]\r\nShadow=3\r\n[Author]\r\nName=Someone\r\n");

    ASSERT_TRUE(WriteSkin(m_profile, kSkinPath, layout));
    EXPECT_EQ(Read(), layout);
    EXPECT_EQ(Get("Zim Desk Skin", "ZimDeskVersion"), "2.3");
    EXPECT_EQ(Get("Zim Desk Skin", "FileformatVersion"), "1");
    EXPECT_EQ(Get("Desktop Grid", "Shadow"), "3");
    EXPECT_EQ(Get("Author", "Name"), "Someone");
    EXPECT_EQ(Get("Desktop Grid", "FillMiniWindows"), "0");
    EXPECT_EQ(Get("Desktop Grid", "LineColor"), "66051");
    EXPECT_EQ(Get("Desktop Grid", "FillColor"), "-2147483643"); // signed, as IntToStr writes a TColor
    EXPECT_EQ(Get("Menu Button", "Left"), std::to_string(50 + 18 * 11));
    EXPECT_FALSE(Get("Skin type", "Natural").has_value()); // never written

    // Writing again over the written file changes nothing.
    const std::string once = *m_files.ReadFile(kSkinPath);
    ASSERT_TRUE(WriteSkin(m_profile, kSkinPath, layout));
    EXPECT_EQ(*m_files.ReadFile(kSkinPath), once);
}

TEST_F(SkinFileTest, WriteSkin_WritesEveryKeyTheReaderReadsInTheDesignsOrder)
{
    ASSERT_TRUE(WriteSkin(m_profile, kSkinPath, SkinLayout{}));
    std::string expected =
        "[Zim Desk Skin]\r\nZimDeskVersion=2.3\r\nFileformatVersion=1\r\n"
        "[Background Image]\r\nFilename=error\r\nTransparentColor=0\r\n"
        "[Desktop Grid]\r\nLeft=0\r\nTop=0\r\nWidth=100\r\nHeight=100\r\nFontName=MS Sans Serif\r\n"
        "FontSize=8\r\nFillMiniWindows=1\r\nTextColor=0\r\nHilightColor=255\r\nFillColor=16777215\r\n"
        "LineColor=16777215\r\n"
        "[Coordinates]\r\nLeft=0\r\nTop=101\r\nWidth=20\r\nHeight=13\r\nFontName=MS Sans Serif\r\n"
        "FontSize=8\r\nFontColor=0\r\n";
    for (std::size_t n = 0; n < 12; ++n)
    {
        // Appended piece by piece: GCC 12's -O3 warns (-Wrestrict) about the chained + here.
        expected.append("[").append(ButtonSectionName(n)).append("]\r\nLeft=").append(std::to_string(30 + 17 * n));
        expected.append(
            "\r\nTop=101\r\nWidth=16\r\nHeight=16\r\nFontName=MS Sans Serif\r\nFontColor=0\r\nFontSize=8\r\n");
    }
    EXPECT_EQ(*m_files.ReadFile(kSkinPath), expected);
    EXPECT_EQ(ButtonSectionName(0), "Close Desktop Monitor Button");
    EXPECT_EQ(ButtonSectionName(11), "Menu Button");
}

// Profile files whose writes start failing after a number of them.
class FailingProfile final : public ProfileFiles
{
public:
    FailingProfile(ProfileFiles& inner, int writesAllowed) : m_inner(inner), m_left(writesAllowed) {}
    std::optional<std::string> GetString(const std::string& path, const std::string& section,
                                         const std::string& key) override
    {
        return m_inner.GetString(path, section, key);
    }
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override
    {
        ++attempts;
        return m_left-- > 0 && m_inner.WriteString(path, section, key, value);
    }
    int attempts = 0;

private:
    ProfileFiles& m_inner;
    int m_left;
};

TEST_F(SkinFileTest, WriteSkin_StopsAtTheFirstKeyThatCannotBeWritten)
{
    FailingProfile failing(m_profile, 3);
    EXPECT_FALSE(WriteSkin(failing, kSkinPath, SkinLayout{}));
    EXPECT_EQ(failing.attempts, 4);
    EXPECT_EQ(Get("Zim Desk Skin", "ZimDeskVersion"), "2.3");
    EXPECT_EQ(Get("Background Image", "Filename"), "error");
    EXPECT_FALSE(Get("Background Image", "TransparentColor").has_value());
    EXPECT_EQ(UnableToWriteMessage(kSkinPath), "Unable to write to C:\\ZimDesk\\skins\\test.zim");
}

TEST_F(SkinFileTest, LoadSkinFile_MissingFileGivesTheNotFoundMessage)
{
    const SkinLoad load = LoadSkinFile(m_files, m_profile, kSkinDir, "C:\\ZimDesk\\skins\\none.zim");
    EXPECT_EQ(load.status, SkinLoad::Status::FileNotFound);
    EXPECT_EQ(load.message, "Skin file C:\\ZimDesk\\skins\\none.zim not found.");
}

TEST_F(SkinFileTest, LoadSkinFile_AFileWithoutFilenameFailsEvenWhenAFileNamedErrorExists)
{
    Plant("");
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\error", MakeBmp(10, 10)));
    const SkinLoad load = LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath);
    EXPECT_EQ(load.status, SkinLoad::Status::ImageNotFound);
    EXPECT_EQ(load.message, "Error in skinfile C:\\ZimDesk\\skins\\test.zim. Image Not found!");
}

TEST_F(SkinFileTest, LoadSkinFile_AMissingBitmapOrOneThatIsNoBitmapGivesTheImageMessage)
{
    Plant("[Background Image]\r\nFilename=face.bmp\r\n");
    EXPECT_EQ(LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath).status, SkinLoad::Status::ImageNotFound);

    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\face.bmp", "this is a text file, not a bitmap"));
    SkinLoad load = LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath);
    EXPECT_EQ(load.status, SkinLoad::Status::ImageNotFound);
    EXPECT_EQ(load.message, SkinImageNotFoundMessage(kSkinPath));

    std::string truncated = MakeBmp(40, 40);
    truncated.resize(truncated.size() / 2);
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\face.bmp", truncated));
    EXPECT_EQ(LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath).status, SkinLoad::Status::ImageNotFound);
}

TEST_F(SkinFileTest, LoadSkinFile_FitsTheLayoutIntoItsBitmap)
{
    Plant("[Background Image]\r\nFilename=face.bmp\r\n[Desktop Grid]\r\nLeft=-10\r\nWidth=9000\r\nTop=20\r\n");
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\face.bmp", MakeBmp(250, 120)));
    const SkinLoad load = LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath);
    ASSERT_EQ(load.status, SkinLoad::Status::Ok);
    EXPECT_EQ(load.imagePath, "C:\\ZimDesk\\skins\\face.bmp");
    EXPECT_EQ(load.bitmapSize, (Size{250, 120}));
    EXPECT_EQ(load.layout.grid.bounds, Rect::FromSize(0, 20, 250, 100));
    EXPECT_EQ(load.layout.buttons[11].bounds, Rect::FromSize(217, 101, 16, 16)); // already inside
    EXPECT_TRUE(load.message.empty());
}

TEST_F(SkinFileTest, LoadSkinFile_NaturalSkinNeedsNoBitmap)
{
    Plant("[Skin type]\r\nNatural=1\r\n");
    const SkinLoad load = LoadSkinFile(m_files, m_profile, kSkinDir, kSkinPath);
    EXPECT_EQ(load.status, SkinLoad::Status::Ok);
    EXPECT_TRUE(load.layout.natural);
    EXPECT_TRUE(load.imagePath.empty());
}

TEST(SkinButtons, FixedOrderHintsCaptionsAndKinds)
{
    const char* hints[] = {"Close Desktop Monitor", "Help",           "About",
                           "Sticky Windows",        "Options",        "Icon desktop 5",
                           "Icon desktop 1",        "Icon desktop 3", "Icon desktop 4",
                           "Icon desktop 6",        "Icon desktop 2", "Menu"};
    for (std::size_t n = 0; n < 12; ++n)
    {
        EXPECT_EQ(kSkinButtons[n].hint, hints[n]);
        EXPECT_EQ(DefaultButtonBounds(n).left, 30 + 17 * static_cast<int>(n));
        EXPECT_EQ(kSkinButtons[n].kind == SkinButtonKind::IconDesktop, n >= 5 && n <= 10) << n;
    }
    EXPECT_EQ(kSkinButtons[2].caption, 'p');
    EXPECT_EQ(kSkinButtons[2].designFont, "Stars1");
    EXPECT_EQ(kSkinButtons[3].caption, 0x8F);
    EXPECT_EQ(kSkinButtons[3].designFont, "Shapes1");
    EXPECT_EQ(kSkinButtons[4].caption, 0x83);
    EXPECT_EQ(kSkinButtons[4].designFont, "Stars1");
    EXPECT_EQ(kSkinButtons[11].caption, '<');
    EXPECT_EQ(kSkinButtons[11].designFont, "Shapes1");
    EXPECT_EQ(kSkinButtons[5].iconDesktop, 5);
    EXPECT_EQ(kSkinButtons[10].iconDesktop, 2);
}

TEST(BitmapFile, ReadsTheHeaderOfAValidBitmapAndRefusesOthers)
{
    const std::string bmp = MakeBmp(3, 2, 0x0000FF);
    const std::optional<BitmapHeader> header = ReadBitmapHeader(bmp);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 3);
    EXPECT_EQ(header->height, 2);
    EXPECT_EQ(header->bitsPerPixel, 24);
    const std::optional<Bitmap> decoded = DecodeBitmap(bmp);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->At(2, 1), 0x0000FFu);

    EXPECT_FALSE(ReadBitmapHeader(""));
    EXPECT_FALSE(ReadBitmapHeader("BM"));
    EXPECT_FALSE(ReadBitmapHeader(std::string(100, 'B')));
    std::string huge = bmp;
    huge[18] = '\xFF';
    huge[19] = '\xFF'; // 65535 pixels wide
    EXPECT_FALSE(ReadBitmapHeader(huge));
    std::string negativeWidth = bmp;
    negativeWidth[21] = '\xFF';
    EXPECT_FALSE(ReadBitmapHeader(negativeWidth));
    std::string topDown = bmp;
    topDown[22] = '\xFE';
    topDown[23] = topDown[24] = topDown[25] = '\xFF'; // height -2
    ASSERT_TRUE(ReadBitmapHeader(topDown));
    EXPECT_TRUE(ReadBitmapHeader(topDown)->topDown);
    std::string badOffset = bmp;
    badOffset[10] = '\x10';
    badOffset[11] = '\x27'; // pixels past the end
    EXPECT_FALSE(ReadBitmapHeader(badOffset));
}

} // namespace
} // namespace zim::skins
