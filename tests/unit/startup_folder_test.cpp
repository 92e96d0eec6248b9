#include "settings/startup_folder.h"

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zim
{
namespace
{

constexpr const char* kPrograms = "C:\\Users\\me\\Start Menu\\Programs";
constexpr const char* kStartup = "C:\\Users\\me\\Start Menu\\Programs\\ZIM Startup\\";

class StartupFolderTest : public ::testing::Test
{
protected:
    StartupFolderTest()
    {
        for (const char* folder : {"C:\\Users", "C:\\Users\\me", "C:\\Users\\me\\Start Menu", kPrograms})
        {
            m_files.CreateDirectory(folder);
        }
        m_registry.WriteString(kShellFoldersKey, "Programs", kPrograms);
    }
    void Run() { RunStartupFolder(m_registry, m_files, m_shell); }
    std::vector<std::string> OpenedPaths() const
    {
        std::vector<std::string> paths;
        for (const sim::ShellOpenCall& call : m_shell.ShellOpened())
        {
            paths.push_back(call.path);
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    sim::SimFileSystem m_files{"C:\\ZimDesk"};
    sim::SimRegistry m_registry;
    sim::SimDesktop m_shell;
};

TEST_F(StartupFolderTest, EveryEntryIsOpenedOnceFromTheFolderSubFoldersToo)
{
    m_files.CreateDirectory(kStartup);
    for (const char* name : {"mail.lnk", "clock.exe", "notes.txt"})
    {
        ASSERT_TRUE(m_files.WriteFile(std::string(kStartup) + name, "x"));
    }
    m_files.CreateDirectory(std::string(kStartup) + "Tools");
    ASSERT_TRUE(m_files.WriteFile(std::string(kStartup) + "Tools\\inner.exe", "x"));
    m_shell.RefuseShellOpen(std::string(kStartup) + "clock.exe");

    Run();
    const std::string s = kStartup;
    EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{s + "Tools", s + "clock.exe", s + "mail.lnk", s + "notes.txt"}))
        << "a refused entry does not stop the others; nothing inside the sub-folder is opened";
    for (const sim::ShellOpenCall& call : m_shell.ShellOpened())
    {
        EXPECT_EQ(call.workingFolder, kStartup) << call.path;
        EXPECT_EQ(call.show, kStartupShow) << call.path;
    }
}

TEST_F(StartupFolderTest, AnEmptyOrMissingFolderOpensNothing)
{
    Run();
    EXPECT_TRUE(m_shell.ShellOpened().empty()) << "no folder";
    m_files.CreateDirectory(kStartup);
    Run();
    EXPECT_TRUE(m_shell.ShellOpened().empty()) << "empty folder";

    // Without the value nothing is looked for at the drive's root.
    m_files.CreateDirectory("C:\\ZIM Startup");
    ASSERT_TRUE(m_files.WriteFile("C:\\ZIM Startup\\root.exe", "x"));
    m_registry.WriteString(kShellFoldersKey, "Programs", "");
    Run();
    m_registry.DeleteValue(kShellFoldersKey, "Programs");
    Run();
    EXPECT_TRUE(m_shell.ShellOpened().empty());
}

TEST_F(StartupFolderTest, EnvironmentVariablesInTheProgramsFolderAreExpandedFirst)
{
    m_shell.SetEnvironmentVariable("USERPROFILE", "C:\\Users\\me");
    m_registry.SetRaw(kShellFoldersKey, "Programs", RegistryType::ExpandString, "%USERPROFILE%\\Start Menu\\Programs");
    m_files.CreateDirectory(kStartup);
    ASSERT_TRUE(m_files.WriteFile(std::string(kStartup) + "clock.exe", "x"));
    Run();
    EXPECT_EQ(OpenedPaths(), std::vector<std::string>{std::string(kStartup) + "clock.exe"});
}

TEST_F(StartupFolderTest, PathsLongerThanTheShellTakesAreLeftAlone)
{
    m_files.CreateDirectory(kStartup);
    const std::string fits(kMaxShellPath - std::string(kStartup).size(), 'f');
    ASSERT_TRUE(m_files.WriteFile(kStartup + fits, "x"));
    ASSERT_TRUE(m_files.WriteFile(kStartup + fits + "g", "x"));
    Run();
    EXPECT_EQ(OpenedPaths(), std::vector<std::string>{kStartup + fits});

    // The limit counts UTF-16 units: "\u00e9" is two bytes and one unit.
    const auto plant = [&](std::size_t units)
    {
        std::string deep = "C:";
        std::size_t count = 2;
        while (count + 5 + 12 <= units)
        {
            deep += "\\\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";
            count += 5;
            m_files.CreateDirectory(deep);
        }
        m_files.CreateDirectory(deep + "\\ZIM Startup");
        m_files.WriteFile(deep + "\\ZIM Startup\\a.exe", "x");
        m_registry.WriteString(kShellFoldersKey, "Programs", deep);
        return deep;
    };
    const std::string shortEnough = plant(kMaxShellPath - 10);
    ASSERT_GT(shortEnough.size(), kMaxShellPath);
    Run();
    ASSERT_EQ(m_shell.ShellOpened().size(), 2u);
    EXPECT_EQ(m_shell.ShellOpened().back().path, shortEnough + "\\ZIM Startup\\a.exe");
    const std::string tooLong = plant(kMaxShellPath + 20);
    ASSERT_TRUE(m_files.FileExists(tooLong + "\\ZIM Startup\\a.exe"));
    Run();
    EXPECT_EQ(m_shell.ShellOpened().size(), 2u) << "a folder longer than the shell takes opens nothing";
}

} // namespace
} // namespace zim
