// The tray icons and the hidden main window of the real program: the icons in
// the task bar's notification area, switching with the arrow icons, the menu's
// way out, and the end of the Windows session.

#include "app/resource.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstdint>
#include <map>
#include <optional>
#include <thread>
#include <vector>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

constexpr UINT kTrayCallback = WM_USER + 1;

// The screen's pixels as 0x00RRGGBB, row by row.
class ScreenPixels
{
public:
    ScreenPixels()
    {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        pixels.assign(static_cast<std::size_t>(width) * height, 0);
        const HDC screen = GetDC(nullptr);
        const HDC memory = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &bmi, DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }

    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// One of the program's icons as the shell draws it in the tray: its opaque pixels
// (0x00RRGGBB) by position; the soft corners blend with the background and are left out.
struct IconImage
{
    int size = 0;
    std::map<std::pair<int, int>, std::uint32_t> opaque;
};

std::optional<IconImage> LoadProgramIcon(int id)
{
    const std::wstring exe = BinDir() + L"\\zimdesk.exe";
    const HMODULE module =
        LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
    {
        return std::nullopt;
    }
    const int size = GetSystemMetrics(SM_CXSMICON);
    const HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    std::optional<IconImage> out;
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info) && info.hbmColor)
    {
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(size) * size);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = size;
        bmi.bmiHeader.biHeight = -size;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        const HDC dc = GetDC(nullptr);
        if (GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(size), argb.data(), &bmi, DIB_RGB_COLORS))
        {
            out.emplace();
            out->size = size;
            for (int y = 0; y < size; ++y)
            {
                for (int x = 0; x < size; ++x)
                {
                    const std::uint32_t p = argb[static_cast<std::size_t>(y) * size + x];
                    if ((p >> 24) == 0xFF)
                    {
                        out->opaque[{x, y}] = p & 0xFFFFFF;
                    }
                }
            }
        }
        ReleaseDC(nullptr, dc);
    }
    if (info.hbmColor)
    {
        DeleteObject(info.hbmColor);
    }
    if (info.hbmMask)
    {
        DeleteObject(info.hbmMask);
    }
    if (icon)
    {
        DestroyIcon(icon);
    }
    FreeLibrary(module);
    return out;
}

// Where the icon is drawn inside the task bar: the top-left of its image on the screen.
std::optional<POINT> FindInTaskbar(const IconImage& icon)
{
    const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray || icon.opaque.empty())
    {
        return std::nullopt;
    }
    const RECT bar = WindowRect(tray);
    const ScreenPixels screen;
    for (int top = std::max(0L, bar.top); top + icon.size <= std::min<long>(bar.bottom, screen.height); ++top)
    {
        for (int left = std::max(0L, bar.left); left + icon.size <= std::min<long>(bar.right, screen.width); ++left)
        {
            bool match = true;
            for (const auto& [at, colour] : icon.opaque)
            {
                if (screen.At(left + at.first, top + at.second) != colour)
                {
                    match = false;
                    break;
                }
            }
            if (match)
            {
                return POINT{left, top};
            }
        }
    }
    return std::nullopt;
}

class TrayIcons : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        screenH = GetSystemMetrics(SM_CYSCREEN);
        // Away from every screen edge, so that edge scrolling stays out of it.
        SetCursorPos(screenW / 2, screenH / 2);
        ASSERT_TRUE(m_helpers.Start(BinDir() + L"\\testwin.exe",
                                    L"open --count 3 --title \"Tray test\" --rect 200,150,300,200", true));
        ASSERT_TRUE(WaitUntil([&] { return HelperWindows().size() == 3; }, 15s)) << "helper windows did not appear";
        for (HWND h : HelperWindows())
        {
            m_original[h] = WindowRect(h);
        }

        ASSERT_TRUE(StartZimDesk(m_app));
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                const auto monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor");
                return monitor && monitor->visible && FindWindowOf(m_app.Id(), L"TZIM") && IconWindow(L"TrayIcon1") &&
                       IconWindow(L"TrayRight");
            },
            15s))
            << "the program's windows did not appear";
        monitor = FindWindowOf(m_app.Id(), L"TZIMMonitor")->hwnd;
        mainWindow = FindWindowOf(m_app.Id(), L"TZIM")->hwnd;
    }

    void TearDown() override
    {
        SetCursorPos(screenW / 2, screenH / 2);
        CloseProgram(m_app, monitor);
    }

    std::vector<HWND> HelperWindows() const { return zim::e2e::HelperWindows(m_helpers); }

    // The notification window of one of the program's tray icons, by its name.
    HWND IconWindow(const std::wstring& name)
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"ZimTrayIcon" && w.title == name)
            {
                return w.hwnd;
            }
        }
        return nullptr;
    }

    // What the shell sends when the icon is clicked.
    void PostIconMessage(const std::wstring& name, LPARAM mouseMessage)
    {
        const HWND window = IconWindow(name);
        ASSERT_TRUE(window) << "no notification window for the icon";
        PostMessageW(window, kTrayCallback, 0, mouseMessage);
    }

    // Every helper window lies shifted by whole screens from its own place.
    bool HelpersShiftedBy(int columns, int rows)
    {
        for (const auto& [hwnd, rect] : m_original)
        {
            const RECT now = WindowRect(hwnd);
            if (now.left != rect.left - columns * screenW || now.top != rect.top - rows * screenH)
            {
                return false;
            }
        }
        return true;
    }

    void ExpectHelpersBackInPlace()
    {
        for (const auto& [hwnd, rect] : m_original)
        {
            const RECT now = WindowRect(hwnd);
            EXPECT_TRUE(now.left < screenW && now.right > 0 && now.top < screenH && now.bottom > 0)
                << "a window was left off the visible screen at " << now.left << "," << now.top;
            EXPECT_TRUE(SameRect(now, rect))
                << "now " << now.left << "," << now.top << " was " << rect.left << "," << rect.top;
        }
    }

    // The program's popup menu is open on the screen.
    bool MenuOpen()
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"#32768" && w.visible)
            {
                return true;
            }
        }
        return false;
    }

    void ShowTrayArrows()
    {
        // The menu item's command, as the menu sends it.
        PostMessageW(mainWindow, WM_COMMAND, IDM_SHOW_TRAY_ARROWS, 0);
    }

    int screenW = 0;
    int screenH = 0;
    HWND monitor = nullptr;
    HWND mainWindow = nullptr;
    ChildProcess m_helpers;
    ChildProcess m_app;
    std::map<HWND, RECT> m_original;
};

