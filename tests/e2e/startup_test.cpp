// The real program in Wine's virtual desktop: start-up, its windows, and the end.

#include "harness.h"

#include <gtest/gtest.h>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartZimDesk(m_app));
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                const auto monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor");
                return monitor && monitor->visible && FindWindowOf(m_app.Id(), L"TZIM");
            },
            15s))
            << "the program's windows did not appear";
    }

    ChildProcess m_app;
};

TEST_F(Startup, OwnsTheMonitorAndTheHiddenMainWindowWithoutTaskbarButtons)
{
    const auto monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor");
    const auto main = FindWindowOf(m_app.Id(), L"TZIM");
    ASSERT_TRUE(monitor && main);
    EXPECT_EQ(monitor->title, L"Zim Desk monitor");
    EXPECT_TRUE(monitor->exStyle & WS_EX_TOPMOST) << "always on top by default";
    EXPECT_FALSE(main->visible) << "the main window is never shown";

    for (const WindowInfo& window : TopLevelWindowsOf(m_app.Id()))
    {
        const bool ours = window.className == L"TZIM" || window.className == L"TZIMMonitor";
        if (ours || window.visible)
        {
            EXPECT_FALSE(WouldHaveTaskbarButton(window))
                << "window of class " << std::string(window.className.begin(), window.className.end())
                << " would get a task-bar button";
        }
    }
    EXPECT_FALSE(SaveScreenshot(L"startup").empty());
}

TEST_F(Startup, MainWindowAnswersTheHookLibrarysQueries)
{
    const auto main = FindWindowOf(m_app.Id(), L"TZIM");
    ASSERT_TRUE(main);
    const auto ask = [&](UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        DWORD_PTR result = 12345;
        const LRESULT ok = SendMessageTimeoutW(main->hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
        EXPECT_NE(ok, 0) << "message " << message << " timed out";
        return result;
    };
    EXPECT_EQ(ask(WM_USER + 7), 3u); // columns of the default grid
    EXPECT_EQ(ask(WM_USER + 8), 3u); // rows
    EXPECT_EQ(ask(WM_USER + 5), 0u);
    EXPECT_EQ(ask(RegisterWindowMessageW(L"ZIM_APPSTARTING")), 10u);
    EXPECT_EQ(ask(RegisterWindowMessageW(L"ZIM_APPSTARTED"), 0, 0), 10u);
}

TEST_F(Startup, ClosingTheMonitorEndsTheProgramCleanly)
{
    const auto monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor");
    ASSERT_TRUE(monitor);
    PostMessageW(monitor->hwnd, WM_CLOSE, 0, 0);
    const auto code = m_app.Wait(15s);
    ASSERT_TRUE(code.has_value()) << "the program did not end after its monitor was closed";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(TopLevelWindowsOf(m_app.Id()).empty());
}

// The working folder (the program's own here) without a "skins" folder: the
// first start makes it and fills it with the shipped skins from data\.
TEST(StartupSkins, AFirstStartInstallsTheShippedSkinsAndAMissingDefaultSkinIsRestored)
{
    const std::wstring skins = BinDir() + L"\\skins";
    const auto count = [&]
    {
        int n = 0;
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW((skins + L"\\*.*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
        {
            return 0;
        }
        do
        {
            n += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return n;
    };
    const auto clear = [&]
    {
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW((skins + L"\\*.*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE)
        {
            do
            {
                DeleteFileW((skins + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(skins.c_str());
    };

    clear();
    ASSERT_EQ(GetFileAttributesW(skins.c_str()), INVALID_FILE_ATTRIBUTES);
    {
        ChildProcess app;
        ASSERT_TRUE(StartZimDesk(app));
        const HWND monitor = WaitForMonitor(app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
        EXPECT_EQ(count(), 14) << "seven skins, a file and a bitmap each";
        CloseProgram(app, monitor);
    }

    // An existing folder is not refilled, but the default skin comes back.
    ASSERT_TRUE(DeleteFileW((skins + L"\\silver.zim").c_str()));
    ASSERT_TRUE(DeleteFileW((skins + L"\\Brown.zim").c_str()));
    {
        ChildProcess app;
        ASSERT_TRUE(StartZimDesk(app));
        const HWND monitor = WaitForMonitor(app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
        EXPECT_NE(GetFileAttributesW((skins + L"\\silver.zim").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesW((skins + L"\\Brown.zim").c_str()), INVALID_FILE_ATTRIBUTES);
        CloseProgram(app, monitor);
    }
    clear();
}

} // namespace
} // namespace zim::e2e
