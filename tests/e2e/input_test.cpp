// Edge scrolling and the follow of the active window, with the real pointer.

#include "harness.h"

#include <gtest/gtest.h>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

class Input : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        SetCursorPos(screenW / 2, screenH / 2);
        ASSERT_TRUE(StartZimDesk(m_app));
        monitor = WaitForMonitor(m_app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
    }

    void TearDown() override
    {
        SetCursorPos(screenW / 2, screenH / 2);
        CloseProgram(m_app, monitor);
    }

    HWND OpenHelper(ChildProcess& process, const std::wstring& title, const std::wstring& rect)
    {
        return OpenTestWindow(process, L"--title \"" + title + L"\" --rect " + rect);
    }

    int screenW = 0;
    int screenH = 0;
    HWND monitor = nullptr;
    ChildProcess m_app;
};

TEST_F(Input, ThePointerRestingAtTheRightEdgeSwitchesRightAndWrapsToTheLeftEdge)
{
    ChildProcess helper;
    const HWND window = OpenHelper(helper, L"Edge test", L"200,150,300,200");
    ASSERT_TRUE(window);
    const RECT before = WindowRect(window);

    SetCursorPos(screenW - 1, screenH / 2);
    const bool switched = WaitUntil([&] { return WindowRect(window).left == before.left - screenW; }, 10s);
    SaveScreenshot(L"input-edge-switched");
    ASSERT_TRUE(switched) << "resting at the right edge did not switch right";

    POINT p{};
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            GetCursorPos(&p);
            return p.x == 10;
        },
        2s))
        << "the pointer is at " << p.x << " instead of near the left edge";
    EXPECT_EQ(p.y, screenH / 2);
}

TEST_F(Input, ActivatingAWindowOnAnotherDesktopBringsTheViewToIt)
{
    ChildProcess here;
    ChildProcess there;
    const HWND local = OpenHelper(here, L"Here", L"100,100,300,200");
    // Desktop (1, 1): one screen right and one down.
    const HWND remote = OpenHelper(
        there, L"There", std::to_wstring(screenW + 150) + L"," + std::to_wstring(screenH + 120) + L",300,200");
    ASSERT_TRUE(local && remote);
    SetForegroundWindow(local);
    Sleep(300);

    SetForegroundWindow(remote); // as its task-bar button or Alt+Tab would
    const bool followed = WaitUntil(
        [&]
        {
            const RECT r = WindowRect(remote);
            return r.left == 150 && r.top == 120;
        },
        10s);
    SaveScreenshot(L"input-followed");
    ASSERT_TRUE(followed) << "the view did not follow the active window";
    EXPECT_EQ(GetForegroundWindow(), remote);
    const RECT l = WindowRect(local);
    EXPECT_EQ(l.left, 100 - screenW);
    EXPECT_EQ(l.top, 100 - screenH);
}

} // namespace
} // namespace zim::e2e