TEST_F(TrayIcons, TheProgramIconAloneIsInTheNotificationAreaAtStartAndTheArrowsFollowTheMenu)
{
    const auto program = LoadProgramIcon(IDI_ZIMDESK);
    const auto right = LoadProgramIcon(IDI_ARROW_RIGHT);
    const auto left = LoadProgramIcon(IDI_ARROW_LEFT);
    ASSERT_TRUE(program && right && left) << "the icons could not be read from the program";
    ASSERT_GT(right->opaque.size(), 100u);

    EXPECT_TRUE(WaitUntil([&] { return FindInTaskbar(*program).has_value(); }, 10s))
        << "the program icon is not in the notification area";
    SaveScreenshot(L"tray-program-icon");
    EXPECT_FALSE(FindInTaskbar(*right)) << "the arrows are off at start";

    ShowTrayArrows();
    EXPECT_TRUE(WaitUntil([&] { return FindInTaskbar(*right) && FindInTaskbar(*left); }, 10s))
        << "the arrow icons did not appear";
    SaveScreenshot(L"tray-arrows");

    ShowTrayArrows();
    EXPECT_TRUE(WaitUntil([&] { return !FindInTaskbar(*right) && !FindInTaskbar(*left); }, 10s))
        << "the arrow icons did not go";
    EXPECT_TRUE(FindInTaskbar(*program)) << "the program icon stays";
}

TEST_F(TrayIcons, TheRightArrowSwitchesRightAndDoesNothingAtTheLastColumn)
{
    const auto right = LoadProgramIcon(IDI_ARROW_RIGHT);
    ASSERT_TRUE(right);
    ShowTrayArrows();
    std::optional<POINT> at;
    ASSERT_TRUE(WaitUntil([&] { return (at = FindInTaskbar(*right)).has_value(); }, 10s))
        << "the right arrow is not in the notification area";

    // A real click on the icon where the shell shows it.
    ClickAt({at->x + right->size / 2, at->y + right->size / 2});
    const bool movedByClick = WaitUntil([&] { return HelpersShiftedBy(1, 0); }, 10s);
    SetCursorPos(screenW / 2, screenH / 2);
    SaveScreenshot(L"tray-after-right-click");
    EXPECT_TRUE(movedByClick) << "a click on the right arrow did not switch right";

    // The shell's notification of the same click.
    PostIconMessage(L"TrayRight", WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return HelpersShiftedBy(2, 0); }, 10s)) << "the second switch right did not happen";

    // At the last column the switch is refused. The left click behind it in the
    // same queue proves the first was handled: one column back from the last.
    PostIconMessage(L"TrayRight", WM_LBUTTONUP);
    PostIconMessage(L"TrayLeft", WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return HelpersShiftedBy(1, 0); }, 10s))
        << "the right arrow at the last column moved the windows";
}

TEST_F(TrayIcons, ExitFromTheTrayMenuEndsTheProgramWithEveryWindowBack)
{
    PostIconMessage(L"TrayRight", WM_LBUTTONUP);
    PostIconMessage(L"traydown", WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return HelpersShiftedBy(1, 1); }, 10s)) << "the arrows did not switch";

    PostIconMessage(L"TrayIcon1", WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return MenuOpen(); }, 10s)) << "the tray menu did not open";
    SaveScreenshot(L"tray-menu");

    // From no selection, up selects the last item: "Exit Zim Desk".
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    const auto code = m_app.Wait(20s);
    ASSERT_TRUE(code.has_value()) << "the program did not end";
    EXPECT_EQ(*code, 0u);
    ExpectHelpersBackInPlace();
    SaveScreenshot(L"tray-after-exit");
}

