// The options dialog and the hotkeys with the real program: the dialog shows
// what the registry holds, its controls act at once, its two ways of closing
// differ in what they save, and hotkeys typed on the keyboard switch desktops.

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

constexpr UINT kQueryColumns = WM_USER + 7;

// The text a control shows; GetWindowText would read only the creation caption
// of another process's window.
std::wstring TextOf(HWND hwnd)
{
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, &copied);
    return buffer;
}

bool Checked(HWND dialog, int id)
{
    return SendMessageW(DialogControl(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class OptionsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenW = GetSystemMetrics(SM_CXSCREEN);
        SetCursorPos(screenW / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    bool Start(const std::vector<SettingValue>& settings)
    {
        // No follow of the active window: the test's own windows must not pull the view.
        std::vector<SettingValue> all = {{L"Options", L"TaskSwitch", L"0"}};
        all.insert(all.end(), settings.begin(), settings.end());
        if (!StartZimDesk(m_app, all))
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

    // As the tray menu's command opens it.
    bool Open(UINT command = IDM_OPTIONS)
    {
        PostMessageW(main, WM_COMMAND, command, 0);
        return WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10s);
    }

    // The page shown now: the one visible child dialog of the frame.
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

    // A screenshot once the dialog has painted what it shows.
    void Shot(const std::wstring& name)
    {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(300);
        SaveScreenshot(name);
    }

    // Ctrl+Tab until the page holding the control shows.
    bool GoToPageOf(int id)
    {
        const HWND target = GetParent(DialogControl(dialog, id));
        SetForegroundWindow(dialog);
        for (int i = 0; i < 8 && ShownPage() != target; ++i)
        {
            const HWND before = ShownPage();
            PressKey(VK_TAB, {VK_CONTROL});
            WaitUntil([&] { return ShownPage() != before && ShownPage() != nullptr; }, 2s);
        }
        return ShownPage() == target;
    }

    // One test window on the first desktop, to see switches by.
    HWND OpenWitness() { return OpenTestWindow(m_helpers, L"--title \"Options witness\" --rect 100,100,300,200"); }

    bool MovedBy(HWND window, int dx, const RECT& from)
    {
        return WaitUntil([&] { return WindowRect(window).left == from.left + dx; }, 5s);
    }

    int screenW = 0;
    HWND monitor = nullptr;
    HWND main = nullptr;
    HWND dialog = nullptr;
    ChildProcess m_app;
    ChildProcess m_helpers;
    ChildProcess m_holder;
};

TEST_F(OptionsDialog, ShowsThePlantedValuesOnEveryPage)
{
    ASSERT_TRUE(Start({{L"Options", L"SizeX", L"0x4"},
                       {L"Options", L"SizeY", L"2"},
                       {L"Options", L"MouseScroll", L"0"},
                       {L"Options", L"MouseDelay", L"600"},
                       {L"Options", L"AutoHideDelay", L"5000"},
                       {L"Options", L"ShowWndNames", L"0"},
                       {L"Options", L"Hot2", L"39"},
                       {L"Options", L"Control", L"1"},
                       {L"Options", L"Alt", L"1"},
                       {L"Options", L"HotKeys", L"1"},
                       {L"Sticky", L"NbrOfStickyW", L"1"},
                       {L"Sticky", L"StickyW1", L"A closed sticky window"},
                       {L"Hidden", L"NbrOfHiddenWC", L"1"},
                       {L"Hidden", L"HiddenWC1", L"SomeRollUpClass"}}));
    ASSERT_TRUE(Open());

    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"Zim Desk - [Options]");
    RECT client{};
    GetClientRect(dialog, &client);
    const int dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSX);
    EXPECT_EQ(client.right, MulDiv(346, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(362, dpi, 96));

    // The stored text of the grid size stays as it was written.
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_SIZEX)), L"0x4");
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_SIZEY)), L"2");
    EXPECT_FALSE(Checked(dialog, IDC_MOUSE_SCROLL));
    EXPECT_TRUE(Checked(dialog, IDC_WRAP_CURSOR));
    EXPECT_FALSE(Checked(dialog, IDC_SHOW_NAMES));
    EXPECT_TRUE(Checked(dialog, IDC_SYS_MENU));
    EXPECT_EQ(SendMessageW(DialogControl(dialog, IDC_MOUSE_DELAY), TBM_GETPOS, 0, 0), 600);
    EXPECT_EQ(SendMessageW(DialogControl(dialog, IDC_AUTO_HIDE_DELAY), TBM_GETPOS, 0, 0), 5000);
    // The bare key Right, shown as the arrow key.
    const auto hotKey = static_cast<WORD>(SendMessageW(DialogControl(dialog, IDC_HOTKEY_1 + 1), HKM_GETHOTKEY, 0, 0));
    EXPECT_EQ(LOBYTE(hotKey), VK_RIGHT);
    EXPECT_EQ(HIBYTE(hotKey), HOTKEYF_EXT);
    EXPECT_TRUE(Checked(dialog, IDC_HOTKEYS_ENABLED));
    EXPECT_TRUE(Checked(dialog, IDC_HOT_CONTROL));
    EXPECT_FALSE(Checked(dialog, IDC_HOT_SHIFT));
    // The skin list holds the shipped skins, the default one chosen.
    const HWND skins = DialogControl(dialog, IDC_SKIN);
    EXPECT_GE(SendMessageW(skins, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(TextOf(skins), L"silver.zim");
    // The closed sticky window stays listed and checked; so does the class.
    const HWND sticky = DialogControl(dialog, IDC_STICKY_WINDOWS);
    ASSERT_GE(SendMessageW(sticky, LVM_GETITEMCOUNT, 0, 0), 1);
    const HWND compatibility = DialogControl(dialog, IDC_COMPATIBILITY_CLASSES);
    ASSERT_GE(SendMessageW(compatibility, LVM_GETITEMCOUNT, 0, 0), 1);

    // Every page once, as Ctrl+Tab walks them.
    const wchar_t* const names[] = {L"options-general",       L"options-sticky-windows", L"options-sticky-classes",
                                    L"options-compatibility", L"options-shortcut-keys",  L"options-wallpapers",
                                    L"options-about"};
    SetForegroundWindow(dialog);
    HWND seen[7] = {};
    for (int page = 0; page < 7; ++page)
    {
        seen[page] = ShownPage();
        Shot(names[page]);
        const HWND before = ShownPage();
        PressKey(VK_TAB, {VK_CONTROL});
        EXPECT_TRUE(WaitUntil([&] { return ShownPage() != before && ShownPage() != nullptr; }, 3s))
            << "no page after " << page;
    }
    for (int a = 0; a < 7; ++a)
    {
        EXPECT_NE(seen[a], nullptr);
        for (int b = a + 1; b < 7; ++b)
        {
            EXPECT_NE(seen[a], seen[b]) << "pages " << a << " and " << b;
        }
    }
    EXPECT_EQ(ShownPage(), seen[0]) << "Ctrl+Tab after the last page goes back to the first";
}

TEST_F(OptionsDialog, TheTrayCommandsOpenTheirPages)
{
    ASSERT_TRUE(Start({}));
    ASSERT_TRUE(Open(IDM_STICKY_WINDOWS));
    EXPECT_EQ(ShownPage(), GetParent(DialogControl(dialog, IDC_STICKY_WINDOWS)));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s));
    ASSERT_TRUE(Open(IDM_ABOUT));
    EXPECT_EQ(ShownPage(), GetParent(DialogControl(dialog, IDC_ABOUT_TITLE)));
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_ABOUT_TITLE)), L"Zim Desk Virtual Desktop version 2.5");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Open(IDM_OPTIONS));
    EXPECT_EQ(ShownPage(), GetParent(DialogControl(dialog, IDC_MOUSE_SCROLL)));
    // No task-bar button, shown or not.
    const auto info = FindWindowOf(m_app.Id(), L"TOptionsDlg");
    ASSERT_TRUE(info);
    EXPECT_FALSE(WouldHaveTaskbarButton(*info));
}

