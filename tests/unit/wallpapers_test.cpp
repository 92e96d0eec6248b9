// One wallpaper per desktop: which entry a desktop gets, what reaches the
// system and the registry, and the page's edits of the list.

#include "engine/wallpapers.h"
#include "engine_fixture.h"
#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

using Call = sim::SimDesktop::WallpaperCall;

class WallpapersTest : public testing::EngineTest
{
protected:
    WallpapersTest()
    {
        registry.CreateKey(DesktopWallpapers::kDesktopKey);
        state.Grid.Subscribe(wallpapers);
        options.Update(
            [](Options& o)
            {
                o.wallpapersEnabled = true;
                o.wallpapers = {{"C:\\w\\first.bmp", false}, {"C:\\w\\second.bmp", true}};
            });
    }
    ~WallpapersTest() override { state.Grid.Unsubscribe(wallpapers); }

    std::string Tile()
    {
        std::string value;
        registry.ReadString(DesktopWallpapers::kDesktopKey, DesktopWallpapers::kTileValue, value);
        return value;
    }

    sim::SimRegistry registry;
    std::unique_ptr<Timer> timer = desktop.CreateTimer(50, [] {});
    std::vector<std::string> errors;
    DesktopWallpapers wallpapers{registry, desktop, options,
                                 [this](const std::string& message) { errors.push_back(message); }};
};

TEST_F(WallpapersTest, TheEntriesGoToTheDesktopsRowByRowAndOthersKeepTheLastOne)
{
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_EQ(desktop.WallpapersSet(), (std::vector<Call>{{"C:\\w\\second.bmp", false}}));
    EXPECT_EQ(Tile(), "1");
    engine.DrawGrid1SelectCell(1, 1); // no entry: the wallpaper stays
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_EQ(desktop.WallpapersSet(), (std::vector<Call>{{"C:\\w\\second.bmp", false}, {"C:\\w\\first.bmp", false}}));
    EXPECT_EQ(Tile(), "0");
}

TEST_F(WallpapersTest, TheProfileIsUpdatedOnlyWhenAskedAndNothingHappensWhenOff)
{
    options.Update([](Options& o) { o.wallpaperUpdateProfile = true; });
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_EQ(desktop.WallpapersSet().size(), 1u);
    EXPECT_TRUE(desktop.WallpapersSet().back().updateProfile);
    options.Update([](Options& o) { o.wallpapersEnabled = false; });
    engine.DrawGrid1SelectCell(0, 0);
    EXPECT_EQ(desktop.WallpapersSet().size(), 1u);
}

TEST_F(WallpapersTest, ANarrowerGridReMapsTheEntries)
{
    options.Update(
        [](Options& o)
        {
            o.wallpapers = {{"a", false}, {"b", false}, {"c", false}, {"d", false}};
            SetGridSizeText(o, true, "2");
        });
    state.Grid.Apply({200, 225}, 2, 3);
    engine.DrawGrid1SelectCell(1, 1); // entry 3 with two columns
    ASSERT_FALSE(desktop.WallpapersSet().empty());
    EXPECT_EQ(desktop.WallpapersSet().back().path, "d");
    EXPECT_EQ(WallpaperIndex({0, 1}, 3, 4), 3u);
    EXPECT_EQ(WallpaperIndex({1, 1}, 3, 4), std::nullopt);
}

TEST_F(WallpapersTest, AFailedTileWriteIsToldOnceAndTheSwitchStillFinishes)
{
    registry.DeleteKey(DesktopWallpapers::kDesktopKey);
    timer->SetEnabled(true);
    engine.SetInputTimer(timer.get());
    ASSERT_TRUE(engine.DrawGrid1SelectCell(1, 0));
    EXPECT_EQ(errors, (std::vector<std::string>{"Failed to set data for 'TileWallPaper'"}));
    EXPECT_TRUE(desktop.WallpapersSet().empty());
    EXPECT_TRUE(timer->IsEnabled()) << "edge scrolling must come back after the switch";
    EXPECT_FALSE(registry.KeyExists(DesktopWallpapers::kDesktopKey)) << "the key is never created";
    ASSERT_TRUE(engine.DrawGrid1SelectCell(0, 0));
    EXPECT_EQ(errors.size(), 1u);
    engine.SetInputTimer(nullptr);
}

TEST_F(WallpapersTest, APathTooLongForTheSystemIsNeverCut)
{
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".bmp";
    options.Update([&](Options& o) { o.wallpapers[1].fileName = longPath; });
    engine.DrawGrid1SelectCell(1, 0);
    EXPECT_TRUE(desktop.WallpapersSet().empty());
}

TEST(WallpaperList, AddDeleteUpAndDownKeepOrderTileFlagsAndTheSelectionRules)
{
    Options o;
    const std::string tooLong(256, 'x');
    EXPECT_EQ(AddWallpapers(o, {"a", tooLong, "b", "c"}), (std::vector<std::string>{tooLong}));
    ASSERT_EQ(o.wallpapers.size(), 3u);
    EXPECT_FALSE(o.wallpapers[0].tile);
    o.wallpapers[0].tile = true;

    EXPECT_EQ(MoveWallpaperUp(o, 0), 0); // the first cannot go up
    EXPECT_EQ(MoveWallpaperDown(o, -1), -1);
    EXPECT_EQ(MoveWallpaperDown(o, 2), 2); // nor the last down
    EXPECT_EQ(MoveWallpaperDown(o, 0), 1);
    EXPECT_EQ(o.wallpapers, (std::vector<WallpaperEntry>{{"b", false}, {"a", true}, {"c", false}}));
    EXPECT_EQ(MoveWallpaperUp(o, 2), 1);
    EXPECT_EQ(o.wallpapers, (std::vector<WallpaperEntry>{{"b", false}, {"c", false}, {"a", true}}));

    EXPECT_EQ(DeleteWallpaper(o, -1), -1);
    EXPECT_EQ(o.wallpapers.size(), 3u);
    EXPECT_EQ(DeleteWallpaper(o, 2), 0);
    EXPECT_EQ(o.wallpapers, (std::vector<WallpaperEntry>{{"b", false}, {"c", false}}));
    EXPECT_EQ(DeleteWallpaper(o, 0), 0);
    EXPECT_EQ(DeleteWallpaper(o, 0), -1);
    EXPECT_TRUE(o.wallpapers.empty());
}

} // namespace
} // namespace zim
