// Icon desktops and the startup folder against the real shell folders: the
// user's folders are pointed at scratch folders of the Wine prefix before the
// program starts, so nothing outside them is ever moved or opened.

#include "app/resource.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const wchar_t* const kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const fs::path kScratch = L"C:\\zimtest";
const fs::path kDesktop = kScratch / L"Desktop";
const fs::path kPrograms = kScratch / L"Programs";

struct SavedValue
{
    std::wstring name;
    std::optional<std::wstring> text;
    DWORD type = REG_SZ;
};

SavedValue ReadShellFolder(const std::wstring& name)
{
    SavedValue saved{name, std::nullopt, REG_SZ};
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &saved.type, buffer, &size) == ERROR_SUCCESS)
    {
        saved.text = buffer;
    }
    return saved;
}

void WriteShellFolder(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, name.c_str(), type, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ReadCurrentDesktop()
{
    wchar_t buffer[64] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\zimdesk.ini\\ZIMMonitor", L"CurrentDesktop", RRF_RT_REG_SZ, nullptr,
                     buffer, &size) != ERROR_SUCCESS)
    {
        return L"<missing>";
    }
    return buffer;
}

void CloseWindowsOfClass(const std::wstring& className)
{
    for (const WindowInfo& w : TopLevelWindows())
    {
        if (w.className == className)
        {
            PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
        }
    }
}

class IconDesktopsAndStartupFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = {ReadShellFolder(L"Desktop"), ReadShellFolder(L"Programs")};
        std::error_code error;
        fs::remove_all(kScratch, error);
        fs::create_directories(kDesktop);
        fs::create_directories(kPrograms);
        WriteShellFolder(L"Desktop", kDesktop.wstring());
        WriteShellFolder(L"Programs", kPrograms.wstring());
    }
    void TearDown() override
    {
        if (m_app.Running())
        {
            if (const auto monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor"))
            {
                CloseProgram(m_app, monitor->hwnd);
            }
        }
        m_app.Terminate();
        CloseWindowsOfClass(L"ZimStartedWindow");
        WaitUntil([] { return !FindTopLevel(L"ZimStartedWindow"); }, 5s);
        for (const SavedValue& saved : m_saved)
        {
            if (saved.text)
            {
                WriteShellFolder(saved.name, *saved.text, saved.type);
            }
            else
            {
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, saved.name.c_str());
            }
        }
        std::error_code error;
        fs::remove_all(kScratch, error);
    }

    static std::optional<WindowInfo> FindTopLevel(const std::wstring& className)
    {
        for (const WindowInfo& w : TopLevelWindows())
        {
            if (w.className == className)
            {
                return w;
            }
        }
        return std::nullopt;
    }

    ChildProcess m_app;
    std::vector<SavedValue> m_saved;
};

TEST_F(IconDesktopsAndStartupFolder, IconDesktopTwoTakesTheDesktopsFilesAwayAndOneBringsThemBack)
{
    const fs::path note = kDesktop / L"note.txt";
    const fs::path parked = kDesktop / L"Icon Desktops" / L"Icon Desktop 1" / L"note.txt";
    {
        std::ofstream(note) << "note";
    }
    ASSERT_TRUE(fs::exists(note));
    ASSERT_TRUE(StartZimDesk(m_app));
    ASSERT_TRUE(WaitForMonitor(m_app));
    const auto main = FindWindowOf(m_app.Id(), L"TZIM");
    ASSERT_TRUE(main);

    PostMessageW(main->hwnd, WM_COMMAND, IDM_ICON_DESKTOP_2, 0);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(parked) && !fs::exists(note); }, 5s)) << "not parked in set 1";
    EXPECT_TRUE(fs::is_directory(kDesktop / L"Icon Desktops")) << "the storage root stays on the desktop";

    PostMessageW(main->hwnd, WM_COMMAND, IDM_ICON_DESKTOP_1, 0);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(note) && !fs::exists(parked); }, 5s)) << "not back on the desktop";

    PostMessageW(main->hwnd, WM_COMMAND, IDM_ICON_DESKTOP_2, 0);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(parked); }, 5s));
    CloseProgram(m_app, WaitForMonitor(m_app));
    EXPECT_EQ(ReadCurrentDesktop(), L"2");
}

TEST_F(IconDesktopsAndStartupFolder, AProgramInTheStartupFolderRunsAtStartWithItsWindowShown)
{
    // The helper without arguments shows its window with the command it was started with.
    const fs::path folder = kPrograms / L"ZIM Startup";
    fs::create_directories(folder);
    fs::copy_file(fs::path(BinDir()) / L"testwin.exe", folder / L"started.exe");
    ASSERT_TRUE(StartZimDesk(m_app));
    std::optional<WindowInfo> started;
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            started = FindTopLevel(L"ZimStartedWindow");
            return started && started->visible;
        },
        15s))
        << (started ? "its window stayed hidden" : "the program did not start");
}

} // namespace
} // namespace zim::e2e
