#include "platform/sim/sim_file_system.h"

#include <gtest/gtest.h>

namespace zim::sim
{
namespace
{

TEST(SimFileSystem, PathsIgnoreCaseAndEitherSlash)
{
    SimFileSystem fs("C:\\ZimDesk");
    EXPECT_TRUE(fs.DirectoryExists("c:/zimdesk/"));
    EXPECT_TRUE(fs.CreateDirectory("C:\\ZimDesk\\skins"));
    EXPECT_FALSE(fs.CreateDirectory("C:\\ZimDesk\\SKINS")); // exists
    EXPECT_FALSE(fs.CreateDirectory("C:\\missing\\child")); // no parent
    EXPECT_TRUE(fs.WriteFile("C:\\ZimDesk\\skins\\Silver.zim", "[Skin]"));
    EXPECT_TRUE(fs.FileExists("c:/zimdesk/skins/silver.ZIM"));
    EXPECT_EQ(fs.ReadFile("C:\\zimdesk\\skins\\silver.zim").value_or(""), "[Skin]");
    EXPECT_FALSE(fs.WriteFile("C:\\nowhere\\x.txt", "x"));
    EXPECT_EQ(fs.GetCurrentDirectory(), "C:\\ZimDesk");
}

TEST(SimFileSystem, ListingMatchesThePatternInOneFolderOnly)
{
    SimFileSystem fs("C:\\ZimDesk");
    fs.CreateDirectory("C:\\ZimDesk\\skins");
    fs.CreateDirectory("C:\\ZimDesk\\skins\\sub");
    fs.WriteFile("C:\\ZimDesk\\skins\\Silver.zim", "");
    fs.WriteFile("C:\\ZimDesk\\skins\\silver.bmp", "");
    fs.WriteFile("C:\\ZimDesk\\skins\\sub\\deep.zim", "");
    const auto zims = fs.ListDirectory("C:\\ZimDesk\\skins", "*.zim");
    ASSERT_EQ(zims.size(), 1u);
    EXPECT_EQ(zims[0].name, "Silver.zim"); // the name as created
    const auto all = fs.ListDirectory("C:\\ZimDesk\\skins", "*");
    EXPECT_EQ(all.size(), 3u);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const auto& e) { return e.isDirectory; }), 1);
}

TEST(SimFileSystem, MoveFailsWhenTheTargetExistsAndLeavesBothAlone)
{
    SimFileSystem fs("C:\\ZimDesk");
    fs.WriteFile("C:\\ZimDesk\\a.lnk", "A");
    fs.WriteFile("C:\\ZimDesk\\b.lnk", "B");
    EXPECT_FALSE(fs.MoveFile("C:\\ZimDesk\\a.lnk", "C:\\ZimDesk\\B.LNK"));
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\a.lnk").value_or(""), "A");
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\b.lnk").value_or(""), "B");
    EXPECT_TRUE(fs.MoveFile("C:\\ZimDesk\\a.lnk", "C:\\ZimDesk\\c.lnk"));
    EXPECT_FALSE(fs.FileExists("C:\\ZimDesk\\a.lnk"));
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\c.lnk").value_or(""), "A");
}

TEST(SimFileSystem, MovingAFolderTakesItsContents)
{
    SimFileSystem fs("C:\\ZimDesk");
    fs.CreateDirectory("C:\\ZimDesk\\Icon Desktop 1");
    fs.WriteFile("C:\\ZimDesk\\Icon Desktop 1\\x.lnk", "X");
    EXPECT_TRUE(fs.MoveFile("C:\\ZimDesk\\Icon Desktop 1", "C:\\ZimDesk\\Moved"));
    EXPECT_TRUE(fs.DirectoryExists("C:\\ZimDesk\\Moved"));
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\Moved\\x.lnk").value_or(""), "X");
    EXPECT_FALSE(fs.DirectoryExists("C:\\ZimDesk\\Icon Desktop 1"));
}

TEST(SimFileSystem, CopyHonoursFailIfExists)
{
    SimFileSystem fs("C:\\ZimDesk");
    fs.WriteFile("C:\\ZimDesk\\a", "new");
    fs.WriteFile("C:\\ZimDesk\\b", "old");
    EXPECT_FALSE(fs.CopyFile("C:\\ZimDesk\\a", "C:\\ZimDesk\\b", true));
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\b").value_or(""), "old");
    EXPECT_TRUE(fs.CopyFile("C:\\ZimDesk\\a", "C:\\ZimDesk\\b", false));
    EXPECT_EQ(fs.ReadFile("C:\\ZimDesk\\b").value_or(""), "new");
    EXPECT_FALSE(fs.CopyFile("C:\\ZimDesk\\missing", "C:\\ZimDesk\\c", false));
}

} // namespace
} // namespace zim::sim
