// The program's settings in the user's registry: read at start, written at exit,
// and what they change (here: compatibility classes in hide mode).

#include "harness.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

class Settings : public ::testing::Test
{
protected:
    bool Start(const std::vector<SettingValue>& settings)
    {
        if (!StartZimDesk(m_app, settings))
        {
            return false;
        }
        // The monitor is shown last, after the main window exists.
        monitor = WaitForMonitor(m_app);
        const auto mainWindow = FindWindowOf(m_app.Id(), L"TZIM");
        if (!monitor || !mainWindow)
        {
            return false;
        }
        main = mainWindow->hwnd;
        return true;
    }

    void TearDown() override { CloseProgram(m_app, monitor); }

    void ClickCell(int column, int row, int columns, int rows)
    {
        ClickMonitorCell(monitor, column, row, columns, rows);
    }

    HWND monitor = nullptr;
    HWND main = nullptr;
    ChildProcess m_app;
};

// Under a natural skin the monitor keeps the stored size; a bitmap skin sizes it to its bitmap.
TEST_F(Settings, TheStoredGridSizeAndMonitorPlaceApplyAndExitWritesTheWindowState)
{
    std::vector<SettingValue> settings = NaturalSkinSettings();
    settings.insert(settings.end(), {{L"Options", L"SizeX", L"4"},
                                     {L"Options", L"SizeY", L"2"},
                                     {L"ZIMMonitor", L"Left", L"200"},
                                     {L"ZIMMonitor", L"Top", L"150"},
                                     {L"ZIMMonitor", L"Width", L"200"},
                                     {L"ZIMMonitor", L"Height", L"120"}});
    ASSERT_TRUE(Start(settings));
    DWORD_PTR columns = 0;
    DWORD_PTR rows = 0;
    SendMessageTimeoutW(main, WM_USER + 7, 0, 0, SMTO_ABORTIFHUNG, 2000, &columns);
    SendMessageTimeoutW(main, WM_USER + 8, 0, 0, SMTO_ABORTIFHUNG, 2000, &rows);
    EXPECT_EQ(columns, 4u);
    EXPECT_EQ(rows, 2u);
    const RECT placed = WindowRect(monitor);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 150);
    EXPECT_EQ(placed.right - placed.left, 200);
    SaveScreenshot(L"settings-4x2");

    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    EXPECT_EQ(ReadSetting(L"ZIMMonitor", L"Left"), L"200");
    EXPECT_EQ(ReadSetting(L"ZIMMonitor", L"Width"), L"200");
    EXPECT_EQ(ReadSetting(L"ZIMMonitor", L"Visible"), L"1");
    EXPECT_EQ(ReadSetting(L"ZIM", L"Visible"), L"0");
    EXPECT_EQ(ReadSetting(L"Options", L"SizeX"), L"4");
    EXPECT_EQ(ReadSetting(L"ZIM", L"Top"), L"224");
}

TEST_F(Settings, AStoredMonitorPlaceBeyondTheScreenIsBroughtOntoIt)
{
    std::vector<SettingValue> settings = NaturalSkinSettings();
    settings.insert(settings.end(), {{L"ZIMMonitor", L"Left", L"5000"},
                                     {L"ZIMMonitor", L"Top", L"3000"},
                                     {L"ZIMMonitor", L"Width", L"200"},
                                     {L"ZIMMonitor", L"Height", L"120"}});
    ASSERT_TRUE(Start(settings));
    const RECT placed = WindowRect(monitor);
    EXPECT_EQ(placed.right, GetSystemMetrics(SM_CXSCREEN)) << "at the right edge";
    EXPECT_EQ(placed.bottom, GetSystemMetrics(SM_CYSCREEN)) << "at the bottom edge";
    EXPECT_EQ(placed.right - placed.left, 200);
}

