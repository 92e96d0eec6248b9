// The monitor under the user's hand, with real mouse input: a right drag of a
// miniature carries its window to the next desktop, a left click switches, and
// holding the right button on a cell lists that desktop's programs.

#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

const TestWindow kWindows[] = {
    {L"Alpha", 0, 0, {60, 380, 560, 700}},
    {L"Charlie", 2, 1, {300, 400, 700, 650}},
    {L"Bravo", 2, 1, {80, 60, 480, 300}},
};

// The grid area's size: cells of 140 x 105 with nothing left over, so that a
// drag by one cell moves a window by exactly one screen.
constexpr int kClientW = 420;
constexpr int kClientH = 315;

void SendButton(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Puts the pointer on a screen point and waits until the system reports it
// there (Wine may lag), then nudges it so that the window under it hears a move.
void PointerTo(POINT p)
{
    SetCursorPos(p.x, p.y);
    WaitUntil(
        [&]
        {
            POINT now{};
            GetCursorPos(&now);
            return now.x == p.x && now.y == p.y;
        },
        2s);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &move, sizeof(move));
    Sleep(60);
}

class MonitorDrag : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        GetCursorPos(&pointerBefore);
        for (std::size_t i = 0; i < std::size(kWindows); ++i)
        {
            const TestWindow& w = kWindows[i];
            const RECT& r = w.onItsDesktop;
            const std::wstring rect = std::to_wstring(r.left + w.column * screenW) + L"," +
                                      std::to_wstring(r.top + w.row * screenH) + L"," +
                                      std::to_wstring(r.right - r.left) + L"," + std::to_wstring(r.bottom - r.top);
            windows[i] = OpenTestWindow(m_helpers[i], L"--title \"" + std::wstring(w.title) + L"\" --rect " + rect);
            ASSERT_NE(windows[i], nullptr) << "helper window missing";
        }
        // Without this the view would follow the last helper, which has the foreground.
        // The natural skin: the grid fills the client area, drawn in system colours.
        std::vector<SettingValue> settings = NaturalSkinSettings();
        settings.push_back({L"Options", L"TaskSwitch", L"0"});
        ASSERT_TRUE(StartZimDesk(m_app, settings));
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                const auto m = FindWindowOf(m_app.Id(), L"TZIMMonitor");
                monitor = (m && m->visible) ? m->hwnd : nullptr;
                return monitor != nullptr;
            },
            15s))
            << "the monitor did not appear";
        // Clear of the test windows on the shown desktop, with a client area of exactly kClientW x kClientH.
        RECT outer{};
        RECT client{};
        GetWindowRect(monitor, &outer);
        GetClientRect(monitor, &client);
        const int frameW = (outer.right - outer.left) - client.right;
        const int frameH = (outer.bottom - outer.top) - client.bottom;
        SetWindowPos(monitor, nullptr, screenW - kClientW - frameW - 10, 20, kClientW + frameW, kClientH + frameH,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(monitor, &client);
        ASSERT_EQ(client.right, kClientW);
        ASSERT_EQ(client.bottom, kClientH);
    }

    void TearDown() override
    {
        SendButton(MOUSEEVENTF_RIGHTUP); // never leave a button held for the next test
        SetCursorPos(pointerBefore.x, pointerBefore.y);
        CloseProgram(m_app, monitor);
    }

    POINT OnScreen(int x, int y) const
    {
        POINT p{x, y};
        ClientToScreen(monitor, &p);
        return p;
    }

    COLORREF PixelAt(int x, int y) const
    {
        const POINT p = OnScreen(x, y);
        const HDC screen = GetDC(nullptr);
        const COLORREF color = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return color;
    }

    // Where the monitor draws a window's miniature while desktop (0, 0) is shown.
    RECT MiniatureOf(const RECT& r) const
    {
        const double sx = static_cast<double>(kCellW) / screenW;
        const double sy = static_cast<double>(kCellH) / screenH;
        return {static_cast<LONG>(std::nearbyint(sx * r.left)), static_cast<LONG>(std::nearbyint(sy * r.top)),
                static_cast<LONG>(std::nearbyint(sx * r.right)), static_cast<LONG>(std::nearbyint(sy * r.bottom))};
    }

    // Filled with the miniature colour near its lower corners.
    bool MiniatureDrawn(const RECT& m) const
    {
        const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
        return PixelAt(m.left + 4, m.bottom - 4) == fill && PixelAt(m.right - 4, m.bottom - 4) == fill;
    }

    std::optional<WindowInfo> Popup() const
    {
        const auto popup = FindWindowOf(m_app.Id(), L"TZIM2");
        return (popup && popup->visible) ? popup : std::nullopt;
    }

    static constexpr int kCellW = kClientW / 3;
    static constexpr int kCellH = kClientH / 3;
    int screenW = 0;
    int screenH = 0;
    POINT pointerBefore{};
    HWND monitor = nullptr;
    HWND windows[std::size(kWindows)] = {};
    ChildProcess m_helpers[std::size(kWindows)];
    ChildProcess m_app;
};

