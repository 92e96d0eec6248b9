#include "skins/skin_editor_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace zim
{
namespace
{

TEST(SkinEditorRulesTest, TheEditorIsTheBitmapWithItsPanelsButNeverSmallerThan397By304)
{
    struct
    {
        Size bitmap;
        Size window;
    } const cases[] = {
        {{200, 150}, {397, 304}}, {{500, 400}, {500, 503}}, {{397, 201}, {397, 304}},
        {{398, 202}, {398, 305}}, {{0, 0}, {397, 304}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(EditorWindowSize(c.bitmap), c.window) << c.bitmap.width << " x " << c.bitmap.height;
    }
}

TEST(SkinEditorRulesTest, TheTitleBarNamesTheSkin)
{
    EXPECT_EQ(EditorCaption("Blue.zim"), "Skin editor - [Blue.zim]");
}

TEST(SkinEditorRulesTest, EveryElementButACommandButtonTakesAFont)
{
    EXPECT_TRUE(TakesFont(SkinElement::GridArea));
    EXPECT_TRUE(TakesFont(SkinElement::CoordinatesLabel));
    EXPECT_TRUE(TakesFont(SkinElement::IconDesktopButton));
    EXPECT_FALSE(TakesFont(SkinElement::CommandButton));
}

TEST(SkinEditorRulesTest, TheColourButtonOpensTheGridMenuOnlyForTheGridAreaAlone)
{
    EXPECT_EQ(ColorButtonActionFor(1, 0), ColorButtonAction::GridColorMenu);
    EXPECT_EQ(ColorButtonActionFor(2, 0), ColorButtonAction::ColorDialog);
    EXPECT_EQ(ColorButtonActionFor(2, 1), ColorButtonAction::ColorDialog);
    EXPECT_EQ(ColorButtonActionFor(1, -1), ColorButtonAction::ColorDialog);
}

struct NameCase
{
    const char* typed;
    NewSkinVerdict verdict;
    const char* fileName;
};

TEST(SkinEditorRulesTest, ANewSkinNameGetsItsExtensionOnceAndNeverOverwritesSilently)
{
    const std::vector<std::string> existing = {"default.zim", "shipped.zim"};
    const auto exists = [&](const std::string& name)
    {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        return std::find(existing.begin(), existing.end(), lower) != existing.end();
    };
    const NameCase cases[] = {
        {"Blue", NewSkinVerdict::Accepted, "Blue.zim"},
        {"Blue.zim", NewSkinVerdict::Accepted, "Blue.zim"},
        {"Blue.ZIM", NewSkinVerdict::Accepted, "Blue.ZIM"},
        {"Blue.zim.zim", NewSkinVerdict::Accepted, "Blue.zim.zim"},
        {"my.blue", NewSkinVerdict::Accepted, "my.blue.zim"},
        {"console", NewSkinVerdict::Accepted, "console.zim"},
        {"", NewSkinVerdict::Unchanged, ""},
        {"   ", NewSkinVerdict::Unchanged, ""},
        {"Default.zim", NewSkinVerdict::Unchanged, ""}, // the skin being edited
        {"DEFAULT", NewSkinVerdict::Unchanged, ""},
        {"Shipped", NewSkinVerdict::AskFirst, "Shipped.zim"},
        {"a\\b", NewSkinVerdict::Refused, ""},
        {"..\\Default", NewSkinVerdict::Refused, ""},
        {"a/b", NewSkinVerdict::Refused, ""},
        {"c:blue", NewSkinVerdict::Refused, ""},
        {"what?", NewSkinVerdict::Refused, ""},
        {"x<y>", NewSkinVerdict::Refused, ""},
        {"say \"hi\"", NewSkinVerdict::Refused, ""},
        {"tab\there", NewSkinVerdict::Refused, ""},
        {"con", NewSkinVerdict::Refused, ""},
        {"LPT1.zim", NewSkinVerdict::Refused, ""},
        {"nul.backup", NewSkinVerdict::Refused, ""},
    };
    for (const NameCase& c : cases)
    {
        SCOPED_TRACE(c.typed);
        const NewSkinName result = CheckNewSkinName(c.typed, "Default.zim", exists);
        EXPECT_EQ(result.verdict, c.verdict);
        EXPECT_EQ(result.fileName, c.fileName);
        const bool explained = c.verdict == NewSkinVerdict::AskFirst || c.verdict == NewSkinVerdict::Refused;
        EXPECT_EQ(!result.message.empty(), explained);
    }
}

TEST(SkinEditorRulesTest, TheMessagesSayWhatIsWrong)
{
    const auto always = [](const std::string&) { return true; };
    EXPECT_EQ(CheckNewSkinName("Blue", "Default.zim", always).message,
              "A skin named \"Blue.zim\" already exists. Replace it?");
    EXPECT_EQ(CheckNewSkinName("a|b", "Default.zim", always).message,
              "A skin name cannot contain any of these characters: \\ / : * ? \" < > |");
    EXPECT_EQ(CheckNewSkinName("aux", "Default.zim", always).message,
              "\"aux\" is reserved by Windows and cannot name a skin.");
}

} // namespace
} // namespace zim
