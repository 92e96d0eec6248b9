#include "platform/text.h"

#include <gtest/gtest.h>

namespace zim::text
{
namespace
{

TEST(Text, CompareNoCase_FoldsLatinGreekAndCyrillicButKeepsOtherDifferences)
{
    EXPECT_TRUE(EqualsNoCase("Notepad", "NOTEPAD"));
    EXPECT_TRUE(EqualsNoCase("\xC3\x84rger", "\xC3\xA4RGER")); // Ärger / äRGER
    EXPECT_TRUE(
        EqualsNoCase("\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", "\xD0\xBF\xD0\x90\xD0\x9F\xD0\x9A\xD0\x90")); // Папка
    EXPECT_TRUE(EqualsNoCase("\xCE\xA3\xCE\xB1", "\xCF\x83\xCE\x91")); // Σα / σΑ
    EXPECT_FALSE(EqualsNoCase("Notepad", "Notepad2"));
    EXPECT_FALSE(EqualsNoCase("a", "\xC3\xA4"));
    EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
    EXPECT_GT(CompareNoCase("Cherry", "banana"), 0);
    EXPECT_LT(CompareNoCase("abc", "ABCD"), 0);
}

TEST(Text, CompareNoCase_IsTotalOnMalformedUtf8)
{
    EXPECT_TRUE(EqualsNoCase("\xFF\xC3", "\xFF\xC3"));
    EXPECT_FALSE(EqualsNoCase("\xC3", "\xC4"));
    EXPECT_NE(CompareNoCase("\xE2\x82", "\xE2\x82\xAC"), 0);
}

TEST(Text, FoldNoCase_AgreesWithCompareNoCase)
{
    const char* texts[] = {"Notepad",
                           "NOTEPAD",
                           "Notepad2",
                           "apple",
                           "Banana",
                           "abc",
                           "ABCD",
                           "",
                           "\xC3\x84rger",
                           "\xC3\xA4RGER",
                           "a",
                           "\xC3\xA4",
                           "\xCE\xA3\xCE\xB1",
                           "\xCF\x83\xCE\x91",
                           "\xFF\xC3",
                           "\xC3",
                           "\xC4",
                           "\xE2\x82",
                           "\xE2\x82\xAC",
                           "\xC5\xB8",
                           "\xC3\xBF",
                           "\xF0\x9F\x98\x80",
                           "\xEF\xBF\xBD",
                           "\xED\x9F\xBF",
                           "\xED\xB2\x80",
                           "\x7F",
                           "\xD0\x81\xD0\x90",
                           "b",
                           "\xC1\x81", // overlong forms of "A"
                           "\xE0\x81\x81",
                           "\xC2\x80"};
    for (const char* a : texts)
    {
        for (const char* b : texts)
        {
            const int compared = CompareNoCase(a, b);
            const std::string fa = FoldNoCase(a);
            const std::string fb = FoldNoCase(b);
            EXPECT_EQ(compared == 0, fa == fb) << a << " / " << b;
            EXPECT_EQ(compared < 0, fa < fb) << a << " / " << b;
        }
    }
}

TEST(Text, TruncateChars_CountsCharactersNotBytes)
{
    EXPECT_EQ(TruncateChars("abcdef", 4), "abcd");
    EXPECT_EQ(TruncateChars("ab", 254), "ab");
    EXPECT_EQ(TruncateChars("\xC3\xA4\xC3\xB6\xC3\xBC", 2), "\xC3\xA4\xC3\xB6");
    EXPECT_EQ(TruncateChars(std::string(300, 'x'), 254).size(), 254u);
    EXPECT_EQ(TruncateChars("", 3), "");
}

TEST(Text, WildcardMatch_FileNamePatterns)
{
    struct Case
    {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.zim", "silver.zim", true}, {"*.zim", "Silver.ZIM", true},    {"*.zim", "silver.zim.bak", false},
        {"*", "anything", true},       {"s?lver.*", "silver.bmp", true}, {"*.bmp", "bmp", false},
        {"a*b*c", "aXXbYYc", true},    {"a*b*c", "aXXbYY", false},       {"", "", true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
    }
}

TEST(Text, ParseInt_AcceptsDecimalAndPrefixedHexOnly)
{
    struct Case
    {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"224", true, 224},
        {"-1", true, -1},
        {"0x41", true, 65},
        {"0X1f", true, 31},
        {"0x80000005", true, static_cast<int>(0x80000005u)},
        {"0x", false, 0},
        {"", false, 0},
        {"12a", false, 0},
        {" 12", false, 0},
        {"--5", false, 0},
        {"-+5", false, 0},
        {"99999999999", false, 0},
        {"0x100000000", false, 0},
        {"0", true, 0},
    };
    for (const Case& c : cases)
    {
        int value = 0;
        EXPECT_EQ(ParseInt(c.text, value), c.ok) << c.text;
        if (c.ok)
        {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

} // namespace
} // namespace zim::text
