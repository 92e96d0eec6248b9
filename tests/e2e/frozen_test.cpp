// Busy applications: a switch does not wait for a window that stops answering,
// the window follows when it wakes, and the exit still brings it home.

#include "harness.h"

#include <gtest/gtest.h>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

constexpr UINT kHangMessage = WM_APP + 1; // the helper's window sleeps for wParam ms

class FrozenWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        busy = OpenHelper(m_busyProcess, L"Busy window", L"120,120,300,200");
        calm = OpenHelper(m_calmProcess, L"Calm window", L"480,160,300,200");
        ASSERT_TRUE(busy && calm);
        ASSERT_TRUE(StartZimDesk(m_app));
        monitor = WaitForMonitor(m_app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    // Each helper window lives in a process of its own, so hanging one leaves the other awake.
    HWND OpenHelper(ChildProcess& process, const std::wstring& title, const std::wstring& rect)
    {
        return OpenTestWindow(process, L"--title \"" + title + L"\" --rect " + rect);
    }

    void ClickCell(int column, int row) { ClickMonitorCell(monitor, column, row); }

    int screenW = 0;
    HWND monitor = nullptr;
    HWND busy = nullptr;
    HWND calm = nullptr;
    ChildProcess m_busyProcess;
    ChildProcess m_calmProcess;
    ChildProcess m_app;
};

TEST_F(FrozenWindows, ASwitchLeavesAHungWindowAndItFollowsWhenItWakes)
{
    const RECT busyBefore = WindowRect(busy);
    const RECT calmBefore = WindowRect(calm);
    PostMessageW(busy, kHangMessage, 4000, 0);
    Sleep(200); // let the helper enter its sleep

    ClickCell(1, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(calm).left == calmBefore.left - screenW; }, 3s))
        << "the switch stalled behind the hung window";
    EXPECT_EQ(WindowRect(busy).left, busyBefore.left) << "a hung window must not be moved while it sleeps";
    SaveScreenshot(L"frozen-switched");

    EXPECT_TRUE(WaitUntil([&] { return WindowRect(busy).left == busyBefore.left - screenW; }, 15s))
        << "the window did not follow to its desktop after it woke";
    EXPECT_EQ(WindowRect(busy).top, busyBefore.top);
}

TEST_F(FrozenWindows, ExitWithAHungWindowOffScreenStillBringsItBack)
{
    const RECT busyBefore = WindowRect(busy);
    const RECT calmBefore = WindowRect(calm);
    ClickCell(1, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(busy).left == busyBefore.left - screenW; }, 5s));

    PostMessageW(busy, kHangMessage, 5000, 0);
    Sleep(200);
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value()) << "the program did not end";

    EXPECT_TRUE(WaitUntil([&] { return WindowRect(busy).left == busyBefore.left; }, 15s))
        << "the hung window stayed off screen after the program ended";
    EXPECT_EQ(WindowRect(calm).left, calmBefore.left);
    SaveScreenshot(L"frozen-after-exit");
}

} // namespace
} // namespace zim::e2e
