// The skinned monitor with the real program: every shipped skin and a natural
// skin chosen in the options dialog, the window's outline following the skin
// bitmap, the twelve buttons doing their commands, the label dragging the
// monitor, a broken skin changing nothing, and a skin larger than the screen.

#include "app/resource.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

const wchar_t* const kShippedSkins[] = {L"silver", L"LCD", L"Green", L"LCDSmall", L"Blue", L"SilverSmall", L"Brown"};

std::wstring SkinFolder()
{
    return BinDir() + L"\\skins";
}

int SkinValue(const std::wstring& skin, const wchar_t* section, const wchar_t* key, int fallback)
{
    const std::wstring file = SkinFolder() + L"\\" + skin + L".zim";
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, file.c_str()));
}

RECT SkinRect(const std::wstring& skin, const wchar_t* section)
{
    const int left = SkinValue(skin, section, L"Left", -1);
    const int top = SkinValue(skin, section, L"Top", -1);
    return {left, top, left + SkinValue(skin, section, L"Width", -1), top + SkinValue(skin, section, L"Height", -1)};
}

// The pixels of a shipped 24-bit bitmap as COLORREFs, rows from the top.
struct SkinBitmap
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

SkinBitmap ReadSkinBitmap(const std::wstring& skin)
{
    std::ifstream in(std::filesystem::path(SkinFolder() + L"\\" + skin + L".bmp"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SkinBitmap bmp;
    if (bytes.size() < 54)
    {
        return bmp;
    }
    const auto u32 = [&](std::size_t at)
    {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    bmp.width = static_cast<int>(u32(18));
    bmp.height = static_cast<int>(u32(22));
    const std::size_t offset = u32(10);
    const std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
    if (bytes.size() < offset + stride * bmp.height)
    {
        return {};
    }
    bmp.pixels.resize(static_cast<std::size_t>(bmp.width) * bmp.height);
    for (int y = 0; y < bmp.height; ++y)
    {
        const std::size_t row = offset + stride * static_cast<std::size_t>(bmp.height - 1 - y); // bottom-up
        for (int x = 0; x < bmp.width; ++x)
        {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            bmp.pixels[static_cast<std::size_t>(y) * bmp.width + x] =
                RGB(static_cast<unsigned char>(bytes[at + 2]), static_cast<unsigned char>(bytes[at + 1]),
                    static_cast<unsigned char>(bytes[at]));
        }
    }
    return bmp;
}

bool SameColor(COLORREF a, COLORREF b)
{
    return (a & 0xFFFFFF) == (b & 0xFFFFFF);
}

COLORREF ScreenPixel(POINT p)
{
    const HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return color;
}

class Skin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetCursorPos(&pointerBefore);
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 30, GetSystemMetrics(SM_CYSCREEN) / 2);
    }

    void TearDown() override
    {
        SetCursorPos(pointerBefore.x, pointerBefore.y);
        CloseProgram(m_app, monitor);
        for (const std::wstring& file : m_planted)
        {
            DeleteFileW(file.c_str());
        }
    }

    bool Start(const std::vector<SettingValue>& extra = {})
    {
        std::vector<SettingValue> settings = {{L"Options", L"TaskSwitch", L"0"}};
        settings.insert(settings.end(), extra.begin(), extra.end());
        if (!StartZimDesk(m_app, settings))
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
        return true;
    }

    // A skin file planted in the skin folder for this test only. A test before
    // may have left no skin folder; the program would then fill it only with
    // the default skin, so the shipped ones are put there first.
    void Plant(const std::wstring& name, const std::string& contents)
    {
        CreateDirectoryW(SkinFolder().c_str(), nullptr);
        WIN32_FIND_DATAW found{};
        const std::wstring data = BinDir() + L"\\data\\";
        const HANDLE find = FindFirstFileW((data + L"*.*").c_str(), &found);
        const auto isSkinFile = [](const std::wstring& file)
        {
            const std::wstring ext = file.size() > 4 ? file.substr(file.size() - 4) : L"";
            return ext == L".zim" || ext == L".bmp";
        };
        if (find != INVALID_HANDLE_VALUE)
        {
            do
            {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isSkinFile(found.cFileName))
                {
                    CopyFileW((data + found.cFileName).c_str(), (SkinFolder() + L"\\" + found.cFileName).c_str(), TRUE);
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        const std::wstring path = SkinFolder() + L"\\" + name;
        std::ofstream out(std::filesystem::path(path), std::ios::binary);
        out << contents;
        ASSERT_TRUE(out.good()) << "cannot write the skin folder";
        m_planted.push_back(path);
    }

    bool OpenOptions()
    {
        PostMessageW(main, WM_COMMAND, IDM_OPTIONS, 0);
        return WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10s);
    }

    void CloseOptions()
    {
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s);
    }

    // Picks a skin in the options dialog's list as the user does; posted, so
    // that an error box the choice opens does not block the test.
    bool ChooseSkin(const std::wstring& file)
    {
        const HWND combo = DialogControl(dialog, IDC_SKIN);
        if (!combo)
        {
            return false;
        }
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
        {
            wchar_t text[MAX_PATH] = {};
            if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < MAX_PATH)
            {
                SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            }
            if (file == text)
            {
                SendMessageW(combo, CB_SETCURSEL, i, 0);
                PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_SKIN, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(combo));
                return true;
            }
        }
        return false;
    }

    // The skin's grid area reported by the program and its bitmap's size on the window.
    bool Applied(const std::wstring& skin)
    {
        const SkinBitmap bmp = ReadSkinBitmap(skin);
        const RECT r = WindowRect(monitor);
        return IsWindowVisible(monitor) && SameRect(MonitorGridArea(monitor), SkinRect(skin, L"Desktop Grid")) &&
               r.right - r.left == bmp.width && r.bottom - r.top == bmp.height;
    }

    POINT OnScreen(int x, int y) const
    {
        POINT p{x, y};
        ClientToScreen(monitor, &p);
        return p;
    }

    void PostClick(POINT client)
    {
        const LPARAM at = MAKELPARAM(client.x, client.y);
        PostMessageW(monitor, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(monitor, WM_LBUTTONUP, 0, at);
    }

    POINT ButtonCentre(const std::wstring& skin, const wchar_t* hint)
    {
        const std::wstring section = std::wstring(hint) + L" Button";
        const RECT r = SkinRect(skin, section.c_str());
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // The options dialog's page showing now, or null.
    HWND ShownPage()
    {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        {
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (std::wstring(name) == L"#32770" && IsWindowVisible(child))
            {
                return child;
            }
        }
        return nullptr;
    }

    HWND ErrorBox()
    {
        for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
        {
            if (w.className == L"#32770" && w.visible && w.title == L"Error")
            {
                return w.hwnd;
            }
        }
        return nullptr;
    }

    POINT pointerBefore{};
    HWND monitor = nullptr;
    HWND main = nullptr;
    HWND dialog = nullptr;
    ChildProcess m_app;
    std::vector<std::wstring> m_planted;
};

TEST_F(Skin, EveryShippedSkinAndANaturalSkinApplyFromTheOptionsDialogWithTheirOutline)
{
    // A natural skin beside the shipped ones, in the same folder for this test.
    Plant(L"Plain.zim", "[Skin type]\r\nNatural=1\r\n");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"silver"); }, 10s)) << "the default skin was not applied";
    ASSERT_TRUE(OpenOptions());
    // Clear of the dialog, over the bare desktop.
    const RECT box = WindowRect(dialog);
    const int x = box.right + 10 + 300 <= GetSystemMetrics(SM_CXSCREEN) ? box.right + 10 : 10;
    const int y = box.right + 10 + 300 <= GetSystemMetrics(SM_CXSCREEN) ? 10 : box.bottom + 10;

    for (const wchar_t* skin : kShippedSkins)
    {
        SCOPED_TRACE(::testing::Message() << "skin " << std::string(skin, skin + wcslen(skin)));
        ASSERT_TRUE(ChooseSkin(std::wstring(skin) + L".zim"));
        ASSERT_TRUE(WaitUntil([&] { return Applied(skin); }, 10s)) << "not applied";
        SetWindowPos(monitor, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(WindowRect(monitor).left, x);
        EXPECT_EQ(GetWindowLongPtrW(monitor, GWL_STYLE) & WS_CAPTION, 0) << "a bitmap skin has no caption";
        RedrawWindow(monitor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Sleep(300);

        // Where the bitmap has the mask colour the desktop shows; elsewhere the
        // bitmap does. The corners are cut; the frame at the middle of the left
        // edge is not.
        const SkinBitmap bmp = ReadSkinBitmap(skin);
        const COLORREF mask = static_cast<COLORREF>(SkinValue(skin, L"Background Image", L"TransparentColor", 0));
        ASSERT_TRUE(SameColor(bmp.At(0, 0), mask)) << "the shipped skins have cut corners";
        EXPECT_FALSE(SameColor(ScreenPixel(OnScreen(0, 0)), mask)) << "the corner is not cut out";
        EXPECT_FALSE(SameColor(ScreenPixel(OnScreen(bmp.width - 1, bmp.height - 1)), mask));
        int edge = 0;
        while (edge < bmp.width / 4 && SameColor(bmp.At(edge, bmp.height / 2), mask))
        {
            ++edge;
        }
        const POINT frame{edge + 2, bmp.height / 2};
        EXPECT_TRUE(SameColor(ScreenPixel(OnScreen(frame.x, frame.y)), bmp.At(frame.x, frame.y)))
            << "the skin bitmap is not drawn";
        SaveScreenshot(L"skin-" + std::wstring(skin));
    }

    ASSERT_TRUE(ChooseSkin(L"Plain.zim"));
    ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongPtrW(monitor, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }, 10s))
        << "a natural skin has a caption";
    RECT client{};
    GetClientRect(monitor, &client);
    EXPECT_TRUE(WaitUntil([&] { return SameRect(MonitorGridArea(monitor), client); }, 5s))
        << "the natural grid fills the client area";
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(monitor, region), ERROR) << "a natural skin has no outline";
    DeleteObject(region);
    SetWindowPos(monitor, nullptr, x, y, 320, 260, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(monitor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    Sleep(300);
    EXPECT_TRUE(SameColor(ScreenPixel(OnScreen(client.right / 2, client.bottom / 2)), GetSysColor(COLOR_APPWORKSPACE)));
    SaveScreenshot(L"skin-natural");

    // And back to a bitmap skin, outline and all.
    ASSERT_TRUE(ChooseSkin(L"Green.zim"));
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"Green"); }, 10s));
    EXPECT_EQ(GetWindowLongPtrW(monitor, GWL_STYLE) & WS_CAPTION, 0);
    CloseOptions();
}

