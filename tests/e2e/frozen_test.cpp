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

RECT RectOf(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

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
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                const auto m = FindWindowOf(m_app.Id(), L"TZIMMonitor");
                return m && m->visible;
            },
            15s));
        monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor")->hwnd;
    }

    void TearDown() override
    {
        if (m_app.Running())
        {
            PostMessageW(monitor, WM_CLOSE, 0, 0);
            m_app.Wait(15s);
        }
    }

    // Each helper window lives in a process of its own, so hanging one leaves the other awake.
    HWND OpenHelper(ChildProcess& process, const std::wstring& title, const std::wstring& rect)
    {
        if (!process.Start(BinDir() + L"\\testwin.exe", L"open --title \"" + title + L"\" --rect " + rect, true))
        {
            return nullptr;
        }
        HWND found = nullptr;
        WaitUntil(
            [&]
            {
                const auto w = FindWindowOf(process.Id(), L"ZimTestWindow");
                found = (w && w->visible) ? w->hwnd : nullptr;
                return found != nullptr;
            },
            15s);
        return found;
    }

    void ClickCell(int column, int row)
    {
        RECT client;
        GetClientRect(monitor, &client);
        const int cellW = client.right / 3;
        const int cellH = client.bottom / 3;
        const LPARAM at = MAKELPARAM(column * cellW + cellW / 2, row * cellH + cellH / 2);
        PostMessageW(monitor, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(monitor, WM_LBUTTONUP, 0, at);
    }

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
    const RECT busyBefore = RectOf(busy);
    const RECT calmBefore = RectOf(calm);
    PostMessageW(busy, kHangMessage, 4000, 0);
    Sleep(200); // let the helper enter its sleep

    ClickCell(1, 0);
    ASSERT_TRUE(WaitUntil([&] { return RectOf(calm).left == calmBefore.left - screenW; }, 3s))
        << "the switch stalled behind the hung window";
    EXPECT_EQ(RectOf(busy).left, busyBefore.left) << "a hung window must not be moved while it sleeps";
    SaveScreenshot(L"frozen-switched");

    EXPECT_TRUE(WaitUntil([&] { return RectOf(busy).left == busyBefore.left - screenW; }, 15s))
        << "the window did not follow to its desktop after it woke";
    EXPECT_EQ(RectOf(busy).top, busyBefore.top);
}

TEST_F(FrozenWindows, ExitWithAHungWindowOffScreenStillBringsItBack)
{
    const RECT busyBefore = RectOf(busy);
    const RECT calmBefore = RectOf(calm);
    ClickCell(1, 0);
    ASSERT_TRUE(WaitUntil([&] { return RectOf(busy).left == busyBefore.left - screenW; }, 5s));

    PostMessageW(busy, kHangMessage, 5000, 0);
    Sleep(200);
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value()) << "the program did not end";

    EXPECT_TRUE(WaitUntil([&] { return RectOf(busy).left == busyBefore.left; }, 15s))
        << "the hung window stayed off screen after the program ended";
    EXPECT_EQ(RectOf(calm).left, calmBefore.left);
    SaveScreenshot(L"frozen-after-exit");
}

} // namespace
} // namespace zim::e2e
