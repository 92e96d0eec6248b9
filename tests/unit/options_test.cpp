#include "settings/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zim
{
namespace
{

TEST(OptionsModel, ListenersHearOnlyChangesOfTheFieldsTheyFollowUntilTheyUnsubscribe)
{
    OptionsModel model;
    std::vector<std::string> heard;
    const auto grid = model.Subscribe(
        {Option::SizeX, Option::SizeY}, [&](const Options& o, const OptionSet& changed)
        { heard.push_back("grid " + std::to_string(o.sizeX) + (changed.Has(Option::SizeY) ? " and rows" : "")); });
    model.Subscribe({Option::TrayArrows}, [&](const Options&, const OptionSet&) { heard.push_back("arrows"); });

    model.Update([](Options& o) { o.sizeX = 5; });
    model.Update([](Options& o) { o.trayArrows = true; });
    model.Update([](Options& o) { o.sizeY = 4; });
    model.Update([](Options& o) { o.autoHide = true; }); // followed by nobody
    model.Unsubscribe(grid);
    model.Update([](Options& o) { o.sizeX = 7; });

    EXPECT_EQ(heard, (std::vector<std::string>{"grid 5", "arrows", "grid 5 and rows"}));
    EXPECT_EQ(model.Get().sizeX, 7);
}

TEST(GridSizeText, TheTextIsKeptAndReadLikeAnIntegerSetting)
{
    struct Case
    {
        const char* text;
        int size;
    };
    for (const Case c : {Case{"4", 4}, Case{"0x4", 4}, Case{"0X0A", 10}, Case{"-2", -2}, Case{"", 0}, Case{"abc", 0},
                         Case{" 4", 0}, Case{"4x", 0}, Case{"0x", 0}})
    {
        Options o;
        SetGridSizeText(o, true, c.text);
        EXPECT_EQ(o.sizeX, c.size) << c.text;
        EXPECT_EQ(o.sizeXText, c.text);
        EXPECT_EQ(o.sizeY, 3) << "the rows are left alone";
        SetGridSizeText(o, false, c.text);
        EXPECT_EQ(o.sizeY, c.size) << c.text;
        EXPECT_EQ(o.sizeYText, c.text);
    }
}

TEST(GridSizeText, ThroughTheModelTheTextAndTheNumberAreReportedByTheirOwnFields)
{
    OptionsModel model;
    std::vector<OptionSet> heard;
    model.Subscribe({Option::SizeX, Option::SizeXText},
                    [&](const Options&, const OptionSet& changed) { heard.push_back(changed); });
    model.Update([](Options& o) { SetGridSizeText(o, true, "4"); });
    model.Update([](Options& o) { SetGridSizeText(o, true, "0x4"); });
    model.Update([](Options& o) { SetGridSizeText(o, true, "0x4"); });
    EXPECT_EQ(heard, (std::vector<OptionSet>{{Option::SizeX, Option::SizeXText}, {Option::SizeXText}}));
}

TEST(OptionsModel, AChangeThatLeavesEveryValueAsItWasTellsNobody)
{
    OptionsModel model;
    int calls = 0;
    model.Subscribe(OptionSet::All(), [&](const Options&, const OptionSet&) { ++calls; });
    model.Update([](Options& o) { o.sizeX = 3; }); // the default already
    model.Update([](Options& o) { o.stickyWindows.Clear(); });
    EXPECT_EQ(calls, 0);
}

TEST(OptionsModel, ChangesInsideListsAndArraysAreReportedByTheirField)
{
    Options before;
    Options after = before;
    after.hotKeyCodes[3] = 0x41;
    after.stickyClasses.Add("Notepad", true);
    after.wallpapers.push_back({"C:\\w.bmp", false});
    const OptionSet changed = ChangedOptions(before, after);
    EXPECT_EQ(changed, (OptionSet{Option::HotKeyCodes, Option::StickyClasses, Option::Wallpapers}));

    // The check mark of an entry is part of the list.
    Options checked = after;
    checked.stickyClasses.SetChecked(0, false);
    EXPECT_EQ(ChangedOptions(after, checked), OptionSet{Option::StickyClasses});
}

TEST(OptionsModel, AListenerMayUnsubscribeItselfWhileBeingTold)
{
    OptionsModel model;
    int calls = 0;
    std::size_t id = 0;
    id = model.Subscribe({Option::SizeX},
                         [&](const Options&, const OptionSet&)
                         {
                             ++calls;
                             model.Unsubscribe(id);
                         });
    model.Update([](Options& o) { o.sizeX = 4; });
    model.Update([](Options& o) { o.sizeX = 5; });
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace zim