TEST_F(Skin, APixelOutsideTheOutlineShowsWhatLiesBehindTheMonitor)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"silver"); }, 10s));
    const SkinBitmap bmp = ReadSkinBitmap(L"silver");
    const COLORREF mask = static_cast<COLORREF>(SkinValue(L"silver", L"Background Image", L"TransparentColor", 0));
    // The stand's sides at the bottom: cut out beside it.
    const int y = bmp.height - 3;
    int x = 0;
    while (x < bmp.width && !SameColor(bmp.At(x, y), mask))
    {
        ++x;
    }
    ASSERT_LT(x, bmp.width);
    const POINT cut = OnScreen(x, y);
    const COLORREF shown = ScreenPixel(cut);

    // The X button hides the monitor: what is at the cut-out point now is what was behind it.
    const POINT close = OnScreen(ButtonCentre(L"silver", L"Close Desktop Monitor").x,
                                 ButtonCentre(L"silver", L"Close Desktop Monitor").y);
    ClickAt(close);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(monitor); }, 5s)) << "the X button did not hide the monitor";
    Sleep(300);
    EXPECT_TRUE(SameColor(ScreenPixel(cut), shown)) << "the cut-out pixel showed the monitor";
    EXPECT_TRUE(m_app.Running()) << "hiding never ends the program";
}