TEST_F(OptionsDialog, APlantedHotKeySwitchesAndUncheckingEnableStopsItAtOnce)
{
    const HWND witness = OpenWitness();
    ASSERT_TRUE(witness);
    ASSERT_TRUE(Start({{L"Options", L"Hot1", L"37"},
                       {L"Options", L"Hot2", L"39"},
                       {L"Options", L"Control", L"1"},
                       {L"Options", L"Alt", L"1"},
                       {L"Options", L"HotKeys", L"1"}}));
    const RECT home = WindowRect(witness);

    PressKey(VK_RIGHT, {VK_CONTROL, VK_MENU});
    ASSERT_TRUE(MovedBy(witness, -screenW, home)) << "Ctrl+Alt+Right did not switch right";
    PressKey(VK_LEFT, {VK_CONTROL, VK_MENU});
    ASSERT_TRUE(MovedBy(witness, 0, home)) << "Ctrl+Alt+Left did not switch back";
    // At the leftmost column the switch refuses.
    PressKey(VK_LEFT, {VK_CONTROL, VK_MENU});
    Sleep(500);
    EXPECT_EQ(WindowRect(witness).left, home.left);

    ASSERT_TRUE(Open());
    ASSERT_TRUE(GoToPageOf(IDC_HOTKEYS_ENABLED));
    Shot(L"options-hotkeys-enabled");
    SendMessageW(DialogControl(dialog, IDC_HOTKEYS_ENABLED), BM_CLICK, 0, 0);
    EXPECT_FALSE(Checked(dialog, IDC_HOTKEYS_ENABLED));
    EXPECT_FALSE(IsWindowEnabled(DialogControl(dialog, IDC_HOTKEY_1)));
    EXPECT_FALSE(IsWindowEnabled(DialogControl(dialog, IDC_APPLY)));
    PressKey(VK_RIGHT, {VK_CONTROL, VK_MENU});
    Sleep(700);
    EXPECT_EQ(WindowRect(witness).left, home.left) << "a hotkey still acts after Enable was unchecked";
    // The combination is free again for other programs.
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(BinDir() + L"\\testwin.exe", L"hold-hotkey --mods 3 --vk 39", true));
    EXPECT_EQ(probe.ReadLine(10s).value_or("<none>"), "held");
}

