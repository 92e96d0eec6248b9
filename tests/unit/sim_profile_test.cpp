#include "platform/sim/sim_profile.h"

#include "platform/sim/sim_file_system.h"

#include <gtest/gtest.h>

namespace zim::sim
{
namespace
{

constexpr const char* kPath = "C:\\ZimDesk\\a.ini";

TEST(SimProfile, ReadsValuesIgnoringCaseBlanksAndOnePairOfQuotes)
{
    SimFileSystem files;
    SimProfileFiles profile(files);
    ASSERT_TRUE(files.WriteFile(kPath, "; comment\r\n[Desktop Grid]\r\n  Left =  12  \r\nName=\"quoted\"\r\n"
                                       "Left=99\r\nEmpty=\r\n[ Other ]\nKey=v\n"));
    EXPECT_EQ(profile.GetString(kPath, "desktop grid", "LEFT"), "12"); // the first of two equal keys
    EXPECT_EQ(profile.GetString(kPath, "Desktop Grid", "Name"), "quoted");
    EXPECT_EQ(profile.GetString(kPath, "Desktop Grid", "Empty"), "");
    EXPECT_EQ(profile.GetString(kPath, "Other", "Key"), "v");
    EXPECT_FALSE(profile.GetString(kPath, "Other", "Left"));
    EXPECT_FALSE(profile.GetString(kPath, "Missing", "Left"));
    EXPECT_FALSE(profile.GetString("C:\\ZimDesk\\none.ini", "Desktop Grid", "Left"));
}

TEST(SimProfile, ReadsTheFileAsItIsNowAndAReopenedSectionAsOne)
{
    SimFileSystem files;
    SimProfileFiles profile(files);
    ASSERT_TRUE(files.WriteFile(kPath, "x=0\r\n[A]\r\nx=1\r\n[B]\r\nx=5\r\n[a]\r\nx=2\r\ny=3\r\n"));
    EXPECT_EQ(profile.GetString(kPath, "A", "x"), "1");
    EXPECT_EQ(profile.GetString(kPath, "A", "y"), "3");
    EXPECT_EQ(profile.GetString(kPath, "B", "x"), "5");

    ASSERT_TRUE(files.WriteFile(kPath, "[A]\r\nx=7\r\n")); // changed behind the reader's back
    EXPECT_EQ(profile.GetString(kPath, "A", "x"), "7");
    EXPECT_FALSE(profile.GetString(kPath, "A", "y"));
    ASSERT_TRUE(profile.WriteString(kPath, "A", "y", "8"));
    EXPECT_EQ(profile.GetString(kPath, "A", "y"), "8");
    ASSERT_TRUE(files.MoveFile(kPath, "C:\\ZimDesk\\b.ini"));
    EXPECT_FALSE(profile.GetString(kPath, "A", "x"));
}

TEST(SimProfile, WritesInPlaceAndKeepsEverythingElse)
{
    SimFileSystem files;
    SimProfileFiles profile(files);
    ASSERT_TRUE(files.WriteFile(kPath, "; kept\r\n[A]\r\nx=1\r\nunknown=keep me\r\n\r\n[B]\r\ny=2\r\n"));
    ASSERT_TRUE(profile.WriteString(kPath, "a", "X", "10"));
    ASSERT_TRUE(profile.WriteString(kPath, "A", "z", "3"));
    ASSERT_TRUE(profile.WriteString(kPath, "C", "w", "4"));
    EXPECT_EQ(*files.ReadFile(kPath),
              "; kept\r\n[A]\r\nX=10\r\nunknown=keep me\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
}

TEST(SimProfile, TheFirstWriteCreatesTheFileButNotItsFolder)
{
    SimFileSystem files;
    SimProfileFiles profile(files);
    EXPECT_TRUE(profile.WriteString(kPath, "S", "k", "v"));
    EXPECT_EQ(*files.ReadFile(kPath), "[S]\r\nk=v\r\n");
    EXPECT_FALSE(profile.WriteString("C:\\ZimDesk\\no\\such.ini", "S", "k", "v"));
}

} // namespace
} // namespace zim::sim