TEST_F(Skin, TheButtonsRunTheirCommands)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"silver"); }, 10s));
    SaveScreenshot(L"skin-buttons");
    const auto pageOf = [&](int id) { return GetParent(DialogControl(dialog, id)); };
    const struct
    {
        const wchar_t* hint;
        int controlOnPage;
    } pages[] = {{L"About", IDC_ABOUT_TITLE}, {L"Sticky Windows", IDC_STICKY_WINDOWS}, {L"Options", IDC_MOUSE_SCROLL}};
    for (const auto& page : pages)
    {
        SCOPED_TRACE(::testing::Message() << std::string(page.hint, page.hint + wcslen(page.hint)));
        PostClick(ButtonCentre(L"silver", page.hint));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) && ShownPage() == pageOf(page.controlOnPage); }, 5s))
            << "the button did not open its page";
        CloseOptions();
    }

    // Help hands its page to the shell and opens nothing of the program's own.
    PostClick(ButtonCentre(L"silver", L"Help"));
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(monitor));
    EXPECT_FALSE(IsWindowVisible(dialog));

    // The menu opens at the button's lower-left corner.
    const RECT menuButton = SkinRect(L"silver", L"Menu Button");
    PostClick(ButtonCentre(L"silver", L"Menu"));
    std::optional<WindowInfo> menu;
    const bool opened = WaitUntil(
        [&]
        {
            for (const WindowInfo& w : TopLevelWindowsOf(m_app.Id()))
            {
                if (w.className == L"#32768" && w.visible)
                {
                    menu = w;
                    return true;
                }
            }
            return false;
        },
        5s);
    SaveScreenshot(L"skin-menu-button");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(opened) << "no menu";
    EXPECT_EQ(menu->owner, main) << "not the main menu";
    const POINT corner = OnScreen(menuButton.left, menuButton.bottom);
    EXPECT_EQ(menu->rect.left, corner.x);
    EXPECT_EQ(menu->rect.top, corner.y);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(menu->hwnd) || !IsWindowVisible(menu->hwnd); }, 5s));

    // An icon desktop button chooses its set, which the program keeps at its end.
    PostClick(ButtonCentre(L"silver", L"Icon desktop 4"));
    Sleep(300);
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    wchar_t chosen[16] = {};
    DWORD size = sizeof(chosen);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\zimdesk.ini\\ZIMMonitor", L"CurrentDesktop", RRF_RT_REG_SZ, nullptr,
                 chosen, &size);
    EXPECT_STREQ(chosen, L"4");
}

