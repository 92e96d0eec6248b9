// The desktop monitor as a person sees it: test windows on several desktops
// drawn as miniatures in their cells, the highlight on the shown desktop, the
// picture after a switch, and the monitor kept inside the screen.

#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

const TestWindow kWindows[] = {
    {L"Alpha", 0, 0, {60, 380, 560, 700}},
    {L"Bravo", 1, 0, {200, 150, 700, 550}},
    {L"Charlie", 2, 1, {50, 100, 690, 580}},
};

class Monitor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        for (std::size_t i = 0; i < std::size(kWindows); ++i)
        {
            const TestWindow& w = kWindows[i];
            const RECT& r = w.onItsDesktop;
            const std::wstring rect = std::to_wstring(r.left + w.column * screenW) + L"," +
                                      std::to_wstring(r.top + w.row * screenH) + L"," +
                                      std::to_wstring(r.right - r.left) + L"," + std::to_wstring(r.bottom - r.top);
            ASSERT_TRUE(m_helpers[i].Start(BinDir() + L"\\testwin.exe",
                                           L"open --title \"" + std::wstring(w.title) + L"\" --rect " + rect, true));
        }
        ASSERT_TRUE(WaitUntil([&] { return HelperCount() == std::size(kWindows); }, 15s)) << "helpers missing";

        // The last helper opened lies on another desktop and has the foreground:
        // without this the view would follow it at once.
        // The natural skin: the grid fills the client area, drawn in system colours.
        std::vector<SettingValue> settings = NaturalSkinSettings();
        settings.push_back({L"Options", L"TaskSwitch", L"0"});
        ASSERT_TRUE(StartZimDesk(m_app, settings));
        ASSERT_TRUE(WaitUntil([&] { return FindVisibleMonitor(); }, 15s)) << "the monitor did not appear";
        // Large enough for the miniatures to carry their titles, and clear of the
        // test windows, so that its own miniature covers none of theirs.
        SetWindowPos(monitor, nullptr, screenW - 440, 20, 420, 340, SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(monitor, &client);
        cellW = client.right / 3;
        cellH = client.bottom / 3;
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    bool FindVisibleMonitor()
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"TZIMMonitor" && w.visible)
            {
                monitor = w.hwnd;
                return true;
            }
        }
        return false;
    }

    std::size_t HelperCount()
    {
        std::size_t count = 0;
        for (ChildProcess& helper : m_helpers)
        {
            for (const WindowInfo& w : TopLevelWindowsOf(helper.Id()))
            {
                count += (w.className == L"ZimTestWindow" && w.visible) ? 1 : 0;
            }
        }
        return count;
    }

    // What the screen shows at a point of the monitor's client area.
    COLORREF PixelAt(int x, int y)
    {
        POINT p{x, y};
        ClientToScreen(monitor, &p);
        const HDC screen = GetDC(nullptr);
        const COLORREF color = GetPixel(screen, p.x, p.y);
        ReleaseDC(nullptr, screen);
        return color;
    }

    RECT CellRect(int column, int row) const
    {
        return {column * cellW, row * cellH, (column + 1) * cellW, (row + 1) * cellH};
    }

    // Where a window's miniature belongs while desktop (shownX, shownY) is shown.
    RECT ExpectedMiniature(const TestWindow& w, int shownX, int shownY) const
    {
        const RECT cell = CellRect(shownX, shownY);
        const double sx = static_cast<double>(cellW) / screenW;
        const double sy = static_cast<double>(cellH) / screenH;
        const int dx = (w.column - shownX) * screenW;
        const int dy = (w.row - shownY) * screenH;
        const RECT& r = w.onItsDesktop;
        return {static_cast<LONG>(std::nearbyint(sx * (r.left + dx) + cell.left)),
                static_cast<LONG>(std::nearbyint(sy * (r.top + dy) + cell.top)),
                static_cast<LONG>(std::nearbyint(sx * (r.right + dx) + cell.left)),
                static_cast<LONG>(std::nearbyint(sy * (r.bottom + dy) + cell.top))};
    }

    // Filled below its title strip, and its title drawn in the text colour.
    bool MiniatureShown(const RECT& m)
    {
        const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
        if (PixelAt(m.right - 4, m.bottom - 4) != fill || PixelAt((m.left + m.right) / 2, m.bottom - 4) != fill)
        {
            return false;
        }
        const COLORREF text = GetSysColor(COLOR_CAPTIONTEXT);
        for (int y = m.top + 1; y < m.top + 14 && y < m.bottom - 1; ++y)
        {
            for (int x = m.left + 1; x < m.right - 1; ++x)
            {
                if (PixelAt(x, y) == text)
                {
                    return true;
                }
            }
        }
        return false;
    }

    // The two-pixel highlight frame lies on the cell's edges. A neighbour shares
    // one edge with it, so the left, right and top edges must all show it (the
    // task bar's thin miniature may cover the bottom one).
    bool Highlighted(int column, int row)
    {
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHTTEXT);
        const RECT cell = CellRect(column, row);
        const auto band = [&](int x0, int y0, int dx, int dy)
        {
            for (int i = -1; i <= 1; ++i)
            {
                if (PixelAt(x0 + i * dx, y0 + i * dy) == highlight)
                {
                    return true;
                }
            }
            return false;
        };
        const int midY = (cell.top + cell.bottom) / 2;
        return band(cell.left, midY, 1, 0) && band(cell.right, midY, 1, 0) &&
               band(cell.left + cellW / 4, cell.top, 0, 1);
    }

    bool EmptyCell(int column, int row)
    {
        const RECT cell = CellRect(column, row);
        return PixelAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2) == GetSysColor(COLOR_APPWORKSPACE);
    }

    void ClickCell(int column, int row)
    {
        const RECT cell = CellRect(column, row);
        const LPARAM at = MAKELPARAM(cell.right - 3, cell.bottom - 3);
        PostMessageW(monitor, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(monitor, WM_LBUTTONUP, 0, at);
    }

    int screenW = 0;
    int screenH = 0;
    HWND monitor = nullptr;
    RECT client{};
    int cellW = 0;
    int cellH = 0;
    ChildProcess m_helpers[std::size(kWindows)];
    ChildProcess m_app;
};

