#include "icondesk/icon_desktops.h"

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zim
{
namespace
{

constexpr const char* kDesktop = "C:\\Users\\me\\Desktop";
constexpr const char* kStorage = "C:\\Users\\me\\Desktop\\Icon Desktops";

class IconDesktopsTest : public ::testing::Test
{
protected:
    IconDesktopsTest()
    {
        m_files.CreateDirectory("C:\\Users");
        m_files.CreateDirectory("C:\\Users\\me");
        m_files.CreateDirectory(kDesktop);
        m_registry.WriteString(kShellFoldersKey, "Desktop", kDesktop);
    }

    // Names in a folder, sorted, folders marked with a trailing backslash.
    std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const DirectoryEntry& e : m_files.ListDirectory(folder, "*"))
        {
            names.push_back(e.name + (e.isDirectory ? "\\" : ""));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Set(int n) { return std::string(kStorage) + "\\Icon Desktop " + std::to_string(n); }
    void PutDesktop(std::initializer_list<const char*> files)
    {
        for (const char* name : files)
        {
            ASSERT_TRUE(m_files.WriteFile(std::string(kDesktop) + "\\" + name, name));
        }
    }
    std::optional<std::string> Switch(int current, int target)
    {
        return SwitchIconDesktop(m_registry, m_files, current, target);
    }

    sim::SimFileSystem m_files{"C:\\ZimDesk"};
    sim::SimRegistry m_registry;
};

TEST_F(IconDesktopsTest, SwitchesParkTheDesktopInTheCurrentSetAndBringTheChosenOneBack)
{
    PutDesktop({"a.lnk", "b.txt"});
    m_files.CreateDirectory(std::string(kDesktop) + "\\Projects");
    ASSERT_TRUE(m_files.WriteFile(std::string(kDesktop) + "\\Projects\\plan.doc", "plan"));

    // The first switch ever makes the storage root and set 1; set 3 never existed.
    EXPECT_EQ(Switch(1, 3), std::nullopt);
    EXPECT_EQ(Names(kDesktop), std::vector<std::string>{"Icon Desktops\\"});
    EXPECT_EQ(Names(Set(1)), (std::vector<std::string>{"Projects\\", "a.lnk", "b.txt"}));
    EXPECT_EQ(m_files.ReadFile(Set(1) + "\\Projects\\plan.doc"), "plan") << "a folder moves whole";
    EXPECT_FALSE(m_files.DirectoryExists(Set(3)));

    // The next switch makes set 3's folder and parks what was put on the desktop since.
    PutDesktop({"c.txt"});
    EXPECT_EQ(Switch(3, 1), std::nullopt);
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "Projects\\", "a.lnk", "b.txt"}));
    EXPECT_EQ(Names(Set(3)), std::vector<std::string>{"c.txt"});
    EXPECT_TRUE(Names(Set(1)).empty());

    // The current set chosen again: into its folder and straight back.
    EXPECT_EQ(Switch(1, 1), std::nullopt);
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "Projects\\", "a.lnk", "b.txt"}));
    EXPECT_TRUE(Names(Set(1)).empty());
}

TEST_F(IconDesktopsTest, AnEntryWhoseNameIsTakenStaysInItsSource)
{
    PutDesktop({"clash.txt", "free.txt"});
    m_files.CreateDirectory(kStorage);
    m_files.CreateDirectory(Set(2));
    ASSERT_TRUE(m_files.WriteFile(Set(2) + "\\clash.txt", "parked"));

    EXPECT_EQ(MoveIconFolderContents(m_registry, m_files, 2, kDesktopFolderName, "Icon Desktop 2"), std::nullopt);
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "clash.txt"}));
    EXPECT_EQ(m_files.ReadFile(std::string(kDesktop) + "\\clash.txt"), "clash.txt") << "nothing overwritten";
    EXPECT_EQ(m_files.ReadFile(Set(2) + "\\clash.txt"), "parked");
    EXPECT_EQ(m_files.ReadFile(Set(2) + "\\free.txt"), "free.txt");
}

TEST_F(IconDesktopsTest, AStoredNumberOutsideTheSetsParksInItsOwnFolder)
{
    for (const int stored : {0, 7})
    {
        PutDesktop({"x.txt"});
        EXPECT_EQ(Switch(stored, 2), std::nullopt);
        EXPECT_EQ(Names(Set(stored)), std::vector<std::string>{"x.txt"}) << stored;
        EXPECT_EQ(Names(kDesktop), std::vector<std::string>{"Icon Desktops\\"}) << stored;
        EXPECT_EQ(Switch(2, stored), std::nullopt);
        EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "x.txt"})) << "back from " << stored;
        ASSERT_EQ(Switch(stored, 2), std::nullopt);
        ASSERT_EQ(Switch(2, 1), std::nullopt); // the set stays parked for the next round
    }
}

TEST_F(IconDesktopsTest, WithoutAUsableDesktopFolderNothingIsCreatedOrMoved)
{
    // The drive's root holds what an empty value would otherwise have emptied.
    ASSERT_TRUE(m_files.WriteFile("C:\\boot.ini", "boot"));
    PutDesktop({"a.txt"});
    const auto untouched = [&](const char* what)
    {
        EXPECT_EQ(Switch(1, 2), std::nullopt) << what;
        EXPECT_EQ(Names(kDesktop), std::vector<std::string>{"a.txt"}) << what;
        EXPECT_TRUE(m_files.FileExists("C:\\boot.ini")) << what;
        EXPECT_FALSE(m_files.DirectoryExists("C:\\Icon Desktops")) << what;
        EXPECT_FALSE(m_files.DirectoryExists("\\Icon Desktops")) << what;
    };
    m_registry.WriteString(kShellFoldersKey, "Desktop", "");
    untouched("empty value");
    m_registry.WriteString(kShellFoldersKey, "Desktop", "C:\\Users\\me\\Gone");
    untouched("no such folder");
    m_registry.SetRaw(kShellFoldersKey, "Desktop", RegistryType::Dword, "1");
    untouched("a number");
    m_registry.DeleteValue(kShellFoldersKey, "Desktop");
    untouched("missing value");
    m_registry.DeleteKey(kShellFoldersKey);
    untouched("missing key");
}

