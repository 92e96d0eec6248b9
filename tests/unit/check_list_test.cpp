#include "settings/check_list.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

std::vector<std::string> Texts(const CheckList& list)
{
    std::vector<std::string> out;
    for (const auto& entry : list.Entries())
    {
        out.push_back(entry.text);
    }
    return out;
}

TEST(CheckList, SortedListOrdersWithoutCaseAndKeepsDuplicatesAfterTheirEquals)
{
    CheckList list(true);
    list.Add("notepad", true);
    list.Add("Calc", false);
    list.Add("Notepad", false);
    list.Add("explorer", true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"Calc", "explorer", "notepad", "Notepad"}));
}

TEST(CheckList, UnsortedListKeepsOrderOfAdding)
{
    CheckList list(false);
    list.Add("b.bmp", false);
    list.Add("a.bmp", true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"b.bmp", "a.bmp"}));
}

TEST(CheckList, OnlyTheFirstEntryWithTheTextCountsAndOnlyWhenChecked)
{
    CheckList list(false);
    list.Add("Notepad", false);
    list.Add("NOTEPAD", true);
    list.Add("Calc", true);
    EXPECT_EQ(list.Find("notepad"), 0);
    EXPECT_FALSE(list.IsChecked("notepad")); // the unchecked first entry hides the checked second
    EXPECT_TRUE(list.IsChecked("calc"));
    EXPECT_FALSE(list.IsChecked("Calculator"));
    EXPECT_EQ(list.Find("Calculator"), -1);

    list.SetChecked(0, true);
    EXPECT_TRUE(list.IsChecked("Notepad"));
    list.RemoveAt(0);
    list.RemoveAt(17); // out of range: ignored
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"NOTEPAD", "Calc"}));
}

} // namespace
} // namespace zim
