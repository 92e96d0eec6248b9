#include "settings/options.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

TEST(Options, DefaultsAreThoseOfAFirstRun)
{
    const Options o;
    EXPECT_EQ(o.sizeX, 3);
    EXPECT_EQ(o.sizeY, 3);
    EXPECT_FALSE(o.autoHide);
    EXPECT_EQ(o.autoHideDelay, 3000);
    EXPECT_TRUE(o.mouseScroll);
    EXPECT_TRUE(o.wrapCursor);
    EXPECT_EQ(o.mouseDelay, 1000);
    EXPECT_FALSE(o.mouseShift || o.mouseControl || o.mouseAlt);
    EXPECT_TRUE(o.taskSwitch);
    EXPECT_TRUE(o.alwaysOnTop);
    EXPECT_FALSE(o.closeWhenSelected);
    EXPECT_FALSE(o.hideAllWC);
    EXPECT_FALSE(o.hotKeys);
    EXPECT_EQ(o.hotKeyCodes, (std::array<int, 5>{}));
    EXPECT_FALSE(o.hotShift || o.hotControl || o.hotAlt || o.hotWin);
    EXPECT_TRUE(o.showWndNames);
    EXPECT_TRUE(o.showWndIcons);
    EXPECT_EQ(o.skinDir, ".\\skins");
    EXPECT_EQ(o.skin, "silver.zim");
    EXPECT_EQ(o.soundFile, "");
    EXPECT_TRUE(o.sysMenuEnabled);
    EXPECT_FALSE(o.trayArrows);
    EXPECT_EQ(o.iconDesktop, 1);
    EXPECT_EQ(o.stickyWindows.Size() + o.stickyClasses.Size() + o.compatibilityClasses.Size(), 0u);
    EXPECT_TRUE(o.stickyWindows.Sorted() && o.stickyClasses.Sorted() && o.compatibilityClasses.Sorted());
    EXPECT_TRUE(o.wallpapers.empty());
    EXPECT_FALSE(o.wallpapersEnabled);
    EXPECT_FALSE(o.wallpaperUpdateProfile);
}

TEST(Options, GridSizesOutsideOneToTenAreInvalid)
{
    EXPECT_FALSE(Options::IsValidGridSize(0));
    EXPECT_TRUE(Options::IsValidGridSize(1));
    EXPECT_TRUE(Options::IsValidGridSize(10));
    EXPECT_FALSE(Options::IsValidGridSize(11));
}

TEST(OptionsModel, ListenersHearEveryChangeUntilTheyUnsubscribe)
{
    OptionsModel model;
    std::vector<int> seen;
    const auto id = model.Subscribe([&](const Options& o) { seen.push_back(o.sizeX); });
    model.Update([](Options& o) { o.sizeX = 5; });
    model.Unsubscribe(id);
    model.Update([](Options& o) { o.sizeX = 7; });
    EXPECT_EQ(seen, std::vector<int>{5});
    EXPECT_EQ(model.Get().sizeX, 7);
}

TEST(OptionsModel, AListenerMayUnsubscribeItselfWhileBeingTold)
{
    OptionsModel model;
    int calls = 0;
    std::size_t id = 0;
    id = model.Subscribe(
        [&](const Options&)
        {
            ++calls;
            model.Unsubscribe(id);
        });
    model.Update([](Options&) {});
    model.Update([](Options&) {});
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace zim
