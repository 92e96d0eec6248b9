#include "skins/skin_install.h"

#include "platform/sim/sim_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zim::skins
{
namespace
{

constexpr const char* kProgram = "C:\\ZimDesk";
constexpr const char* kElsewhere = "C:\\Users\\me\\Desktop";

class SkinInstallTest : public ::testing::Test
{
protected:
    SkinInstallTest()
    {
        m_files.CreateDirectory("C:\\Users");
        m_files.CreateDirectory("C:\\Users\\me");
        m_files.CreateDirectory(kElsewhere);
    }

    void PutShippedFiles(const std::string& folder)
    {
        m_files.CreateDirectory(folder);
        for (std::string_view name : kShippedSkinFiles)
        {
            ASSERT_TRUE(m_files.WriteFile(folder + "\\" + std::string(name), "shipped " + std::string(name)));
        }
        for (std::string_view name : kFontFiles)
        {
            ASSERT_TRUE(m_files.WriteFile(folder + "\\" + std::string(name), "font"));
        }
    }
    void PutSilver(const std::string& folder)
    {
        ASSERT_TRUE(m_files.WriteFile(folder + "\\silver.zim", "zim"));
        ASSERT_TRUE(m_files.WriteFile(folder + "\\silver.bmp", "bmp"));
    }
    std::vector<std::string> SkinFolderNames(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const DirectoryEntry& e : m_files.ListDirectory(folder, "*"))
        {
            names.push_back(e.name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::string> AllFourteen()
    {
        std::vector<std::string> names(kShippedSkinFiles.begin(), kShippedSkinFiles.end());
        return names;
    }

    sim::SimFileSystem m_files{kProgram};
};

TEST_F(SkinInstallTest, AFreshFolderWithAllFourteenFilesGetsASkinsFolderWithAllOfThem)
{
    PutShippedFiles(kProgram);
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.baseFolder, kProgram);
    EXPECT_EQ(result.skinFolder, "C:\\ZimDesk\\skins");
    EXPECT_TRUE(result.createdSkinFolder);
    EXPECT_EQ(result.copied, AllFourteen()); // in the design's order
    std::vector<std::string> expected = AllFourteen();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SkinFolderNames("C:\\ZimDesk\\skins"), expected);
    EXPECT_EQ(m_files.ReadFile("C:\\ZimDesk\\skins\\Brown.zim"), "shipped Brown.zim");
    EXPECT_EQ(result.fontFiles, (std::vector<std::string>{"C:\\ZimDesk\\Shapes1.ttf", "C:\\ZimDesk\\Stars1.ttf"}));
}

TEST_F(SkinInstallTest, TheShippedFilesAreAlsoFoundInTheDataFolderOfTheReleaseZip)
{
    PutShippedFiles("C:\\ZimDesk\\data");
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_EQ(result.sourceFolder, "C:\\ZimDesk\\data");
    EXPECT_EQ(result.skinFolder, "C:\\ZimDesk\\skins");
    EXPECT_EQ(result.copied, AllFourteen());
    EXPECT_EQ(result.fontFiles,
              (std::vector<std::string>{"C:\\ZimDesk\\data\\Shapes1.ttf", "C:\\ZimDesk\\data\\Stars1.ttf"}));
}

TEST_F(SkinInstallTest, MissingShippedFilesAreSkippedWithoutAMessage)
{
    PutSilver(kProgram);
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\Blue.bmp", "b"));
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_EQ(result.copied, (std::vector<std::string>{"silver.zim", "silver.bmp", "Blue.bmp"}));
}

TEST_F(SkinInstallTest, AnEmptySkinsFolderGetsOnlyTheTwoSilverFiles)
{
    PutShippedFiles(kProgram);
    ASSERT_TRUE(m_files.CreateDirectory("C:\\ZimDesk\\skins"));
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_FALSE(result.createdSkinFolder);
    EXPECT_EQ(result.copied, (std::vector<std::string>{"silver.zim", "silver.bmp"}));
    EXPECT_EQ(SkinFolderNames("C:\\ZimDesk\\skins"), (std::vector<std::string>{"silver.bmp", "silver.zim"}));
}

TEST_F(SkinInstallTest, AnExistingSkinsFolderWithTheDefaultSkinIsLeftAlone)
{
    PutShippedFiles(kProgram);
    ASSERT_TRUE(m_files.CreateDirectory("C:\\ZimDesk\\skins"));
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\silver.zim", "edited by the user"));
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\silver.bmp", "bmp"));
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_TRUE(result.copied.empty());
    EXPECT_EQ(m_files.ReadFile("C:\\ZimDesk\\skins\\silver.zim"), "edited by the user");
}

TEST_F(SkinInstallTest, HalfADefaultSkinIsRestoredWhole)
{
    PutShippedFiles(kProgram);
    ASSERT_TRUE(m_files.CreateDirectory("C:\\ZimDesk\\skins"));
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\skins\\silver.zim", "old"));
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_EQ(result.copied, (std::vector<std::string>{"silver.zim", "silver.bmp"}));
    EXPECT_EQ(m_files.ReadFile("C:\\ZimDesk\\skins\\silver.zim"), "shipped silver.zim"); // overwritten
}

TEST_F(SkinInstallTest, NothingAnywhereGivesTheMessageAndExit)
{
    ASSERT_TRUE(m_files.CreateDirectory("C:\\ZimDesk\\skins"));
    ASSERT_TRUE(m_files.WriteFile("C:\\ZimDesk\\silver.zim", "only half of it"));
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::ExitWithMessage);
    EXPECT_EQ(result.message,
              "Can't find skin silver.zim! Check your installation of Zim Desk and make sure the shortcut Zim Desk "
              "was started from points to the correct directory. The files silver.zim and silver.bmp must be in "
              "your skins or Zim Desk directory!");
    EXPECT_TRUE(result.copied.empty());
}

TEST_F(SkinInstallTest, NoSkinsFolderAndNothingToCopyAlsoGivesTheMessage)
{
    const SkinInstallResult result = InstallDefaultSkins(m_files, kProgram, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::ExitWithMessage);
    EXPECT_TRUE(result.createdSkinFolder); // the design makes the folder before it looks
}

TEST_F(SkinInstallTest, AShortcutStartingElsewhereUsesTheProgramsOwnFolder)
{
    PutShippedFiles(kProgram);
    const SkinInstallResult result = InstallDefaultSkins(m_files, kElsewhere, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_EQ(result.baseFolder, kProgram);
    EXPECT_EQ(result.skinFolder, "C:\\ZimDesk\\skins");
    EXPECT_EQ(result.fontFiles.front(), "C:\\ZimDesk\\Shapes1.ttf");
    EXPECT_FALSE(m_files.DirectoryExists("C:\\Users\\me\\Desktop\\skins")); // nothing left in a stranger's folder
}

TEST_F(SkinInstallTest, AWorkingFolderThatHasTheSkinsIsPreferred)
{
    PutShippedFiles(kProgram);
    ASSERT_TRUE(m_files.CreateDirectory("C:\\Users\\me\\Desktop\\skins"));
    PutSilver("C:\\Users\\me\\Desktop\\skins");
    EXPECT_EQ(ChooseBaseFolder(m_files, kElsewhere, kProgram), kElsewhere);
    const SkinInstallResult result = InstallDefaultSkins(m_files, kElsewhere, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::Start);
    EXPECT_EQ(result.skinFolder, "C:\\Users\\me\\Desktop\\skins");
    EXPECT_TRUE(result.copied.empty());

    // Shipped files in the working folder count as well.
    m_files.CreateDirectory("C:\\Portable");
    PutSilver("C:\\Portable");
    EXPECT_EQ(ChooseBaseFolder(m_files, "C:\\Portable", kProgram), "C:\\Portable");
}

TEST_F(SkinInstallTest, NothingInEitherFolderGivesTheMessageForTheProgramsFolder)
{
    const SkinInstallResult result = InstallDefaultSkins(m_files, kElsewhere, kProgram);
    EXPECT_EQ(result.outcome, SkinInstallResult::Outcome::ExitWithMessage);
    EXPECT_EQ(result.baseFolder, kProgram);
    EXPECT_EQ(result.message, kMissingDefaultSkinMessage);
}

} // namespace
} // namespace zim::skins