TEST_F(Skin, APressOnTheCoordinateLabelDragsTheMonitor)
{
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"silver"); }, 10s));
    SetWindowPos(monitor, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT before = WindowRect(monitor);
    const RECT label = SkinRect(L"silver", L"Coordinates");
    const POINT from = OnScreen((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    SetCursorPos(from.x, from.y);
    WaitUntil(
        [&]
        {
            POINT p{};
            GetCursorPos(&p);
            return p.x == from.x && p.y == from.y;
        },
        2s);
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof(press));
    Sleep(300);
    for (int step = 1; step <= 10; ++step)
    {
        SetCursorPos(from.x + 8 * step, from.y + 5 * step);
        Sleep(40);
    }
    INPUT release{};
    release.type = INPUT_MOUSE;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof(release));
    const bool moved = WaitUntil([&] { return WindowRect(monitor).left == before.left + 80; }, 5s);
    SaveScreenshot(L"skin-label-drag");
    EXPECT_TRUE(moved) << "from " << before.left << " to " << WindowRect(monitor).left;
    EXPECT_EQ(WindowRect(monitor).top, before.top + 50);
}

TEST_F(Skin, ASkinWhoseImageIsMissingShowsItsErrorAndKeepsTheMonitorAsItWas)
{
    Plant(L"Broken.zim", "[Background Image]\r\nFilename=missing.bmp\r\n");
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitUntil([&] { return Applied(L"silver"); }, 10s));
    ASSERT_TRUE(OpenOptions());
    ASSERT_TRUE(ChooseSkin(L"Broken.zim"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ErrorBox()) != nullptr; }, 10s)) << "no error box";
    SaveScreenshot(L"skin-broken");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return ErrorBox() == nullptr; }, 5s));
    EXPECT_TRUE(Applied(L"silver")) << "the monitor lost its skin";
    CloseOptions();
}

TEST_F(Skin, ASkinLargerThanTheScreenGivesAWindowInsideTheWorkArea)
{
    // A 2000 x 1500 bitmap, all opaque grey, and a grid area that reaches beyond the screen.
    const int width = 2000;
    const int height = 1500;
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    std::string bmp(54 + stride * height, '\x80');
    const auto put32 = [&](std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
        {
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    std::fill(bmp.begin(), bmp.begin() + 54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    Plant(L"Huge.bmp", bmp);
    Plant(L"Huge.zim", "[Background Image]\r\nFilename=Huge.bmp\r\nTransparentColor=16711935\r\n"
                       "[Desktop Grid]\r\nLeft=100\r\nTop=100\r\nWidth=1900\r\nHeight=1400\r\n");
    ASSERT_TRUE(Start({{L"ZIMMonitor", L"Skin", L"Huge.zim"}, {L"ZIMMonitor", L"Left", L"600"}}));
    // Cut to the work area, so that the task bar and its tray icon stay in reach.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int screenW = work.right - work.left;
    const int screenH = work.bottom - work.top;
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(monitor).right - WindowRect(monitor).left == screenW; }, 10s));
    const RECT r = WindowRect(monitor);
    EXPECT_EQ(r.bottom - r.top, screenH);
    EXPECT_LT(screenH, GetSystemMetrics(SM_CYSCREEN)) << "the shell's task bar takes part of the screen";
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    const RECT grid = MonitorGridArea(monitor);
    EXPECT_LE(grid.right, screenW) << "the grid area lies inside the window";
    EXPECT_LE(grid.bottom, screenH);
    EXPECT_GT(grid.right - grid.left, 0);
    SaveScreenshot(L"skin-huge");
}

} // namespace
} // namespace zim::e2e
