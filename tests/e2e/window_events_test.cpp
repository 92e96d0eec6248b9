// Window events from other processes, end to end: a test window's system-menu
// command sends it to another desktop, and the launcher starts a program on a
// desktop while the view stays. The 32-bit hook's host cannot run here, so both
// also show that the program and the 64-bit hook work without it.

#include "app/resource.h"
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

TEST_F(WindowEvents, TheMenuOffersOneItemPerDesktopOfTheGridInForce)
{
    // Again on a 4 x 2 grid: eight items, (0,0) to (3,1).
    CloseProgram(m_app, monitor);
    ASSERT_TRUE(StartZimDesk(m_app, {{L"Options", L"SizeX", L"4"}, {L"Options", L"SizeY", L"2"}}));
    monitor = WaitForMonitor(m_app);
    ASSERT_TRUE(monitor);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5s));
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow().has_value(); }, 5s)) << "the system menu did not open";
    SaveScreenshot(L"events-system-menu-4x2");
    // Seventh from the bottom of eight is (1,0); of a stale 3 x 3 list it would be (2,0).
    for (int i = 0; i < 7; ++i)
    {
        PressKey(VK_UP);
    }
    PressKey(VK_RETURN);
    RECT sent = kPlace;
    OffsetRect(&sent, screenW, 0);
    const bool arrived = WaitUntil([&] { return SameRect(WindowRect(window), sent); }, 5s);
    if (!arrived && OpenMenuWindow())
    {
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
    }
    EXPECT_TRUE(arrived) << "the window went to " << WindowRect(window).left << "," << WindowRect(window).top;
}

TEST_F(WindowEvents, WithTheHookSwitchedOffInTheDialogANewMenuHasNoItems)
{
    const auto mainWindow = FindWindowOf(m_app.Id(), L"TZIM");
    const auto dialogWindow = FindWindowOf(m_app.Id(), L"TOptionsDlg");
    ASSERT_TRUE(mainWindow && dialogWindow);
    const HWND dialog = dialogWindow->hwnd;
    PostMessageW(mainWindow->hwnd, WM_COMMAND, IDM_OPTIONS, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10s));
    const HWND hookBox = DialogControl(dialog, IDC_SYS_MENU);
    ASSERT_EQ(SendMessageW(hookBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(hookBox, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(hookBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s));

    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5s));
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow().has_value(); }, 5s)) << "the system menu did not open";
    SaveScreenshot(L"events-system-menu-hook-off");
    // The open menu is a window of the process too: not counted.
    const auto windowsOf = [&]
    {
        std::size_t count = 0;
        for (const WindowInfo& w : TopLevelWindowsOf(m_helper.Id()))
        {
            count += w.className != L"#32768" && w.visible ? 1 : 0;
        }
        return count;
    };
    const std::size_t windowsBefore = windowsOf();
    // Up from the first item wraps to the last. With the hook that is "Send to
    // desktop (2,2)"; without it, the system's own last item: "Close" here, or an
    // about box where the system adds one.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    const bool systemItem =
        WaitUntil([&] { return !IsWindow(window) || TopLevelWindowsOf(m_helper.Id()).size() > windowsBefore; }, 5s);
    SaveScreenshot(L"events-system-menu-hook-off-chosen");
    EXPECT_TRUE(systemItem) << "the last item was not the system's own";
    if (IsWindow(window))
    {
        EXPECT_TRUE(SameRect(WindowRect(window), kPlace)) << "an item of ours was still there";
    }
    for (const WindowInfo& w : TopLevelWindowsOf(m_helper.Id()))
    {
        if (w.hwnd != window)
        {
            PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
        }
    }
    if (OpenMenuWindow())
    {
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
    }
}

TEST_F(WindowEvents, AWindowThatHangsWithItsMenuOpenDoesNotHoldUpTheProgram)
{
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5s));
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow().has_value(); }, 5s)) << "the system menu did not open";
    // The menu's own loop hands the window this message: it sleeps with its menu open.
    constexpr UINT kHangMessage = WM_APP + 1;
    PostMessageW(window, kHangMessage, 6000, 0);
    Sleep(300);

    const auto mainWindow = FindWindowOf(m_app.Id(), L"TZIM");
    ASSERT_TRUE(mainWindow);
    DWORD_PTR columns = 0;
    EXPECT_TRUE(SendMessageTimeoutW(mainWindow->hwnd, WM_USER + 7, 0, 0, SMTO_ABORTIFHUNG, 2000, &columns));
    EXPECT_EQ(columns, 3u);
    // A switch goes on without it, and the program ends in good time.
    const auto before = std::chrono::steady_clock::now();
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(m_app.Wait(10s).has_value()) << "the program did not end";
    monitor = nullptr;
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    // It wakes with its menu still open.
    WaitUntil([&] { return WindowRect(window).left == kPlace.left; }, 10s);
    if (OpenMenuWindow())
    {
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
    }
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
    // The window may show before its own thread has carried out the move.
    WaitUntil(
        [&]
        {
            const RECT now = WindowRect(notepad->hwnd);
            return (now.left + now.right) / 2 >= screenW;
        },
        5s);
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