TEST_F(Settings, AStoredPlaceBeyondTheScreenBringsABitmapSkinsOutlineOntoIt)
{
    ASSERT_TRUE(Start({{L"ZIMMonitor", L"Left", L"5000"}, {L"ZIMMonitor", L"Top", L"3000"}}));
    const RECT placed = WindowRect(monitor);
    EXPECT_EQ(placed.right - placed.left, 300) << "the default skin's bitmap is 300 pixels wide";
    EXPECT_LE(placed.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(placed.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GE(placed.left, 0);
    EXPECT_GE(placed.top, 0);
}

TEST_F(Settings, ACompatibilityClassWindowIsHiddenWhileItsDesktopIsAwayAndReturns)
{
    ChildProcess helper;
    ASSERT_TRUE(helper.Start(BinDir() + L"\\testwin.exe",
                             L"open --class ZimRollUp --title \"Roll-up window\" --rect 150,120,320,220", true));
    HWND rollUp = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            const auto w = FindWindowOf(helper.Id(), L"ZimRollUp");
            rollUp = (w && w->visible) ? w->hwnd : nullptr;
            return rollUp != nullptr;
        },
        15s));
    const RECT place = WindowRect(rollUp);
    ASSERT_TRUE(Start({{L"Hidden", L"NbrOfHiddenWC", L"1"}, {L"Hidden", L"HiddenWC1", L"ZimRollUp"}}));

    ClickCell(1, 0, 3, 3);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(rollUp); }, 10s)) << "the window was not hidden";
    EXPECT_TRUE(SameRect(WindowRect(rollUp), place)) << "a hidden window rests on the visible screen";
    SaveScreenshot(L"settings-rollup-hidden");

    ClickCell(0, 0, 3, 3);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(rollUp) != FALSE; }, 10s)) << "the window did not come back";
    EXPECT_TRUE(SameRect(WindowRect(rollUp), place));
    SaveScreenshot(L"settings-rollup-back");

    // Left hidden on another desktop, it is shown again when the program ends.
    ClickCell(2, 2, 3, 3);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(rollUp); }, 10s));
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(rollUp) != FALSE; }, 5s));
    EXPECT_TRUE(SameRect(WindowRect(rollUp), place));
}

TEST_F(Settings, AValueOfTheWrongTypeShowsItsMessageAndEveryOtherSettingSurvivesTheNextExit)
{
    const std::vector<SettingValue> user = {
        {L"Options", L"SizeX", L"4"},
        {L"Options", L"SizeY", L"2"},
        {L"Options", L"Hot2", L"39"},
        {L"Options", L"Control", L"1"},
        {L"Options", L"HotKeys", L"1"},
        {L"Sticky", L"NbrOfStickyW", L"1"},
        {L"Sticky", L"StickyW1", L"Pinned caption"},
        {L"Sticky", L"NbrOfStickyWC", L"1"},
        {L"Sticky", L"StickyWC1", L"PinnedClass"},
        {L"Hidden", L"NbrOfHiddenWC", L"1"},
        {L"Hidden", L"HiddenWC1", L"RollUpClass"},
        {L"Wallpapers", L"NbrOfWallpapers", L"1"},
        {L"Wallpapers", L"FileName1", L"C:\\walls\\one.bmp"},
        {L"Wallpapers", L"Tile1", L"1"},
    };
    std::vector<SettingValue> planted = user;
    // Early in the load order, and stored as a number.
    planted.push_back({L"Options", L"MouseScroll", L"0", true});
    ASSERT_TRUE(StartZimDesk(m_app, planted));

    std::optional<std::pair<HWND, std::wstring>> box;
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(m_app.Id())).has_value(); }, 15s)) << "no message";
    SaveScreenshot(L"settings-wrong-type-message");
    EXPECT_EQ(box->second, L"Invalid data type for 'MouseScroll'");
    PostMessageW(box->first, WM_COMMAND, IDOK, 0);

    monitor = WaitForMonitor(m_app);
    ASSERT_TRUE(monitor) << "the start did not go on after the message";
    PostMessageW(monitor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_app.Wait(15s).has_value());
    monitor = nullptr;
    for (const SettingValue& s : user)
    {
        EXPECT_EQ(ReadSetting(s.section, s.name), s.value) << s.section << "\\" << s.name;
    }
    // The bad value was read as its default and is written back as text.
    EXPECT_EQ(ReadSetting(L"Options", L"MouseScroll"), L"1");
}

} // namespace
} // namespace zim::e2e
