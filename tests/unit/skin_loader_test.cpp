// LoadSkin and SaveSkin against the simulated desktop: the order in which a
// natural or a bitmap skin changes the monitor, the visibility it gets back,
// the failures that change nothing, hostile skins that would reach beyond the
// screen, and the layout written back.

#include "monitor/skin_loader.h"
#include "monitor_fixture.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zim
{
namespace
{

constexpr const char* kSkinDir = "C:\\ZimDesk\\skins";

// A bitmap file header; with RLE compression no pixels need to follow, so a
// hostile file can claim any size in a few bytes.
std::string BitmapHeaderBytes(int width, int height, bool compressed)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::size_t pixels = compressed ? 0 : static_cast<std::size_t>(stride) * height;
    std::string b(54 + pixels, '\0');
    const auto put = [&](std::size_t at, std::uint32_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
        {
            b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, static_cast<std::uint32_t>(b.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, compressed ? 8 : 24, 2);
    put(30, compressed ? 1 : 0, 4);
    return b;
}

// Records what applying a skin does to the window, in order.
class RecordingSkinSurface final : public SkinSurface
{
public:
    bool IsVisible() const override { return visible; }
    void SetVisible(bool value) override
    {
        visible = value;
        log.push_back(value ? "show" : "hide");
    }
    bool PrepareBackground(const std::string& path) override
    {
        log.push_back("prepare " + path);
        return prepareOk;
    }
    void UseBackground(ColorValue mask, Size client) override
    {
        log.push_back("background");
        usedMask = mask;
        usedClient = client;
        bounds = Rect::FromSize(bounds.left, bounds.top, client.width, client.height);
    }
    void ClearBackground() override { log.push_back("clear background"); }
    void SetShaperActive(bool active) override { log.push_back(active ? "shaper on" : "shaper off"); }
    void SetAlwaysOnTop(bool topmost) override { log.push_back(topmost ? "topmost on" : "topmost off"); }
    void SetNaturalFrame(bool natural) override { log.push_back(natural ? "natural frame" : "no frame"); }
    Rect Bounds() const override { return bounds; }
    void MoveTo(Point p) override
    {
        log.push_back("move");
        bounds = Rect::FromSize(p.x, p.y, bounds.Width(), bounds.Height());
    }

    std::size_t IndexOf(const std::string& entry) const
    {
        return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
    }

    bool visible = true;
    bool prepareOk = true;
    Rect bounds = Rect::FromSize(100, 100, 120, 100);
    ColorValue usedMask = -1;
    Size usedClient;
    std::vector<std::string> log;
};

// Refuses every write after the first `allowed` ones.
class FailingProfile final : public ProfileFiles
{
public:
    FailingProfile(ProfileFiles& inner, int allowed) : m_inner(inner), m_allowed(allowed) {}
    std::optional<std::string> GetString(const std::string& path, const std::string& section,
                                         const std::string& key) override
    {
        return m_inner.GetString(path, section, key);
    }
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override
    {
        return m_allowed-- > 0 && m_inner.WriteString(path, section, key, value);
    }

private:
    ProfileFiles& m_inner;
    int m_allowed;
};

class SkinLoaderTest : public testing::MonitorTest
{
protected:
    SkinLoaderTest() { files.CreateDirectory(kSkinDir); }

    std::string Plant(const std::string& name, const std::string& text)
    {
        const std::string path = std::string(kSkinDir) + "\\" + name;
        EXPECT_TRUE(files.WriteFile(path, text));
        return path;
    }
    // A 300 x 250 bitmap skin with its grid area at (10, 20), 240 x 180.
    std::string PlantBitmapSkin()
    {
        Plant("face.bmp", BitmapHeaderBytes(300, 250, false));
        return Plant("face.zim", "[Background Image]\r\nFilename=face.bmp\r\nTransparentColor=16711935\r\n"
                                 "[Desktop Grid]\r\nLeft=10\r\nTop=20\r\nWidth=240\r\nHeight=180\r\nLineColor=255\r\n"
                                 "FillMiniWindows=0\r\n"
                                 "[Coordinates]\r\nLeft=10\r\nTop=220\r\nWidth=30\r\nHeight=14\r\n");
    }
    SkinApplyResult Apply(const std::string& path, bool alwaysOnTop = true)
    {
        return ApplySkinFile(files, profile, kSkinDir, path, {W, H}, workArea, alwaysOnTop, model, skin);
    }

    sim::SimFileSystem files;
    sim::SimProfileFiles profile{files};
    RecordingSkinSurface skin;
    Size workArea{W, H - 30}; // a task bar at the bottom
};

TEST_F(SkinLoaderTest, ABitmapSkinIsAppliedWhileTheMonitorIsHiddenAndItsOutlineComesLast)
{
    const std::string path = PlantBitmapSkin();
    Add("bottom", Rect::FromSize(0, 0, W, H)); // the bottom-most window never gets a miniature
    const WindowHandle w = Add("a window");
    const SkinApplyResult result = Apply(path);
    ASSERT_TRUE(result.applied) << result.message;
    EXPECT_EQ(skin.log.front(), "prepare C:\\ZimDesk\\skins\\face.bmp") << "the bitmap is loaded before any change";
    EXPECT_EQ(skin.log[1], "hide");
    EXPECT_EQ(skin.log.back(), "show");
    EXPECT_LT(skin.IndexOf("no frame"), skin.IndexOf("background"));
    EXPECT_LT(skin.IndexOf("background"), skin.IndexOf("shaper on"));
    EXPECT_EQ(skin.log[skin.IndexOf("no frame") + 1], "topmost on") << "handed the window after its frame changed";
    EXPECT_EQ(skin.usedMask, 16711935);
    EXPECT_EQ(skin.usedClient, (Size{300, 250}));

    // The layout: grid area at its bounds, colours and fill from the skin, label and buttons shown.
    const MonitorLayout& layout = model.Layout();
    EXPECT_FALSE(layout.Natural());
    EXPECT_EQ(model.GridBounds(), Rect::FromSize(10, 20, 240, 180));
    EXPECT_EQ(model.Grid().Area(), (Size{240, 180})) << "the grid laid out over the skin's grid area";
    EXPECT_EQ(model.Grid().CellWidth(), 80);
    EXPECT_EQ(model.Colors().LineColor, 255);
    EXPECT_FALSE(model.FillMiniatures());
    EXPECT_TRUE(layout.LabelVisible());
    EXPECT_EQ(layout.LabelBounds(), Rect::FromSize(10, 220, 30, 14));
    EXPECT_EQ(layout.ButtonBounds(11), Rect::FromSize(217, 101, 16, 16)) << "a missing section's default";
    // The refresh ran: the window's miniature lies in the new grid's cell.
    ASSERT_TRUE(model.FindMiniature(w));
    EXPECT_EQ(model.FindMiniature(w)->bounds, (Rect{8, 8, 39, 31}));
}

TEST_F(SkinLoaderTest, ANaturalSkinGivesTheCaptionedFrameTheSystemColoursAndAGridOverTheClientArea)
{
    Apply(PlantBitmapSkin());
    skin.log.clear();
    const std::string path =
        Plant("plain.zim", "[Skin type]\r\nNatural=0x1\r\n[Desktop Grid]\r\nFontName=Tahoma\r\nFontSize=7\r\n");
    ASSERT_TRUE(Apply(path, false).applied);
    const std::vector<std::string> expected = {
        "hide", "shaper off", "topmost off", "natural frame", "clear background", "topmost off", "show"};
    EXPECT_EQ(skin.log, expected);
    const MonitorLayout& layout = model.Layout();
    EXPECT_TRUE(layout.Natural());
    EXPECT_EQ(model.GridBounds(), Rect::FromSize(0, 0, 300, 225)) << "the whole client area";
    EXPECT_EQ(model.Grid().Area(), (Size{300, 225}));
    EXPECT_EQ(model.Colors(), GridColors::Natural());
    EXPECT_TRUE(model.FillMiniatures());
    EXPECT_EQ(layout.GridFont().name, "Tahoma");
    EXPECT_EQ(layout.GridFont().size, 7);
    EXPECT_EQ(layout.GridFont().color, SystemColor(syscolor::kCaptionText));
    EXPECT_FALSE(layout.LabelVisible());
    EXPECT_FALSE(layout.ButtonsVisible());
    // Where a button stood under the bitmap skin is grid now.
    EXPECT_EQ(layout.HitTest({220, 105}, {300, 225}).part, MonitorPart::Grid);
}

TEST_F(SkinLoaderTest, AHiddenMonitorStaysHidden)
{
    skin.visible = false;
    ASSERT_TRUE(Apply(PlantBitmapSkin()).applied);
    EXPECT_EQ(std::count(skin.log.begin(), skin.log.end(), "show"), 0);
    EXPECT_EQ(std::count(skin.log.begin(), skin.log.end(), "hide"), 0);
    EXPECT_FALSE(skin.visible);
}

TEST_F(SkinLoaderTest, AMissingFileOrImageOrAnUnloadableBitmapChangesNothing)
{
    const MonitorLayout before = model.Layout();
    const auto unchanged = [&](const SkinApplyResult& result, const std::string& message)
    {
        EXPECT_FALSE(result.applied);
        EXPECT_EQ(result.message, message);
        EXPECT_TRUE(std::none_of(skin.log.begin(), skin.log.end(),
                                 [](const std::string& e) { return e.rfind("prepare", 0) != 0; }))
            << "the window was changed";
        EXPECT_EQ(model.Layout().Version(), before.Version());
        EXPECT_TRUE(skin.visible);
        skin.log.clear();
    };
    unchanged(Apply("C:\\ZimDesk\\skins\\none.zim"), "Skin file C:\\ZimDesk\\skins\\none.zim not found.");
    const std::string noImage = Plant("noimage.zim", "[Background Image]\r\nFilename=gone.bmp\r\n");
    unchanged(Apply(noImage), "Error in skinfile " + noImage + ". Image Not found!");
    // A file named "error" exists, and still counts as no image.
    Plant("error", BitmapHeaderBytes(10, 10, false));
    const std::string empty = Plant("empty.zim", "");
    unchanged(Apply(empty), "Error in skinfile " + empty + ". Image Not found!");
    const std::string path = PlantBitmapSkin();
    skin.prepareOk = false;
    unchanged(Apply(path), "Error in skinfile " + path + ". Image Not found!");
}

TEST_F(SkinLoaderTest, AHostileSkinNeverGivesAWindowOrAnElementBeyondTheScreen)
{
    Plant("huge.bmp", BitmapHeaderBytes(4096, 4096, true));
    const std::string path =
        Plant("huge.zim", "[Background Image]\r\nFilename=..\\..\\huge.bmp\r\n"
                          "[Desktop Grid]\r\nLeft=3000\r\nTop=-50\r\nWidth=99999\r\nHeight=0x7FFFFFFF\r\n"
                          "[Coordinates]\r\nLeft=4000\r\nTop=4000\r\nWidth=500\r\nHeight=500\r\n"
                          "[Menu Button]\r\nLeft=-2147483648\r\nTop=2147483647\r\nWidth=$FFFFFFFF\r\nHeight=1\r\n");
    skin.bounds = Rect::FromSize(900, 0, 120, 100);
    ASSERT_TRUE(Apply(path).applied);
    EXPECT_EQ(skin.log.front(), "prepare C:\\ZimDesk\\skins\\huge.bmp") << "no bitmap from outside the skin folder";
    EXPECT_EQ(skin.usedClient, (Size{W, H - 30})) << "the bitmap is cut to the work area";
    EXPECT_EQ(skin.bounds, Rect::FromSize(0, 0, W, H - 30)) << "the window is moved onto the screen";

    const Rect client{0, 0, W, H - 30};
    const auto inside = [&](const Rect& r)
    {
        return r.left >= client.left && r.top >= client.top && r.right <= client.right && r.bottom <= client.bottom &&
               r.Width() > 0 && r.Height() > 0;
    };
    const MonitorLayout& layout = model.Layout();
    EXPECT_TRUE(inside(model.GridBounds()));
    EXPECT_TRUE(inside(layout.LabelBounds()));
    for (std::size_t n = 0; n < skins::kSkinButtons.size(); ++n)
    {
        EXPECT_TRUE(inside(layout.ButtonBounds(n))) << n;
    }
    // Moving things later keeps them inside too.
    model.ApplyBitmapSkin(layout.Skin(), {200, 150});
    EXPECT_TRUE(model.GridBounds().right <= 200 && model.GridBounds().bottom <= 150);
}

TEST_F(SkinLoaderTest, AWindowGrownByItsSkinIsBroughtBackOntoTheScreen)
{
    skin.bounds = Rect::FromSize(W - 150, H - 120, 120, 100);
    ASSERT_TRUE(Apply(PlantBitmapSkin()).applied);
    EXPECT_EQ(skin.bounds, Rect::FromSize(W - 300, H - 250, 300, 250));
    EXPECT_LT(skin.IndexOf("move"), skin.IndexOf("show"));
}

TEST_F(SkinLoaderTest, SavingWritesTheAppliedLayoutAndStopsAtAWriteThatFails)
{
    ASSERT_TRUE(Apply(PlantBitmapSkin()).applied);
    const std::string copy = std::string(kSkinDir) + "\\copy.zim";
    EXPECT_EQ(SaveSkinFile(profile, copy, model.Layout()), std::nullopt);
    skins::SkinLayout read = skins::ReadSkin(profile, copy);
    EXPECT_EQ(read, model.Layout().Skin());
    EXPECT_EQ(profile.GetString(copy, "Zim Desk Skin", "ZimDeskVersion"), "2.3");

    FailingProfile failing(profile, 3);
    const std::string other = std::string(kSkinDir) + "\\other.zim";
    EXPECT_EQ(SaveSkinFile(failing, other, model.Layout()), "Unable to write to " + other);
    EXPECT_EQ(profile.GetString(other, "Background Image", "Filename"), "face.bmp") << "the keys before stay";
    EXPECT_EQ(profile.GetString(other, "Background Image", "TransparentColor"), std::nullopt);
}

} // namespace
} // namespace zim