TEST_F(Monitor, ShowsEveryWindowInTheCellOfItsDesktopAndFollowsASwitch)
{
    const auto allInPlace = [&](int shownX, int shownY)
    {
        for (const TestWindow& w : kWindows)
        {
            if (!MiniatureShown(ExpectedMiniature(w, shownX, shownY)))
            {
                return false;
            }
        }
        return true;
    };
    const bool drawn = WaitUntil([&] { return allInPlace(0, 0) && Highlighted(0, 0); }, 5s);
    SaveScreenshot(L"monitor-three-desktops");
    ASSERT_TRUE(drawn) << "miniatures or highlight missing; see monitor-three-desktops.png";
    EXPECT_FALSE(Highlighted(1, 0));
    EXPECT_TRUE(EmptyCell(2, 0));
    EXPECT_TRUE(EmptyCell(1, 2));

    ClickCell(1, 0);
    const bool followed = WaitUntil([&] { return Highlighted(1, 0) && !Highlighted(0, 0) && allInPlace(1, 0); }, 5s);
    SaveScreenshot(L"monitor-after-switch");
    EXPECT_TRUE(followed) << "the picture did not follow the switch; see monitor-after-switch.png";

    ClickCell(2, 1);
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(2, 1) && allInPlace(2, 1); }, 5s));
    SaveScreenshot(L"monitor-desktop-2-1");
    ClickCell(0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(0, 0) && allInPlace(0, 0); }, 5s));
}

