#include "platform/hook_library.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace zim::win32
{
namespace
{

using test::CreateTestWindow;
using test::PumpUntil;

std::uint64_t ElapsedSince(ULONGLONG start)
{
    return ::GetTickCount64() - start;
}

// A window whose thread sleeps without pumping messages for a while after
// creating it, then serves messages until the test ends: a hung application.
class BusyWindowThread
{
public:
    explicit BusyWindowThread(DWORD sleepMs)
        : m_thread(
              [this, sleepMs]
              {
                  UniqueWindow window =
                      CreateTestWindow(L"Zim busy", 200, 150, 240, 160, WS_OVERLAPPEDWINDOW, WS_EX_NOACTIVATE);
                  m_asleep = true;
                  m_hwnd = window.Get();
                  ::Sleep(sleepMs);
                  m_asleep = false;
                  PumpUntil([this] { return m_stop.load(); }, 60000);
              })
    {
    }
    ~BusyWindowThread()
    {
        m_stop = true;
        m_thread.join();
    }

    std::atomic<HWND> m_hwnd{nullptr};
    std::atomic<bool> m_asleep{false};

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class WindowSystemTest : public ::testing::Test
{
protected:
    Win32WindowSystem m_windows;
};

TEST_F(WindowSystemTest, MoveWindow_KeepsTheSizeAndIsNotClampedToTheScreen)
{
    UniqueWindow window = CreateTestWindow(L"Zim move", 100, 120, 300, 200);
    ASSERT_TRUE(window);
    const WindowHandle h = FromHwnd(window.Get());
    EXPECT_EQ(m_windows.GetWindowRect(h), Rect::FromSize(100, 120, 300, 200));

    for (const Point p : {Point{250, 40}, Point{-3000, 40}, Point{2058, 1546}, Point{-32000 + 1, -2000}})
    {
        EXPECT_TRUE(m_windows.MoveWindow(h, p));
        EXPECT_EQ(m_windows.GetWindowRect(h), Rect::FromSize(p.x, p.y, 300, 200)) << p.x << "," << p.y;
    }
    // The calling thread's own window moves at once even when asked asynchronously.
    EXPECT_TRUE(m_windows.MoveWindowAsync(h, {-1024, 768}));
    EXPECT_EQ(m_windows.GetWindowRect(h), Rect::FromSize(-1024, 768, 300, 200));
}

TEST_F(WindowSystemTest, ZOrderWalkAndEnumerationFindTheWindowsInTheSameOrder)
{
    UniqueWindow a = CreateTestWindow(L"Zim A", 10, 10, 200, 100);
    UniqueWindow b = CreateTestWindow(L"Zim B", 20, 20, 200, 100);
    ASSERT_TRUE(a && b);
    const WindowHandle ha = FromHwnd(a.Get());
    const WindowHandle hb = FromHwnd(b.Get());
    m_windows.BringWindowToTop(hb);
    m_windows.BringWindowToTop(ha);

    std::vector<WindowHandle> walked;
    for (WindowHandle w = m_windows.GetTopWindow(); w != kNoWindow && walked.size() < 10000;
         w = m_windows.GetNextWindow(w))
    {
        walked.push_back(w);
    }
    std::vector<WindowHandle> enumerated;
    m_windows.EnumWindows(
        [&](WindowHandle w)
        {
            enumerated.push_back(w);
            return true;
        });

    for (const std::vector<WindowHandle>* order : {&walked, &enumerated})
    {
        const auto posA = std::find(order->begin(), order->end(), ha);
        const auto posB = std::find(order->begin(), order->end(), hb);
        ASSERT_NE(posA, order->end());
        ASSERT_NE(posB, order->end());
        EXPECT_LT(posA, posB); // a was raised last
    }
    EXPECT_EQ(m_windows.GetPrevWindow(hb), ha); // nothing came between them
    EXPECT_EQ(m_windows.GetNextWindow(ha), hb);
    EXPECT_EQ(m_windows.GetLastWindow(ha), walked.back());
    EXPECT_EQ(m_windows.GetPrevWindow(m_windows.GetTopWindow()), kNoWindow);

    int calls = 0;
    m_windows.EnumWindows(
        [&](WindowHandle)
        {
            ++calls;
            return false;
        });
    EXPECT_EQ(calls, 1);
}

TEST_F(WindowSystemTest, ClassNameAndTitleRoundTripAsUtf8InFullLength)
{
    constexpr wchar_t kClass[] = L"ZimTest\u00c9t\u00e9\u7a93";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
    UniqueWindow window = CreateTestWindow(L"Zim \u2013 \u00fcn\u00efc\u00f6d\u00e9 \u7a93 \U0001F600", 50, 50, 300,
                                           200, WS_OVERLAPPEDWINDOW, 0, kClass);
    ASSERT_TRUE(window);
    const WindowHandle h = FromHwnd(window.Get());

    EXPECT_EQ(m_windows.GetClassName(h), "ZimTest\xc3\x89t\xc3\xa9\xe7\xaa\x93");
    EXPECT_EQ(m_windows.GetWindowText(h), "Zim \xe2\x80\x93 \xc3\xbcn\xc3\xaf"
                                          "c\xc3\xb6"
                                          "d\xc3\xa9 \xe7\xaa\x93 "
                                          "\xf0\x9f\x98\x80");

    const std::wstring longTitle = std::wstring(1000, L'x') + L"\u00e9";
    ::SetWindowTextW(window.Get(), longTitle.c_str());
    EXPECT_EQ(m_windows.GetWindowText(h), std::string(1000, 'x') + "\xc3\xa9");
    ::SetWindowTextW(window.Get(), L"");
    EXPECT_EQ(m_windows.GetWindowText(h), "");

    EXPECT_EQ(m_windows.GetWindowProcessId(h), ::GetCurrentProcessId());
}

TEST_F(WindowSystemTest, ShowCommandsChangeVisibilityAndMinimisedState)
{
    UniqueWindow window = CreateTestWindow(L"Zim show", 140, 130, 320, 220);
    ASSERT_TRUE(window);
    const WindowHandle h = FromHwnd(window.Get());
    const Rect normal = Rect::FromSize(140, 130, 320, 220);

    m_windows.ShowWindow(h, ShowCommand::Minimize);
    EXPECT_TRUE(m_windows.IsIconic(h));
    EXPECT_NE(m_windows.GetWindowRect(h), normal);
    m_windows.ShowWindow(h, ShowCommand::Restore);
    EXPECT_FALSE(m_windows.IsIconic(h));
    EXPECT_EQ(m_windows.GetWindowRect(h), normal);

    m_windows.ShowWindow(h, ShowCommand::Hide);
    EXPECT_FALSE(m_windows.IsWindowVisible(h));
    m_windows.ShowWindow(h, ShowCommand::ShowNoActivate);
    EXPECT_TRUE(m_windows.IsWindowVisible(h));

    EXPECT_FALSE(m_windows.IsZoomed(h));
    ::ShowWindow(window.Get(), SW_MAXIMIZE);
    EXPECT_TRUE(m_windows.IsZoomed(h));
}

TEST_F(WindowSystemTest, ForegroundFollowsTheActivatedWindow)
{
    UniqueWindow a = CreateTestWindow(L"Zim fg A", 10, 10, 200, 100);
    UniqueWindow b = CreateTestWindow(L"Zim fg B", 30, 30, 200, 100);
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(m_windows.SetForegroundWindow(FromHwnd(a.Get())));
    EXPECT_EQ(m_windows.GetForegroundWindow(), FromHwnd(a.Get()));
    // Showing a hidden window activates it.
    m_windows.ShowWindow(FromHwnd(b.Get()), ShowCommand::Hide);
    m_windows.ShowWindow(FromHwnd(b.Get()), ShowCommand::Show);
    EXPECT_EQ(m_windows.GetForegroundWindow(), FromHwnd(b.Get()));
}

TEST_F(WindowSystemTest, DestroyedWindowIsReportedGoneByEveryQuery)
{
    UniqueWindow window = CreateTestWindow(L"Zim gone", 10, 10, 200, 100);
    ASSERT_TRUE(window);
    const WindowHandle h = FromHwnd(window.Get());
    EXPECT_TRUE(m_windows.IsWindow(h));
    window.Reset();

    EXPECT_FALSE(m_windows.IsWindow(h));
    EXPECT_FALSE(m_windows.IsWindowVisible(h));
    EXPECT_EQ(m_windows.GetWindowRect(h), std::nullopt);
    EXPECT_EQ(m_windows.GetClassName(h), "");
    EXPECT_EQ(m_windows.GetWindowText(h), "");
    EXPECT_EQ(m_windows.GetWindowProcessId(h), 0u);
    EXPECT_FALSE(m_windows.MoveWindow(h, {0, 0}));
    EXPECT_FALSE(m_windows.MoveWindowAsync(h, {0, 0}));
    EXPECT_FALSE(m_windows.ProbeWindow(h, 100));
}

TEST_F(WindowSystemTest, ProbeGivesUpOnABusyWindowWhichAnAsynchronousMoveStillReaches)
{
    BusyWindowThread busy(1500);
    ASSERT_TRUE(PumpUntil([&] { return busy.m_hwnd.load() != nullptr; }, 5000));
    const WindowHandle h = FromHwnd(busy.m_hwnd);
    const std::optional<Rect> before = m_windows.GetWindowRect(h);
    ASSERT_TRUE(before);

    ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(m_windows.ProbeWindow(h, 100));
    EXPECT_LT(ElapsedSince(start), 1000u);

    const Point target{-2500, 300};
    start = ::GetTickCount64();
    EXPECT_TRUE(m_windows.MoveWindowAsync(h, target));
    EXPECT_LT(ElapsedSince(start), 1000u);
    if (busy.m_asleep)
    {
        const std::optional<Rect> meanwhile = m_windows.GetWindowRect(h);
        if (busy.m_asleep) // its thread has not run since the move was asked
        {
            EXPECT_EQ(meanwhile, before);
        }
    }

    const Rect moved = Rect::FromSize(target.x, target.y, before->Width(), before->Height());
    EXPECT_TRUE(PumpUntil([&] { return m_windows.GetWindowRect(h) == moved; }, 10000));
    EXPECT_TRUE(m_windows.ProbeWindow(h, 1000)); // answers again once its thread pumps
}

LRESULT CALLBACK OddAnswerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_NULL ? 1 : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(WindowSystemTest, ProbeSucceedsOnlyForAResponsiveWindowThatAnswersZero)
{
    UniqueWindow own = CreateTestWindow(L"Zim own", 10, 10, 200, 100);
    ASSERT_TRUE(own);
    EXPECT_TRUE(m_windows.ProbeWindow(FromHwnd(own.Get()), 100));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &OddAnswerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZimDeskOddAnswer";
    ::RegisterClassExW(&wc);
    UniqueWindow odd = CreateTestWindow(L"Zim odd", 10, 10, 200, 100, WS_OVERLAPPEDWINDOW, 0, wc.lpszClassName);
    ASSERT_TRUE(odd);
    EXPECT_FALSE(m_windows.ProbeWindow(FromHwnd(odd.Get()), 100));

    BusyWindowThread other(0);
    ASSERT_TRUE(PumpUntil([&] { return other.m_hwnd.load() != nullptr && !other.m_asleep; }, 5000));
    EXPECT_TRUE(m_windows.ProbeWindow(FromHwnd(other.m_hwnd), 1000));
}

TEST_F(WindowSystemTest, ProbesOfManyWindowsRunSideBySideAndOwnWindowsAreAskedDirectly)
{
    constexpr unsigned kTimeoutMs = 250;
    constexpr int kBusy = 8;
    std::vector<std::unique_ptr<BusyWindowThread>> busy;
    std::vector<std::unique_ptr<BusyWindowThread>> awake;
    for (int i = 0; i < kBusy; ++i)
    {
        busy.push_back(std::make_unique<BusyWindowThread>(1500));
        awake.push_back(std::make_unique<BusyWindowThread>(0));
    }
    const auto ready = [&]
    {
        for (int i = 0; i < kBusy; ++i)
        {
            if (!busy[i]->m_hwnd.load() || !busy[i]->m_asleep || !awake[i]->m_hwnd.load() || awake[i]->m_asleep)
            {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(PumpUntil(ready, 5000));
    UniqueWindow own = CreateTestWindow(L"Zim own", 10, 10, 200, 100);
    ASSERT_TRUE(own);

    // Busy and awake windows alternate, with this thread's own window among them:
    // a worker asking it would wait for this very thread and time out.
    std::vector<WindowHandle> asked;
    std::vector<bool> expected;
    for (int i = 0; i < kBusy; ++i)
    {
        asked.push_back(FromHwnd(busy[i]->m_hwnd));
        expected.push_back(false);
        asked.push_back(FromHwnd(awake[i]->m_hwnd));
        expected.push_back(true);
        if (i == kBusy / 2)
        {
            asked.push_back(FromHwnd(own.Get()));
            expected.push_back(true);
        }
    }
    asked.push_back(0x7FFF0); // no window at all
    expected.push_back(false);

    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(m_windows.ProbeWindows(asked, kTimeoutMs), expected);
    // One after the other the busy ones alone would take kBusy time-outs.
    EXPECT_LT(ElapsedSince(start), kBusy * kTimeoutMs / 2);

    // A second batch reuses the workers; an empty one asks nobody.
    EXPECT_EQ(m_windows.ProbeWindows({FromHwnd(awake[0]->m_hwnd), FromHwnd(own.Get())}, kTimeoutMs),
              (std::vector<bool>{true, true}));
    EXPECT_TRUE(m_windows.ProbeWindows({}, kTimeoutMs).empty());
}

TEST_F(WindowSystemTest, WindowStateReadsPlaceVisibilityAndMinimisedStateInOne)
{
    UniqueWindow window = CreateTestWindow(L"Zim state", 30, 40, 220, 120);
    ASSERT_TRUE(window);
    const WindowHandle h = FromHwnd(window.Get());
    m_windows.ShowWindow(h, ShowCommand::ShowNoActivate);
    EXPECT_EQ(m_windows.GetWindowState(h), (WindowState{Rect::FromSize(30, 40, 220, 120), true, false}));

    m_windows.ShowWindow(h, ShowCommand::Hide);
    auto state = m_windows.GetWindowState(h);
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->visible);

    m_windows.ShowWindow(h, ShowCommand::Minimize);
    state = m_windows.GetWindowState(h);
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->iconic);
    EXPECT_EQ(state->visible, m_windows.IsWindowVisible(h));
    EXPECT_EQ(state->rect, m_windows.GetWindowRect(h));

    window.Reset();
    EXPECT_EQ(m_windows.GetWindowState(h), std::nullopt);
}

TEST_F(WindowSystemTest, ScreenWorkAreaAndCaptionFrameMatchTheSystem)
{
    const Size screen = m_windows.GetScreenSize();
    EXPECT_EQ(screen, (Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
    const Rect work = m_windows.GetWorkArea();
    EXPECT_GT(work.Width(), 0);
    EXPECT_GT(work.Height(), 0);
    EXPECT_TRUE(work.left >= 0 && work.top >= 0 && work.right <= screen.width && work.bottom <= screen.height);

    // A real fixed dialog with a caption: outer height minus client height.
    UniqueWindow dialog =
        CreateTestWindow(L"Zim dialog", 60, 60, 300, 200, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
    ASSERT_TRUE(dialog);
    RECT outer{};
    RECT client{};
    ::GetWindowRect(dialog.Get(), &outer);
    ::GetClientRect(dialog.Get(), &client);
    EXPECT_EQ(m_windows.GetCaptionFrameHeight(), (outer.bottom - outer.top) - (client.bottom - client.top));
    EXPECT_GT(m_windows.GetCaptionFrameHeight(), 10);
}

TEST_F(WindowSystemTest, RegisteredMessagesAreStablePerName)
{
    const std::uint32_t starting = m_windows.RegisterWindowMessage(hookmsg::kAppStartingName);
    const std::uint32_t started = m_windows.RegisterWindowMessage(hookmsg::kAppStartedName);
    EXPECT_GE(starting, 0xC000u);
    EXPECT_LE(starting, 0xFFFFu);
    EXPECT_NE(starting, started);
    EXPECT_EQ(m_windows.RegisterWindowMessage(hookmsg::kAppStartingName), starting);
    EXPECT_EQ(starting, ::RegisterWindowMessageW(L"ZIM_APPSTARTING"));
}

TEST_F(WindowSystemTest, CursorPositionIsSetAndReadBack)
{
    const Point target{123, 234};
    m_windows.SetCursorPos(target);
    // The position may take a moment to come back from the display.
    EXPECT_TRUE(PumpUntil([&] { return m_windows.GetCursorPos() == target; }, 2000));
}

} // namespace
} // namespace zim::win32