TEST_F(OptionsDialog, AHotKeyTakenByAnotherProgramStopsItAndTheLaterOnes)
{
    const HWND witness = OpenWitness();
    ASSERT_TRUE(witness);
    // Ctrl+Alt+Right is held elsewhere before the program starts.
    ASSERT_TRUE(m_holder.Start(BinDir() + L"\\testwin.exe", L"hold-hotkey --mods 3 --vk 39", true));
    ASSERT_EQ(m_holder.ReadLine(10s).value_or("<none>"), "held");
    ASSERT_TRUE(Start({{L"Options", L"Hot1", L"37"},
                       {L"Options", L"Hot2", L"39"},
                       {L"Options", L"Hot4", L"40"},
                       {L"Options", L"Control", L"1"},
                       {L"Options", L"Alt", L"1"},
                       {L"Options", L"HotKeys", L"1"}}));
    const RECT home = WindowRect(witness);

    PressKey(VK_RIGHT, {VK_CONTROL, VK_MENU});
    PressKey(VK_DOWN, {VK_CONTROL, VK_MENU});
    Sleep(700);
    EXPECT_EQ(WindowRect(witness).left, home.left) << "Switch Right is taken";
    EXPECT_EQ(WindowRect(witness).top, home.top) << "Switch Down comes after the failure and stays off";

    // Switch Left still works: from the second column back to the first.
    ClickMonitorCell(monitor, 1, 0);
    ASSERT_TRUE(MovedBy(witness, -screenW, home));
    PressKey(VK_LEFT, {VK_CONTROL, VK_MENU});
    EXPECT_TRUE(MovedBy(witness, 0, home)) << "Switch Left must still work";

    // The page says which keys do nothing, and why.
    ASSERT_TRUE(Open());
    ASSERT_TRUE(GoToPageOf(IDC_HOTKEYS_ENABLED));
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_HOTKEY_STATUS_1)), L"");
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_HOTKEY_STATUS_1 + 1)), L"In use");
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_HOTKEY_STATUS_1 + 3)), L"Not active");
    Shot(L"options-hotkey-taken");
}