TEST_F(Monitor, AMiniaturesToolTipIsItsWindowsTitle)
{
    const RECT alpha = ExpectedMiniature(kWindows[0], 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return MiniatureShown(alpha); }, 5s));
    POINT before{};
    GetCursorPos(&before);
    POINT at{(alpha.left + alpha.right) / 2, alpha.bottom - 4};
    ClientToScreen(monitor, &at);
    // The pointer comes onto the miniature and rests there.
    for (int step = 0; step < 5; ++step)
    {
        SetCursorPos(at.x - 4 + step, at.y);
        Sleep(50);
    }
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    move.mi.dx = 1;
    SendInput(1, &move, sizeof(move));

    std::wstring tip;
    const bool shown = WaitUntil(
        [&]
        {
            for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
            {
                if (w.className == L"tooltips_class32" && w.visible)
                {
                    wchar_t text[128] = {};
                    DWORD_PTR length = 0;
                    SendMessageTimeoutW(w.hwnd, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                                        SMTO_ABORTIFHUNG, 1000, &length);
                    tip = text;
                    return true;
                }
            }
            return false;
        },
        5s);
    SaveScreenshot(L"monitor-tool-tip");
    SetCursorPos(before.x, before.y);
    ASSERT_TRUE(shown) << "no tool tip over the miniature";
    EXPECT_EQ(tip, kWindows[0].title);
}

TEST_F(Monitor, ARightPressOnTheCaptionOpensTheMainMenuInsteadOfTheSystemMenu)
{
    RECT r{};
    GetWindowRect(monitor, &r);
    POINT before{};
    GetCursorPos(&before);
    const POINT target{r.left + 40, r.top + GetSystemMetrics(SM_CYSMCAPTION) / 2 + 2};
    SetCursorPos(target.x, target.y);
    // Wine may deliver a click at the old pointer position for a while.
    WaitUntil(
        [&]
        {
            POINT p{};
            GetCursorPos(&p);
            return p.x == target.x && p.y == target.y;
        },
        2s);
    Sleep(300);

    // The main menu belongs to the hidden main window; the system menu would belong to the monitor.
    const auto main = FindWindowOf(m_app.Id(), L"TZIM");
    ASSERT_TRUE(main);
    HWND menuOwner = nullptr;
    const auto menuOpen = [&]
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"#32768" && w.visible)
            {
                menuOwner = w.owner;
                return true;
            }
        }
        return false;
    };
    // Under load Wine now and then drops a synthesized click. What is tested is
    // which menu a press on the caption opens, so a lost click is followed by the
    // message the click would have produced.
    INPUT click[2]{};
    click[0].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    click[1].type = INPUT_MOUSE;
    click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, click, sizeof(INPUT));
    bool opened = WaitUntil(menuOpen, 3s);
    if (!opened)
    {
        PostMessageW(monitor, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(target.x, target.y));
        opened = WaitUntil(menuOpen, 3s);
    }
    const HWND owner = menuOwner;
    SaveScreenshot(L"monitor-caption-menu");
    INPUT escape[2]{};
    escape[0].type = INPUT_KEYBOARD;
    escape[0].ki.wVk = VK_ESCAPE;
    escape[1].type = INPUT_KEYBOARD;
    escape[1].ki.wVk = VK_ESCAPE;
    escape[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, escape, sizeof(INPUT));
    EXPECT_TRUE(WaitUntil([&] { return !menuOpen(); }, 5s)) << "the menu did not close";
    SetCursorPos(before.x, before.y);
    ASSERT_TRUE(opened) << "no menu after a right press on the caption";
    EXPECT_EQ(owner, main->hwnd) << "not the main menu";
    EXPECT_TRUE(m_app.Running());
}

TEST_F(Monitor, StaysInsideTheScreenWhenMovedPastAnEdge)
{
    const auto place = [&](int x, int y)
    {
        SetWindowPos(monitor, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT r{};
        GetWindowRect(monitor, &r);
        return r;
    };
    RECT r = place(screenW - 100, 200);
    EXPECT_EQ(r.right, screenW) << "flush with the right edge";
    EXPECT_EQ(r.top, 200);
    SaveScreenshot(L"monitor-at-right-edge");

    r = place(300, 3);
    EXPECT_EQ(r.top, 0) << "snaps to the top edge from 3 pixels";
    EXPECT_EQ(r.left, 300);

    r = place(-80, screenH + 40);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, screenH);

    r = place(6, 6);
    EXPECT_EQ(r.left, 6) << "no snap beyond five pixels";
    EXPECT_EQ(r.top, 6);
}

} // namespace
} // namespace zim::e2e