TEST_F(IconDesktopsTest, TheDesktopFolderIsReadAfreshAtEveryMove)
{
    PutDesktop({"a.txt"});
    ASSERT_EQ(Switch(1, 2), std::nullopt);
    m_files.CreateDirectory("C:\\Users\\me\\Other");
    ASSERT_TRUE(m_files.WriteFile("C:\\Users\\me\\Other\\o.txt", "o"));
    m_registry.WriteString(kShellFoldersKey, "Desktop", "C:\\Users\\me\\Other");
    ASSERT_EQ(Switch(2, 1), std::nullopt);
    EXPECT_EQ(Names("C:\\Users\\me\\Other"), std::vector<std::string>{"Icon Desktops\\"});
    EXPECT_EQ(Names("C:\\Users\\me\\Other\\Icon Desktops\\Icon Desktop 2"), std::vector<std::string>{"o.txt"});
    EXPECT_EQ(Names(Set(1)), std::vector<std::string>{"a.txt"}) << "the old desktop's sets stay with it";
}

TEST_F(IconDesktopsTest, AFolderThatCannotBeCreatedStopsTheSwitchWithItsReason)
{
    PutDesktop({"a.txt"});
    m_files.RefuseWritesIn(kDesktop);
    std::optional<std::string> failure = Switch(1, 2);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find(kStorage), std::string::npos) << *failure;
    EXPECT_NE(failure->find("Access is denied."), std::string::npos) << *failure;
    EXPECT_EQ(Names(kDesktop), std::vector<std::string>{"a.txt"});

    // The storage root there, the current set's folder refused.
    sim::SimFileSystem files{"C:\\ZimDesk"};
    files.CreateDirectory("C:\\D");
    files.CreateDirectory("C:\\D\\Icon Desktops");
    files.WriteFile("C:\\D\\a.txt", "a");
    files.RefuseWritesIn("C:\\D\\Icon Desktops");
    m_registry.WriteString(kShellFoldersKey, "Desktop", "C:\\D");
    failure = SwitchIconDesktop(m_registry, files, 1, 2);
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("Icon Desktop 1"), std::string::npos) << *failure;
    EXPECT_TRUE(files.FileExists("C:\\D\\a.txt"));
}

class IconDesktopSwitcherTest : public IconDesktopsTest
{
protected:
    OptionsModel m_options;
    std::vector<std::string> m_errors;
    void Choose(int n)
    {
        m_options.Update([n](Options& o) { o.iconDesktop = n; });
    }
};

TEST_F(IconDesktopSwitcherTest, TheNumberInTheOptionsDrivesTheSwitchAndComesBackWhenItFails)
{
    PutDesktop({"a.txt"});
    IconDesktopSwitcher switcher(m_registry, m_files, m_options, [&](const std::string& m) { m_errors.push_back(m); });
    std::vector<int> heard;
    m_options.Subscribe({Option::IconDesktop},
                        [&](const Options& o, const OptionSet&) { heard.push_back(o.iconDesktop); });

    Choose(4);
    EXPECT_EQ(switcher.Current(), 4);
    EXPECT_EQ(Names(Set(1)), std::vector<std::string>{"a.txt"});
    Choose(1);
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "a.txt"}));

    // A number no control offers selects no set.
    heard.clear();
    Choose(7);
    EXPECT_EQ(m_options.Get().iconDesktop, 1);
    EXPECT_EQ(switcher.Current(), 1);
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "a.txt"}));
    EXPECT_TRUE(m_errors.empty());
    EXPECT_EQ(heard.back(), 1) << "the controls hear the number put back";

    // A failed switch: the message, the number and the desktop as they were.
    m_files.RefuseWritesIn(kStorage);
    ASSERT_TRUE(m_files.MoveFile(Set(1), std::string(kDesktop) + "\\was set 1")); // set 1's folder is gone
    Choose(2);
    EXPECT_EQ(m_options.Get().iconDesktop, 1);
    EXPECT_EQ(switcher.Current(), 1);
    ASSERT_EQ(m_errors.size(), 1u);
    EXPECT_NE(m_errors[0].find("Access is denied."), std::string::npos) << m_errors[0];
    EXPECT_EQ(Names(kDesktop), (std::vector<std::string>{"Icon Desktops\\", "a.txt", "was set 1\\"}));
}

TEST_F(IconDesktopSwitcherTest, AStoredNumberOutsideTheSetsIsTheCurrentOneUntilTheFirstSwitch)
{
    Choose(0); // as loaded
    PutDesktop({"a.txt"});
    IconDesktopSwitcher switcher(m_registry, m_files, m_options, [&](const std::string& m) { m_errors.push_back(m); });
    EXPECT_EQ(Names(kDesktop), std::vector<std::string>{"a.txt"}) << "nothing moves at start";
    Choose(3);
    EXPECT_EQ(switcher.Current(), 3);
    EXPECT_EQ(Names(Set(0)), std::vector<std::string>{"a.txt"});
}

} // namespace
} // namespace zim