TEST_F(MonitorDrag, ARightDragCarriesAWindowToTheNextDesktopAndALeftClickFollowsIt)
{
    const HWND alpha = windows[0];
    const RECT start = WindowRect(alpha);
    const RECT mini = MiniatureOf(start);
    ASSERT_TRUE(WaitUntil([&] { return MiniatureDrawn(mini); }, 5s)) << "no miniature for the test window";

    // Press near the miniature's lower-left corner and drag one cell to the right in steps.
    const POINT grab{mini.left + 6, mini.bottom - 6};
    PointerTo(OnScreen(grab.x, grab.y));
    SendButton(MOUSEEVENTF_RIGHTDOWN);
    Sleep(100);
    for (int dx = 10; dx <= kCellW; dx += 10)
    {
        PointerTo(OnScreen(grab.x + std::min(dx, kCellW), grab.y));
    }
    PointerTo(OnScreen(grab.x + kCellW, grab.y));

    // The window follows while the button is still held: the miniature's left
    // edge is one cell further, and the grid's scale is exactly one screen per cell.
    const LONG expectedLeft = static_cast<LONG>(std::nearbyint(3.0 * screenW * (mini.left + kCellW) / kClientW));
    const LONG expectedTop = static_cast<LONG>(std::nearbyint(3.0 * screenH * mini.top / kClientH));
    const bool followed = WaitUntil([&] { return WindowRect(alpha).left == expectedLeft; }, 3s);
    SaveScreenshot(L"monitor-drag-held");
    SendButton(MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(followed) << "the window did not follow the drag live; it is at " << WindowRect(alpha).left;

    ASSERT_TRUE(WaitUntil([&] { return WindowRect(alpha).left == expectedLeft; }, 3s));
    const RECT moved = WindowRect(alpha);
    EXPECT_EQ(moved.top, expectedTop);
    EXPECT_NEAR(moved.left - start.left, screenW, screenW * 3 / kClientW) << "about one screen to the right";
    EXPECT_EQ(moved.right - moved.left, start.right - start.left) << "the size is kept";

    // The next refresh draws it in the cell to the right, and its old place is empty.
    const RECT now = MiniatureOf(moved);
    EXPECT_GE(now.left, kCellW);
    const bool redrawn = WaitUntil(
        [&]
        { return MiniatureDrawn(now) && PixelAt(mini.left + 6, mini.bottom - 6) == GetSysColor(COLOR_APPWORKSPACE); },
        5s);
    SaveScreenshot(L"monitor-drag-dropped");
    EXPECT_TRUE(redrawn) << "the miniature is not in the next cell; see monitor-drag-dropped.png";

    // A real left click on an empty spot of that cell switches to it: the window comes back on screen.
    PointerTo(OnScreen(2 * kCellW - 8, kCellH - 8));
    SendButton(MOUSEEVENTF_LEFTDOWN);
    SendButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(alpha).left == expectedLeft - screenW; }, 5s))
        << "no switch; the window is at " << WindowRect(alpha).left;
    EXPECT_EQ(WindowRect(alpha).top, expectedTop);
    SaveScreenshot(L"monitor-drag-switched");
}

TEST_F(MonitorDrag, HoldingTheRightButtonOnACellListsItsProgramsUntilTheRelease)
{
    ASSERT_TRUE(WaitUntil([&] { return MiniatureDrawn(MiniatureOf(WindowRect(windows[0]))); }, 5s));
    const LONG exStyleBefore = GetWindowLongW(monitor, GWL_EXSTYLE);
    ASSERT_TRUE(exStyleBefore & WS_EX_TOPMOST);

    // An empty spot in the cell of desktop (2, 1), below its two windows' miniatures.
    const POINT at = OnScreen(3 * kCellW - 6, 2 * kCellH - 6);
    PointerTo(at);
    SendButton(MOUSEEVENTF_RIGHTDOWN);
    std::optional<WindowInfo> popup;
    const bool opened = WaitUntil(
        [&]
        {
            popup = Popup();
            return popup.has_value();
        },
        5s);
    Sleep(200);
    SaveScreenshot(L"monitor-programs-popup");
    std::vector<std::wstring> titles;
    bool monitorTopmost = true;
    if (opened)
    {
        monitorTopmost = (GetWindowLongW(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        const HWND list = GetWindow(popup->hwnd, GW_CHILD);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
        {
            wchar_t text[64] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(std::size(text)))
            {
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            }
            titles.emplace_back(text);
        }
    }
    SendButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(opened) << "no programs popup";
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"Bravo", L"Charlie"}));
    EXPECT_EQ(popup->title, L"ProgramsInScreen");
    EXPECT_EQ(popup->rect.right, at.x) << "to the left of the pointer";
    EXPECT_EQ(popup->rect.left, at.x - 168);
    EXPECT_EQ(popup->rect.top, at.y) << "below the pointer";
    EXPECT_EQ(popup->rect.bottom - popup->rect.top, 2 * 13);
    EXPECT_FALSE(monitorTopmost) << "the monitor yields the top while the popup is shown";

    EXPECT_TRUE(WaitUntil([&] { return !Popup(); }, 5s)) << "the release did not close the popup";
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(monitor, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 2s))
        << "always-on-top not restored";

    // A press in the list closes it too. The monitor holds the mouse while the
    // button is down, so the press is posted to the list.
    SendButton(MOUSEEVENTF_RIGHTDOWN);
    ASSERT_TRUE(WaitUntil([&] { return Popup().has_value(); }, 5s));
    PostMessageW(GetWindow(Popup()->hwnd, GW_CHILD), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_TRUE(WaitUntil([&] { return !Popup(); }, 5s)) << "a press in the list did not close the popup";
    SendButton(MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(m_app.Running());
}

} // namespace
} // namespace zim::e2e
