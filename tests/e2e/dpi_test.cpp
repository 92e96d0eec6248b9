// The program on a 144-DPI screen: scripts/dpi-check.sh sets the test prefix's
// LogPixels to 144, runs these cases and sets it back; ctest does not run
// them. The program declares itself DPI aware, and so does this test, so every
// rectangle here is in real pixels: a switch moves windows by whole physical
// screens, and the monitor, its menu, the programs popup and the options dialog
// lay out in fonts scaled to the DPI with nothing cut off. The screenshots
// (dpi-*.png) are for a person to look at as well.

#include "app/resource.h"
#include "harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

constexpr int kDpi = 144;

std::wstring TextOf(HWND hwnd)
{
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (const wchar_t c : text)
    {
        out += c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT ClientOnScreen(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A font as the program makes it: `points` at the screen's DPI.
HFONT PointFont(const wchar_t* face, int points)
{
    return CreateFontW(-MulDiv(points, kDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// The size `text` needs in `font`: one line, or wrapped to `width`.
SIZE TextSize(HFONT font, const std::wstring& text, int width = 0)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    const UINT flags = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    // Mnemonic ampersands take no room.
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'&' && i + 1 < text.size())
        {
            ++i;
        }
        shown += text[i];
    }
    DrawTextW(dc, shown.c_str(), -1, &r, flags);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {r.right - r.left, r.bottom - r.top};
}

int FontHeight(HFONT font)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    return metrics.tmHeight;
}

class HighDpi : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { SetProcessDPIAware(); }

    void SetUp() override
    {
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, kDpi) << "the prefix is not at 144 DPI: run these cases with scripts/dpi-check.sh";
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        SetCursorPos(screenW / 2, screenH / 2);
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    bool Start()
    {
        // No follow of the active window: the test's own windows must not pull the view.
        if (!StartZimDesk(m_app, {{L"Options", L"TaskSwitch", L"0"}}))
        {
            return false;
        }
        monitor = WaitForMonitor(m_app);
        const auto mainWindow = FindWindowOf(m_app.Id(), L"TZIM");
        const auto dialogWindow = FindWindowOf(m_app.Id(), L"TOptionsDlg");
        if (!monitor || !mainWindow || !dialogWindow)
        {
            return false;
        }
        main = mainWindow->hwnd;
        dialog = dialogWindow->hwnd;
        Sleep(500);
        return true;
    }

    void Shot(const std::wstring& name, HWND settle = nullptr)
    {
        if (settle)
        {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(settle, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
            RedrawWindow(settle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        Sleep(400);
        EXPECT_FALSE(SaveScreenshot(name).empty());
    }

    // The page shown now: the one visible child dialog of the frame.
    HWND ShownPage()
    {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        {
            if (ClassOf(child) == L"#32770" && IsWindowVisible(child))
            {
                return child;
            }
        }
        return nullptr;
    }

    // Every control of a page lies inside the page, and its caption fits it in
    // the dialog font at this DPI.
    void ExpectPageFits(HWND page, const std::string& pageName, HFONT font)
    {
        const RECT pageRect = ClientOnScreen(page);
        // The page's own font where this process can read it.
        LOGFONTW real{};
        const auto pageFont = reinterpret_cast<HFONT>(SendMessageW(page, WM_GETFONT, 0, 0));
        HFONT measured = nullptr;
        if (pageFont && GetObjectW(pageFont, sizeof(real), &real))
        {
            measured = CreateFontIndirectW(&real);
            font = measured;
        }
        std::printf("[ dpi ] %s: measured in %s\n", pageName.c_str(),
                    measured ? Narrow(real.lfFaceName).c_str() : "MS Shell Dlg 2 (made here)");
        int checked = 0;
        bool firstFit = true;
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        {
            const auto style = static_cast<DWORD>(GetWindowLongPtrW(c, GWL_STYLE));
            if (!(style & WS_VISIBLE))
            {
                continue;
            }
            ++checked;
            const RECT r = WindowRect(c);
            const std::wstring cls = ClassOf(c);
            const std::wstring text = TextOf(c);
            const std::string what = pageName + ": " + Narrow(cls) + " \"" + Narrow(text) + "\" (id " +
                                     std::to_string(GetDlgCtrlID(c)) + ") at " + Describe(r);
            EXPECT_TRUE(Inside(r, pageRect)) << what << " is outside the page " << Describe(pageRect);
            if (text.empty() || (cls != L"Button" && cls != L"Static"))
            {
                continue;
            }
            const int width = r.right - r.left;
            const int height = r.bottom - r.top;
            const DWORD type = style & (cls == L"Button" ? BS_TYPEMASK : SS_TYPEMASK);
            if (cls == L"Static" && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT))
            {
                // Wrapped to the control's width: all lines within its height.
                const SIZE need = TextSize(font, text, width);
                EXPECT_LE(need.cy, height) << what << " needs " << need.cy << " px of height";
                continue;
            }
            // The font made here measures about 7% wider than the one Wine draws
            // the dialog in ("Mouse scroll": 93 px measured, 87 px drawn in
            // dpi-options-general.png), so widths get 8% of slack.
            SIZE need = TextSize(font, text);
            need.cx = MulDiv(need.cx, 92, 100);
            if (firstFit)
            {
                firstFit = false;
                std::printf("[ dpi ] %s: \"%s\" needs %ld x %ld px in %d x %d\n", pageName.c_str(),
                            Narrow(text).c_str(), need.cx, need.cy, width, height);
            }
            if (cls == L"Static" && type == SS_LEFTNOWORDWRAP)
            {
                EXPECT_LE(need.cx, width) << what << " needs " << need.cx << " px";
            }
            else if (cls == L"Button")
            {
                const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                                 type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
                // The check box and the gap before the caption, as the system draws them at this DPI.
                const int room = box ? width - MulDiv(13 + 4, kDpi, 96)
                                     : width - (type == BS_GROUPBOX ? MulDiv(8, kDpi, 96) : MulDiv(4, kDpi, 96));
                EXPECT_LE(need.cx, room) << what << " needs " << need.cx << " px, has " << room;
                if (type != BS_GROUPBOX)
                {
                    EXPECT_LE(need.cy, height) << what << " needs " << need.cy << " px of height";
                }
            }
        }
        EXPECT_GT(checked, 0) << pageName << " shows no controls";
        if (measured)
        {
            DeleteObject(measured);
        }
    }

    int screenW = 0;
    int screenH = 0;
    HWND monitor = nullptr;
    HWND main = nullptr;
    HWND dialog = nullptr;
    ChildProcess m_app;
    ChildProcess m_helpers;
};

TEST_F(HighDpi, TheSwitchMovesWindowsByWholePhysicalScreens)
{
    EXPECT_EQ(screenW, 1024) << "the screen size must be real pixels";
    EXPECT_EQ(screenH, 768);
    ASSERT_TRUE(m_helpers.Start(BinDir() + L"\\testwin.exe",
                                L"open --count 2 --title \"DPI switch\" --rect 50,60,200,120", true));
    ASSERT_TRUE(WaitUntil([&] { return HelperWindows(m_helpers).size() == 2; }, 15s));
    ASSERT_TRUE(Start());
    std::vector<std::pair<HWND, RECT>> windows;
    for (HWND h : HelperWindows(m_helpers))
    {
        windows.emplace_back(h, WindowRect(h));
    }
    const auto allAt = [&](int dx, int dy)
    {
        for (const auto& [hwnd, rect] : windows)
        {
            RECT expected = rect;
            OffsetRect(&expected, dx, dy);
            if (!SameRect(WindowRect(hwnd), expected))
            {
                return false;
            }
        }
        return true;
    };
    Shot(L"dpi-desktop-0-0", monitor);

    ClickMonitorCell(monitor, 1, 1);
    EXPECT_TRUE(WaitUntil([&] { return allAt(-1024, -768); }, 10s))
        << "after a switch to (1, 1) the first window is at " << Describe(WindowRect(windows[0].first));
    Shot(L"dpi-desktop-1-1", monitor);
    ClickMonitorCell(monitor, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return allAt(0, 0); }, 10s))
        << "after the switch back the first window is at " << Describe(WindowRect(windows[0].first));
}

TEST_F(HighDpi, TheMonitorItsMenuAndTheProgramsPopupFitTheirText)
{
    ASSERT_TRUE(m_helpers.Start(BinDir() + L"\\testwin.exe",
                                L"open --count 2 --title \"A window with a long title\" --rect 300,300,200,120", true));
    ASSERT_TRUE(WaitUntil([&] { return HelperWindows(m_helpers).size() == 2; }, 15s));
    ASSERT_TRUE(Start());
    const RECT screen{0, 0, screenW, screenH};
    EXPECT_TRUE(Inside(WindowRect(monitor), screen)) << "the monitor at " << Describe(WindowRect(monitor));
    const RECT monitorClient = ClientOnScreen(monitor);
    for (HWND c = GetWindow(monitor, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    {
        if (IsWindowVisible(c))
        {
            EXPECT_TRUE(Inside(WindowRect(c), monitorClient)) << Narrow(ClassOf(c)) << " at " << Describe(WindowRect(c))
                                                              << " outside the monitor " << Describe(monitorClient);
        }
    }
    Shot(L"dpi-monitor", monitor);

    // The main menu, as a right press on the monitor's caption opens it.
    const RECT r = WindowRect(monitor);
    const POINT caption{r.left + 40, r.top + GetSystemMetrics(SM_CYSMCAPTION) / 2 + 2};
    const auto menu = [&]() -> std::optional<WindowInfo>
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"#32768" && w.visible)
            {
                return w;
            }
        }
        return std::nullopt;
    };
    PostMessageW(monitor, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(caption.x, caption.y));
    std::optional<WindowInfo> shown;
    EXPECT_TRUE(WaitUntil([&] { return (shown = menu()).has_value(); }, 5s)) << "no main menu";
    if (shown)
    {
        Shot(L"dpi-main-menu");
        EXPECT_TRUE(Inside(shown->rect, screen)) << "the menu at " << Describe(shown->rect);
        // Each of its items is at least as high as the menu font at this DPI.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        const HFONT menuFont = CreateFontIndirectW(&metrics.lfMenuFont);
        EXPECT_GE(FontHeight(menuFont), MulDiv(11, kDpi, 96)) << "the menu font is not scaled";
        DeleteObject(menuFont);
        PressKey(VK_ESCAPE);
        if (!WaitUntil([&] { return !menu(); }, 3s))
        {
            PostMessageW(shown->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_TRUE(WaitUntil([&] { return !menu(); }, 5s)) << "the menu did not close";
    }

    // The programs popup of desktop (0, 0), where both windows are: a right
    // press held on an empty spot of its cell.
    const RECT grid = MonitorGridArea(monitor);
    POINT at{grid.left + (grid.right - grid.left) / 3 - 4, grid.top + (grid.bottom - grid.top) / 3 - 4};
    ClientToScreen(monitor, &at);
    SetCursorPos(at.x, at.y);
    WaitUntil(
        [&]
        {
            POINT p{};
            GetCursorPos(&p);
            return p.x == at.x && p.y == at.y;
        },
        2s);
    Sleep(300);
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    SendInput(1, &press, sizeof(press));
    std::optional<WindowInfo> popup;
    const bool opened = WaitUntil(
        [&]
        {
            const auto w = FindWindowOf(m_app.Id(), L"TZIM2");
            popup = (w && w->visible) ? w : std::nullopt;
            return popup.has_value();
        },
        5s);
    int itemHeight = 0;
    int count = 0;
    RECT listClient{};
    std::vector<std::wstring> titles;
    if (opened)
    {
        Sleep(300);
        SaveScreenshot(L"dpi-programs-popup");
        const HWND list = GetWindow(popup->hwnd, GW_CHILD);
        itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        GetClientRect(list, &listClient);
        for (int i = 0; i < count; ++i)
        {
            wchar_t text[128] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 128)
            {
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            }
            titles.emplace_back(text);
        }
        popup = FindWindowOf(m_app.Id(), L"TZIM2");
    }
    press.mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(1, &press, sizeof(press));
    ASSERT_TRUE(opened) << "no programs popup";
    ASSERT_GE(count, 2);
    // The list draws in the standard font, 8 points at this DPI.
    const HFONT font = PointFont(L"MS Sans Serif", 8);
    const int fontHeight = FontHeight(font);
    EXPECT_GE(itemHeight, fontHeight) << "rows of " << itemHeight << " px cut the " << fontHeight << " px font";
    EXPECT_GE(listClient.bottom, count * itemHeight) << "the popup shows only part of its " << count << " rows";
    for (const std::wstring& title : titles)
    {
        EXPECT_LE(TextSize(font, title).cx, listClient.right) << "cut off: " << Narrow(title);
    }
    DeleteObject(font);
    EXPECT_TRUE(Inside(popup->rect, screen)) << "the popup at " << Describe(popup->rect);
}

TEST_F(HighDpi, EveryPageOfTheOptionsDialogShowsAllItsControlsWhole)
{
    ASSERT_TRUE(Start());
    PostMessageW(main, WM_COMMAND, IDM_OPTIONS, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10s));
    const RECT screen{0, 0, screenW, screenH};
    EXPECT_TRUE(Inside(WindowRect(dialog), screen)) << "the dialog at " << Describe(WindowRect(dialog));
    const RECT client = ClientOnScreen(dialog);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    {
        EXPECT_TRUE(Inside(WindowRect(c), client))
            << Narrow(ClassOf(c)) << " at " << Describe(WindowRect(c)) << " outside the dialog " << Describe(client);
    }
    // The dialogs' font (DS_SHELLFONT): "MS Shell Dlg 2", 8 points.
    const HFONT font = PointFont(L"MS Shell Dlg 2", 8);
    const wchar_t* const names[] = {L"general",       L"sticky-windows", L"sticky-classes", L"compatibility",
                                    L"shortcut-keys", L"wallpapers",     L"about"};
    SetForegroundWindow(dialog);
    for (const wchar_t* name : names)
    {
        const HWND page = ShownPage();
        ASSERT_TRUE(page);
        Shot(std::wstring(L"dpi-options-") + name, dialog);
        ExpectPageFits(page, Narrow(name), font);
        PressKey(VK_TAB, {VK_CONTROL});
        if (!WaitUntil([&] { return ShownPage() != page && ShownPage() != nullptr; }, 3s))
        {
            SetForegroundWindow(dialog);
            PressKey(VK_TAB, {VK_CONTROL});
            EXPECT_TRUE(WaitUntil([&] { return ShownPage() != page && ShownPage() != nullptr; }, 3s))
                << "no page after " << Narrow(name);
        }
    }
    DeleteObject(font);
}

} // namespace
} // namespace zim::e2e
