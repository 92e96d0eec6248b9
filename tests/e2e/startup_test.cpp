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

} // namespace
} // namespace zim::e2e
