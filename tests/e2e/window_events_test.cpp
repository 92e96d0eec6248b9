// Window events from other processes, end to end: a test window's system-menu
// command sends it to another desktop, and the launcher starts a program on a
// desktop while the view stays. The 32-bit hook's host cannot run here, so both
// also show that the program and the 64-bit hook work without it.

#include "cbt/cbt_api.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <set>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

constexpr RECT kPlace{60, 80, 360, 320}; // from --rect 60,80,300,240

// Ends a process the test did not start itself (the launcher's program) when the test ends.
class EndProcessAtExit
{
public:
    explicit EndProcessAtExit(DWORD processId) : m_process(OpenProcess(PROCESS_TERMINATE, FALSE, processId)) {}
    EndProcessAtExit(const EndProcessAtExit&) = delete;
    EndProcessAtExit& operator=(const EndProcessAtExit&) = delete;
    ~EndProcessAtExit()
    {
        if (m_process)
        {
            TerminateProcess(m_process, 0);
            WaitForSingleObject(m_process, 5000);
            CloseHandle(m_process);
        }
    }

private:
    HANDLE m_process;
};

class WindowEvents : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        window = OpenTestWindow(m_helper, L"--title \"Event test\" --rect 60,80,300,240");
        ASSERT_TRUE(window) << "the test window did not appear";
        ASSERT_TRUE(StartZimDesk(m_app));
        monitor = WaitForMonitor(m_app);
        ASSERT_TRUE(monitor) << "the monitor did not appear";
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    int screenW = 0;
    int screenH = 0;
    HWND window = nullptr;
    HWND monitor = nullptr;
    ChildProcess m_helper;
    ChildProcess m_app;
};

TEST_F(WindowEvents, TheSystemMenuCommandSendsTheWindowToItsDesktop)
{
    ASSERT_TRUE(SameRect(WindowRect(window), kPlace));
    // "Send to desktop (2,1)" of the 3 x 3 grid: desktop 6. Chosen from the menu,
    // the system posts exactly this; the hook may need a moment to be loaded into
    // the window's process, and a repeated send moves it by zero.
    const WPARAM command = ZimCbtCommandId(6);
    RECT sent = kPlace;
    OffsetRect(&sent, 2 * screenW, screenH);
    const bool arrived = WaitUntil(
        [&]
        {
            PostMessageW(window, WM_SYSCOMMAND, command, 0);
            return WaitUntil([&] { return SameRect(WindowRect(window), sent); }, 1s);
        },
        15s);
    EXPECT_TRUE(arrived) << "the window stayed at " << WindowRect(window).left << "," << WindowRect(window).top;
    EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window));
    SaveScreenshot(L"events-sent-to-desktop");
}

std::optional<HWND> OpenMenuWindow()
{
    for (const WindowInfo& w : TopLevelWindows())
    {
        if (w.className == L"#32768" && w.visible)
        {
            return w.hwnd;
        }
    }
    return std::nullopt;
}

TEST_F(WindowEvents, TheItemChosenInTheOpenSystemMenuSendsTheWindow)
{
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5s));
    // What Alt+Space does: the window's own thread opens its system menu. The hook
    // is in place once the monitor shows, and is loaded into the window's process
    // with the next message it takes.
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow().has_value(); }, 5s)) << "the system menu did not open";
    SaveScreenshot(L"events-system-menu");
    // The menu opens on its first item, and Up wraps round to the last. The items
    // come last, one per desktop row by row: (2,1) is the fourth from the bottom.
    for (int i = 0; i < 4; ++i)
    {
        PressKey(VK_UP);
    }
    PressKey(VK_RETURN);
    RECT sent = kPlace;
    OffsetRect(&sent, 2 * screenW, screenH);
    const bool arrived = WaitUntil([&] { return SameRect(WindowRect(window), sent); }, 5s);
    if (!arrived && OpenMenuWindow())
    {
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
    }
    EXPECT_TRUE(arrived) << "the window stayed at " << WindowRect(window).left << "," << WindowRect(window).top;
}

TEST_F(WindowEvents, TheLauncherStartsAProgramOnItsDesktopWhileTheViewStays)
{
    std::set<HWND> before;
    for (const WindowInfo& w : TopLevelWindows())
    {
        before.insert(w.hwnd);
    }
    ChildProcess launcher;
    ASSERT_TRUE(launcher.Start(BinDir() + L"\\zimstart.exe", L"2 notepad.exe"));
    const auto exitCode = launcher.Wait(30s);
    ASSERT_TRUE(exitCode.has_value()) << "zimstart did not end";
    EXPECT_EQ(*exitCode, 0u);

    std::optional<WindowInfo> notepad;
    WaitUntil(
        [&]
        {
            for (const WindowInfo& w : TopLevelWindows())
            {
                if (w.className == L"Notepad" && w.visible && !before.contains(w.hwnd))
                {
                    notepad = w;
                    return true;
                }
            }
            return false;
        },
        5s);
    ASSERT_TRUE(notepad.has_value()) << "notepad did not open";
    const EndProcessAtExit end(notepad->processId);

    // Desktop 2 is column 1, row 0: one screen to the right of the shown desktop.
    const RECT r = WindowRect(notepad->hwnd);
    const int centreX = (r.left + r.right) / 2;
    EXPECT_GE(centreX, screenW);
    EXPECT_LT(centreX, 2 * screenW);
    EXPECT_GE(r.top, 0);
    EXPECT_LT(r.top, screenH);
    EXPECT_TRUE(SameRect(WindowRect(window), kPlace)) << "the view moved";
    SaveScreenshot(L"events-started-on-desktop-2");
}

} // namespace
} // namespace zim::e2e