TEST_F(TrayIcons, TheMenuHidesTheMonitorAndTheProgramIconShowsItAgain)
{
    // For the screenshot: the check mark and the radio mark follow the choices.
    ShowTrayArrows();
    PostMessageW(mainWindow, WM_COMMAND, IDM_ICON_DESKTOP_3, 0);
    PostMessageW(mainWindow, WM_COMMAND, IDM_CLOSE_MONITOR, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(monitor); }, 10s)) << "the monitor stayed";
    EXPECT_TRUE(m_app.Running()) << "hiding the monitor never ends the program";

    // Now the menu offers "Show Desktop Monitor", in bold as its default item.
    PostIconMessage(L"TrayIcon1", WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return MenuOpen(); }, 10s)) << "the tray menu did not open";
    SaveScreenshot(L"tray-menu-monitor-hidden");
    // Down to "Icon Desktops" and into it.
    for (const WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT})
    {
        PressKey(key);
    }
    std::this_thread::sleep_for(500ms); // nothing to wait for but the painting
    SaveScreenshot(L"tray-menu-icon-desktops");
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !MenuOpen(); }, 10s)) << "the menu did not close";

    PostIconMessage(L"TrayIcon1", WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(monitor) != FALSE; }, 10s))
        << "a click on the program icon did not show the monitor";
}

TEST_F(TrayIcons, SessionEndEndsTheProgramWithEveryWindowBackOnlyWhenItReallyEnds)
{
    PostIconMessage(L"TrayRight", WM_LBUTTONUP);
    PostIconMessage(L"TrayRight", WM_LBUTTONUP);
    PostIconMessage(L"traydown", WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return HelpersShiftedBy(2, 1); }, 10s)) << "the arrows did not switch";

    DWORD_PTR result = 12345;
    ASSERT_NE(SendMessageTimeoutW(mainWindow, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
    EXPECT_EQ(result, 0u);
    // The session goes on: the program, its windows and the desktop stay as they were.
    PostIconMessage(L"TrayLeft", WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return HelpersShiftedBy(1, 1); }, 10s)) << "the program stopped switching";
    EXPECT_TRUE(m_app.Running());
    EXPECT_TRUE(IsWindowVisible(monitor));

    result = 12345;
    ASSERT_NE(SendMessageTimeoutW(mainWindow, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_EQ(result, 0u);
    const auto code = m_app.Wait(20s);
    ASSERT_TRUE(code.has_value()) << "the program did not end with the session";
    ExpectHelpersBackInPlace();
}

TEST_F(TrayIcons, AShellRestartPutsTheIconsBack)
{
    const auto program = LoadProgramIcon(IDI_ZIMDESK);
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitUntil([&] { return FindInTaskbar(*program).has_value(); }, 10s));

    // The icon leaves the tray as if the shell had gone away...
    NOTIFYICONDATAW gone{};
    gone.cbSize = NOTIFYICONDATAW_V2_SIZE;
    gone.hWnd = IconWindow(L"TrayIcon1");
    gone.uID = 0;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_TRUE(WaitUntil([&] { return !FindInTaskbar(*program).has_value(); }, 10s));

    // ...and comes back when the shell announces its new task bar.
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return FindInTaskbar(*program).has_value(); }, 10s)) << "the icon was not added again";
}

TEST_F(TrayIcons, BogusHookMessagesAreAnsweredAndIgnored)
{
    const auto ask = [&](UINT message, WPARAM wParam, LPARAM lParam)
    {
        DWORD_PTR result = 12345;
        EXPECT_NE(SendMessageTimeoutW(mainWindow, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result), 0);
        return result;
    };
    const HWND helper = m_original.begin()->first;
    // An address that is not readable in the program, and a window that does not exist.
    EXPECT_EQ(ask(WM_USER + 9, reinterpret_cast<WPARAM>(helper), 0x10), 0u);
    EXPECT_EQ(ask(WM_USER + 9, reinterpret_cast<WPARAM>(helper), static_cast<LPARAM>(-64)), 0u);
    EXPECT_EQ(ask(WM_USER + 4, 0x7FFF0, 16 * (3994 + 1)), 0u);
    EXPECT_EQ(ask(WM_USER + 4, reinterpret_cast<WPARAM>(helper), 16 * (3994 + 99)), 0u);
    EXPECT_TRUE(m_app.Running());
    EXPECT_TRUE(HelpersShiftedBy(0, 0)) << "a bogus message moved a window";
    EXPECT_EQ(ask(WM_USER + 7, 0, 0), 3u) << "the program still answers";
}

} // namespace
} // namespace zim::e2e
