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

TEST_F(FrozenWindows, TwentyHungWindowsCostTheSwitchOnlyItsProbesAndAllEndOnTheScreen)
{
    ChildProcess many;
    ASSERT_TRUE(
        many.Start(BinDir() + L"\\testwin.exe", L"open --count 20 --title \"Hung\" --rect 200,300,200,150", true));
    std::vector<HWND> hung;
    ASSERT_TRUE(WaitUntil([&] { return (hung = HelperWindows(many)).size() == 20; }, 15s));
    std::vector<RECT> before;
    for (const HWND h : hung)
    {
        before.push_back(WindowRect(h));
    }
    const RECT calmBefore = WindowRect(calm);
    // One thread holds all twenty: they stop answering together.
    PostMessageW(hung.front(), kHangMessage, 7000, 0);
    Sleep(200);

    ClickCell(1, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(calm).left == calmBefore.left - screenW; }, 5s))
        << "twenty probes took too long";
    SaveScreenshot(L"frozen-twenty-switched");
    // More than the workers can take: the warning comes once the switch is over.
    std::optional<std::pair<HWND, std::wstring>> box;
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(m_app.Id())).has_value(); }, 10s)) << "no warning";
    SaveScreenshot(L"frozen-twenty-warning");
    PostMessageW(box->first, WM_COMMAND, IDOK, 0);

    const auto moved = [&]
    {
        int count = 0;
        for (std::size_t i = 0; i < hung.size(); ++i)
        {
            count += WindowRect(hung[i]).left == before[i].left - screenW ? 1 : 0;
        }
        return count;
    };
    EXPECT_TRUE(WaitUntil([&] { return moved() >= 17; }, 20s)) << moved() << " reached their desktop";
    EXPECT_EQ(WindowRect(calm).left, calmBefore.left - screenW) << "the view went back when the warning closed";

    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value()) << "the program did not end";
    monitor = nullptr;
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    for (const HWND h : hung)
    {
        EXPECT_TRUE(WaitUntil(
            [&]
            {
                const RECT r = WindowRect(h);
                return r.right > 0 && r.left < screenW && r.bottom > 0 && r.top < screenH;
            },
            5s))
            << "left at " << WindowRect(h).left << "," << WindowRect(h).top;
    }
    SaveScreenshot(L"frozen-twenty-after-exit");
}

} // namespace
} // namespace zim::e2e
