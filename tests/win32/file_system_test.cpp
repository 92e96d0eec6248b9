#include "platform/win32/utf.h"
#include "platform/win32/win32_file_system.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace zim::win32
{
namespace
{

// Every case works in its own folder under the temporary folder, removed afterwards.
class FileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
        static int s_counter = 0;
        m_folder =
            Narrow(temp) + "ZimDeskTest-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_counter);
        ASSERT_TRUE(m_files.CreateDirectory(m_folder));
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(Widen(m_folder)), ignored);
    }

    std::string Path(const std::string& name) const { return m_folder + "\\" + name; }

    Win32FileSystem m_files;
    std::string m_folder;
};

TEST_F(FileSystemTest, FilesAndFoldersAreToldApartAndFoldersAreCreatedOnce)
{
    EXPECT_TRUE(m_files.DirectoryExists(m_folder));
    EXPECT_FALSE(m_files.FileExists(m_folder));
    EXPECT_FALSE(m_files.CreateDirectory(m_folder));
    EXPECT_FALSE(m_files.CreateDirectory(Path("no\\parent")));

    ASSERT_TRUE(m_files.WriteFile(Path("a.zim"), "x"));
    EXPECT_TRUE(m_files.FileExists(Path("A.ZIM")));
    EXPECT_FALSE(m_files.DirectoryExists(Path("a.zim")));
    EXPECT_FALSE(m_files.FileExists(Path("b.zim")));
    EXPECT_TRUE(m_files.DirectoryExists(m_files.GetCurrentDirectory()));
}

TEST_F(FileSystemTest, AFailedCreationOrMoveSaysWhyInTheSystemsWords)
{
    ASSERT_FALSE(m_files.CreateDirectory(Path("no\\parent")));
    const std::string noPath = m_files.LastErrorText();
    ASSERT_TRUE(m_files.WriteFile(Path("a.txt"), "a"));
    ASSERT_TRUE(m_files.WriteFile(Path("b.txt"), "b"));
    ASSERT_FALSE(m_files.MoveFile(Path("a.txt"), Path("b.txt")));
    const std::string exists = m_files.LastErrorText();
    EXPECT_FALSE(noPath.empty());
    EXPECT_FALSE(exists.empty());
    EXPECT_NE(noPath, exists);
    EXPECT_NE(exists.back(), '\n') << "fit for the middle of a message";
    // Later successful calls keep the reason of the failure.
    ASSERT_TRUE(m_files.CreateDirectory(Path("sub")));
    EXPECT_EQ(m_files.LastErrorText(), exists);
}

TEST_F(FileSystemTest, ContentsRoundTripAsExactBytes)
{
    const std::string name = Path("sk\xc3\xafn \xe7\xaa\x93.zim");
    const char raw[] = "[Skin]\r\nA=1\n\0\xff\xfe end";
    const std::string bytes(raw, sizeof(raw) - 1); // with the NUL inside, without the terminator
    ASSERT_TRUE(m_files.WriteFile(name, bytes));
    EXPECT_EQ(m_files.ReadFile(name), bytes);

    ASSERT_TRUE(m_files.WriteFile(name, "short")); // replaces, does not keep the tail
    EXPECT_EQ(m_files.ReadFile(name), "short");
    ASSERT_TRUE(m_files.WriteFile(name, ""));
    EXPECT_EQ(m_files.ReadFile(name), "");

    EXPECT_EQ(m_files.ReadFile(Path("missing.zim")), std::nullopt);
    EXPECT_EQ(m_files.ReadFile(m_folder), std::nullopt);
    EXPECT_FALSE(m_files.WriteFile(Path("no\\such\\folder.zim"), "x"));
}

TEST_F(FileSystemTest, ListingMatchesThePatternAndSkipsDotEntries)
{
    ASSERT_TRUE(m_files.WriteFile(Path("one.zim"), "1"));
    ASSERT_TRUE(m_files.WriteFile(Path("TWO.ZIM"), "2"));
    ASSERT_TRUE(m_files.WriteFile(Path("three.bmp"), "3"));
    ASSERT_TRUE(m_files.CreateDirectory(Path("folder.zim")));

    std::vector<DirectoryEntry> entries = m_files.ListDirectory(m_folder, "*.zim");
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "TWO.ZIM");
    EXPECT_FALSE(entries[0].isDirectory);
    EXPECT_EQ(entries[1].name, "folder.zim");
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_EQ(entries[2].name, "one.zim");

    const std::vector<DirectoryEntry> all = m_files.ListDirectory(m_folder + "\\", "*");
    EXPECT_EQ(all.size(), 4u);
    for (const DirectoryEntry& entry : all)
    {
        EXPECT_NE(entry.name, ".");
        EXPECT_NE(entry.name, "..");
    }
    EXPECT_TRUE(m_files.ListDirectory(Path("missing"), "*").empty());
}

TEST_F(FileSystemTest, MoveOntoAnExistingFileFailsAndKeepsBoth)
{
    ASSERT_TRUE(m_files.WriteFile(Path("from.zim"), "from"));
    ASSERT_TRUE(m_files.WriteFile(Path("to.zim"), "to"));
    EXPECT_FALSE(m_files.MoveFile(Path("from.zim"), Path("to.zim")));
    EXPECT_EQ(m_files.ReadFile(Path("from.zim")), "from");
    EXPECT_EQ(m_files.ReadFile(Path("to.zim")), "to");

    EXPECT_TRUE(m_files.MoveFile(Path("from.zim"), Path("new.zim")));
    EXPECT_FALSE(m_files.FileExists(Path("from.zim")));
    EXPECT_EQ(m_files.ReadFile(Path("new.zim")), "from");
    EXPECT_FALSE(m_files.MoveFile(Path("from.zim"), Path("again.zim")));
}

TEST_F(FileSystemTest, CopyHonoursFailIfExists)
{
    ASSERT_TRUE(m_files.WriteFile(Path("source.zim"), "source"));
    ASSERT_TRUE(m_files.WriteFile(Path("target.zim"), "target"));
    EXPECT_FALSE(m_files.CopyFile(Path("source.zim"), Path("target.zim"), true));
    EXPECT_EQ(m_files.ReadFile(Path("target.zim")), "target");
    EXPECT_TRUE(m_files.CopyFile(Path("source.zim"), Path("target.zim"), false));
    EXPECT_EQ(m_files.ReadFile(Path("target.zim")), "source");
    EXPECT_TRUE(m_files.CopyFile(Path("source.zim"), Path("fresh.zim"), true));
    EXPECT_EQ(m_files.ReadFile(Path("source.zim")), "source");
    EXPECT_EQ(m_files.ReadFile(Path("fresh.zim")), "source");
    EXPECT_FALSE(m_files.CopyFile(Path("missing.zim"), Path("other.zim"), false));
    EXPECT_FALSE(m_files.FileExists(Path("other.zim")));
}

} // namespace
} // namespace zim::win32
