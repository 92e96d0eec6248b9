// Switching desktops with real windows: helper windows and a program that ships
// with Wine leave the screen by whole screen widths and return intact.

#include "harness.h"

#include <gtest/gtest.h>

#include <map>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

class Switching : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        ASSERT_TRUE(m_helpers.Start(BinDir() + L"\\testwin.exe",
                                    L"open --count 3 --title \"Switch test\" --rect 60,80,360,240", true));
        ASSERT_TRUE(WaitUntil([&] { return HelperWindows().size() == 3; }, 15s)) << "helper windows did not appear";

        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        if (m_notepad.Start(std::wstring(system) + L"\\notepad.exe", L""))
        {
            WaitUntil([&] { return FindVisible(m_notepad.Id(), L"Notepad").has_value(); }, 15s);
        }

        ASSERT_TRUE(StartZimDesk(m_app));
        monitor = WaitForMonitor(m_app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    static std::optional<WindowInfo> FindVisible(DWORD pid, const std::wstring& className)
    {
        for (const WindowInfo& w : TopLevelWindowsOf(pid))
        {
            if (w.className == className && w.visible)
            {
                return w;
            }
        }
        return std::nullopt;
    }

    std::vector<HWND> HelperWindows() const { return zim::e2e::HelperWindows(m_helpers); }

    // The windows a switch must move, with their rectangles now.
    std::map<HWND, RECT> Movable()
    {
        std::map<HWND, RECT> out;
        for (HWND h : HelperWindows())
        {
            out[h] = WindowRect(h);
        }
        if (const auto notepad = FindVisible(m_notepad.Id(), L"Notepad"))
        {
            out[notepad->hwnd] = notepad->rect;
        }
        return out;
    }

    // A left press in the middle of a monitor cell, as the user clicks it.
    void ClickCell(int column, int row) { ClickMonitorCell(monitor, column, row); }

    int screenW = 0;
    HWND monitor = nullptr;
    ChildProcess m_helpers;
    ChildProcess m_notepad;
    ChildProcess m_app;
};

TEST_F(Switching, ASwitchRightMovesWindowsOneScreenLeftAndBackExactly)
{
    const std::map<HWND, RECT> before = Movable();
    ASSERT_GE(before.size(), 3u);
    const RECT monitorBefore = WindowRect(monitor);
    const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    const RECT trayBefore = tray ? WindowRect(tray) : RECT{};
    SaveScreenshot(L"switch-desktop-0-0");

    ClickCell(1, 0);
    const bool moved = WaitUntil(
        [&]
        {
            for (const auto& [hwnd, rect] : before)
            {
                if (WindowRect(hwnd).left != rect.left - screenW)
                {
                    return false;
                }
            }
            return true;
        },
        10s);
    SaveScreenshot(L"switch-desktop-1-0");
    ASSERT_TRUE(moved) << "the windows did not move one screen to the left";
    for (const auto& [hwnd, rect] : before)
    {
        const RECT now = WindowRect(hwnd);
        EXPECT_EQ(now.top, rect.top);
        EXPECT_EQ(now.right - now.left, rect.right - rect.left);
        EXPECT_EQ(now.bottom - now.top, rect.bottom - rect.top);
    }
    EXPECT_TRUE(SameRect(WindowRect(monitor), monitorBefore)) << "the monitor must stay";
    if (tray)
    {
        EXPECT_TRUE(SameRect(WindowRect(tray), trayBefore)) << "the task bar must stay";
    }

    ClickCell(0, 0);
    const bool back = WaitUntil(
        [&]
        {
            for (const auto& [hwnd, rect] : before)
            {
                if (!SameRect(WindowRect(hwnd), rect))
                {
                    return false;
                }
            }
            return true;
        },
        10s);
    SaveScreenshot(L"switch-desktop-0-0-again");
    EXPECT_TRUE(back) << "the windows did not return to their exact rectangles";
}

TEST_F(Switching, ExitGathersWindowsLeftOnOtherDesktops)
{
    const std::map<HWND, RECT> before = Movable();
    ClickCell(2, 1);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(before.begin()->first).left < 0; }, 10s));

    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    for (const auto& [hwnd, rect] : before)
    {
        const RECT now = WindowRect(hwnd);
        EXPECT_TRUE(now.left <= screenW && now.right >= 0 && now.top <= screenH && now.bottom >= 0)
            << "a window was left off the visible screen at " << now.left << "," << now.top;
        // A window that lay wholly inside one desktop returns to its own place.
        EXPECT_TRUE(SameRect(now, rect)) << "now " << now.left << "," << now.top << " was " << rect.left << ","
                                         << rect.top;
    }
    SaveScreenshot(L"switch-after-exit");
}

TEST_F(Switching, AMaximisedWindowOfAnotherDesktopComesBackAtExitFrameAndAll)
{
    ChildProcess maximised;
    const HWND big = OpenTestWindow(maximised, L"--title \"Maximised witness\" --state maximized");
    ASSERT_TRUE(big);
    const RECT home = WindowRect(big);
    ASSERT_TRUE(IsZoomed(big));
    // Its frame overhangs the screen on every side by a few pixels.
    ASSERT_LE(home.left, 0);
    ClickCell(1, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(big).left == home.left - screenW; }, 10s));
    // The frame still reaches into the screen from the desktop to the left.
    EXPECT_GT(WindowRect(big).right, 0);

    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    EXPECT_TRUE(SameRect(WindowRect(big), home))
        << "left at " << WindowRect(big).left << "," << WindowRect(big).top << ", was " << home.left << "," << home.top;
    SaveScreenshot(L"switch-maximised-after-exit");
}

} // namespace
} // namespace zim::e2e