TEST_F(OptionsDialog, TheSpinArrowsReLayTheGridAtOnce)
{
    ASSERT_TRUE(Start({}));
    ASSERT_TRUE(Open());
    const HWND spin = DialogControl(dialog, IDC_SIZEX_SPIN);
    ASSERT_TRUE(spin);
    const RECT arrows = WindowRect(spin);
    // The upper arrow. Wine now and then drops a synthesized click on a window
    // that has just been shown, so the press is repeated until the field moves.
    for (int attempt = 0; attempt < 3 && TextOf(DialogControl(dialog, IDC_SIZEX)) == L"3"; ++attempt)
    {
        ClickAt({(arrows.left + arrows.right) / 2, arrows.top + (arrows.bottom - arrows.top) / 4});
        WaitUntil([&] { return TextOf(DialogControl(dialog, IDC_SIZEX)) != L"3"; }, 2s);
    }
    DWORD_PTR columns = 0;
    const bool relaid = WaitUntil(
        [&]
        {
            SendMessageTimeoutW(main, kQueryColumns, 0, 0, SMTO_ABORTIFHUNG, 2000, &columns);
            return columns == 4;
        },
        5s);
    Shot(L"options-grid-4x3");
    EXPECT_TRUE(relaid) << "the grid has " << columns << " columns";
    EXPECT_EQ(TextOf(DialogControl(dialog, IDC_SIZEX)), L"4");
}

TEST_F(OptionsDialog, TheTitleBarCloseSavesAndCloseDoesNot)
{
    ASSERT_TRUE(Start({}));
    ASSERT_TRUE(Open());
    SendMessageW(DialogControl(dialog, IDC_MOUSE_SCROLL), BM_CLICK, 0, 0);
    ASSERT_FALSE(Checked(dialog, IDC_MOUSE_SCROLL));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s));
    EXPECT_EQ(ReadSetting(L"Options", L"MouseScroll"), L"<missing>") << "\"Close\" must not save";

    ASSERT_TRUE(Open());
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s));
    EXPECT_EQ(ReadSetting(L"Options", L"MouseScroll"), L"0");
    EXPECT_EQ(ReadSetting(L"Options", L"SizeX"), L"3");
}

} // namespace
} // namespace zim::e2e

namespace zim::e2e
{
namespace
{

TEST_F(OptionsDialog, HideAllTurnedOnHoldsAWindowAtItsDesktopsLeftEdgeAndShowsItAtHome)
{
    // At x = 0 of the first desktop: seen from the second it lies exactly one screen left.
    const HWND edge = OpenTestWindow(m_helpers, L"--title \"Edge witness\" --rect 0,120,300,200");
    ASSERT_TRUE(edge);
    ASSERT_TRUE(Start({}));
    const RECT home = WindowRect(edge);
    ASSERT_EQ(home.left, 0);
    ClickMonitorCell(monitor, 1, 0);
    ASSERT_TRUE(MovedBy(edge, -screenW, home));

    ASSERT_TRUE(Open());
    SendMessageW(DialogControl(dialog, IDC_HIDE_ALL), BM_CLICK, 0, 0);
    ASSERT_TRUE(Checked(dialog, IDC_HIDE_ALL));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s));

    // Hide mode meets it first here: hidden, parked on the screen.
    ClickMonitorCell(monitor, 2, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(edge); }, 5s)) << "not held hidden";
    ClickMonitorCell(monitor, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(edge) != FALSE; }, 5s)) << "never shown again at home";
    EXPECT_TRUE(SameRect(WindowRect(edge), home));
    SaveScreenshot(L"options-hide-all-edge-window-home");
}

} // namespace
} // namespace zim::e2e
