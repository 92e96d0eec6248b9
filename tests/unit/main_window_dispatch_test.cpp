// The hidden main window's answers to every message number it handles, and what
// each one does, against the simulated desktop.

#include "app/main_window_dispatch.h"
#include "engine/desktop_engine.h"
#include "engine/frozen_windows.h"
#include "platform/hook_library.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace zim
{
namespace
{

constexpr std::uint32_t kWmUser = 0x0400;
constexpr std::uintptr_t kPairAddress = 0x10000;

class MainWindowDispatchTest : public ::testing::Test
{
protected:
    MainWindowDispatchTest() { state.Grid.Apply({120, 60}, 4, 2); }

    std::optional<std::intptr_t> Send(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
    {
        return dispatch.Dispatch(message, wParam, lParam);
    }

    sim::SimDesktop desktop{{1024, 768}, 30};
    OptionsModel options;
    EngineState state{desktop};
    HideMode hideMode{desktop, options, state};
    FrozenWindows frozen{desktop, hideMode};
    DesktopEngine engine{desktop, desktop, options, state, hideMode, frozen};
    WindowEvents events{desktop, desktop, state, engine};
    // Readable memory of this process, by address.
    std::map<std::uintptr_t, std::pair<std::int32_t, std::int32_t>> memory;
    int sessionEnds = 0;
    MainWindowDispatch dispatch{state,
                                hideMode,
                                events,
                                desktop,
                                [this](std::uintptr_t address, std::int32_t& dx, std::int32_t& dy)
                                {
                                    const auto it = memory.find(address);
                                    if (it == memory.end())
                                    {
                                        return false;
                                    }
                                    std::tie(dx, dy) = it->second;
                                    return true;
                                },
                                [this] { ++sessionEnds; }};
};

TEST_F(MainWindowDispatchTest, EveryMessageNumberAnswersItsResult)
{
    struct Case
    {
        const char* name;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::optional<std::intptr_t> result; // nothing: default processing
    };
    const Case cases[] = {
        {"ZIM_APPSTARTING", state.MsgAppStarting, 0, 10},
        {"ZIM_APPSTARTED", state.MsgAppStarted, 5, 10},
        {"WM_SETTINGCHANGE", 0x001A, 0, std::nullopt},
        {"WM_ENDSESSION(FALSE)", 0x0016, 0, 0},
        {"WM_USER+4", kWmUser + 4, 0, 0},
        {"WM_USER+5", kWmUser + 5, 0, 0},
        {"WM_USER+6", kWmUser + 6, 0, std::nullopt},
        {"WM_USER+7", kWmUser + 7, 0, 4},
        {"WM_USER+8", kWmUser + 8, 0, 2},
        {"WM_USER+9", kWmUser + 9, 0, 0},
        {"WM_USER+1", kWmUser + 1, 0, std::nullopt},
        {"WM_PAINT", 0x000F, 0, std::nullopt},
        {"WM_QUERYENDSESSION", 0x0011, 0, std::nullopt},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Send(c.message, c.wParam), c.result) << c.name;
    }
    EXPECT_EQ(sessionEnds, 0);

    // The grid's size is read at each question, not cached; a size the grid
    // refused is never reported.
    state.Grid.Apply({120, 60}, 10, 1);
    EXPECT_EQ(Send(hookmsg::kGetSizeX), 10);
    EXPECT_EQ(Send(hookmsg::kGetSizeY), 1);
    options.Update([](Options& o) { o.sizeX = 0; });
    state.Grid.Apply({120, 60}, options.Get().sizeX, options.Get().sizeY);
    EXPECT_EQ(Send(hookmsg::kGetSizeX), 10);
}

TEST_F(MainWindowDispatchTest, HookAndLauncherMessagesReachTheWindowEvents)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    sim::WindowSetup setup;
    setup.rect = place;
    const WindowHandle sent = desktop.AddWindow(setup);
    setup.processId = 77;
    const WindowHandle started = desktop.AddWindow(setup);

    // Desktop 6 of the 4 x 2 grid is column 1, row 1.
    EXPECT_EQ(Send(hookmsg::kSendToDesktop, sent, hookmsg::DesktopCommandId(6)), 0);
    EXPECT_EQ(desktop.GetWindowRect(sent).value(), place.Offset(1024, 768));

    EXPECT_EQ(Send(state.MsgAppStarting), 10);
    EXPECT_EQ(state.AppStarting, 1);
    // Desktop 3 is column 2, row 0.
    EXPECT_EQ(Send(state.MsgAppStarted, 3, 77), 10);
    EXPECT_EQ(state.AppStarting, 0);
    EXPECT_EQ(desktop.GetWindowRect(started).value(), place.Offset(2 * 1024, 0));
}

TEST_F(MainWindowDispatchTest, OnlyARealSessionEndEndsTheProgram)
{
    EXPECT_EQ(Send(0x0016, 0), 0);
    EXPECT_EQ(sessionEnds, 0);

    EXPECT_EQ(Send(0x0016, 1), 0);
    EXPECT_EQ(sessionEnds, 1);
}

TEST_F(MainWindowDispatchTest, SettingChangeRefreshesTheWorkArea)
{
    EXPECT_EQ(dispatch.WorkArea(), Rect::FromSize(0, 0, 1024, 738));
    // The task bar moves to the top and grows.
    desktop.SetScreenSize({1024, 768}, Rect{0, 60, 1024, 768});
    EXPECT_EQ(dispatch.WorkArea(), Rect::FromSize(0, 0, 1024, 738)) << "cached until told";
    EXPECT_EQ(Send(0x001A), std::nullopt);
    EXPECT_EQ(dispatch.WorkArea(), (Rect{0, 60, 1024, 768}));
}

TEST_F(MainWindowDispatchTest, DisplayChangeRefreshesTheScreenAndTheWorkArea)
{
    EXPECT_EQ(dispatch.ScreenSize(), (Size{1024, 768}));
    desktop.SetScreenSize({1600, 900}, Rect::FromSize(0, 0, 1600, 860));
    EXPECT_EQ(dispatch.ScreenSize(), (Size{1024, 768})) << "cached until told";
    EXPECT_EQ(Send(0x007E), std::nullopt);
    EXPECT_EQ(dispatch.ScreenSize(), (Size{1600, 900}));
    EXPECT_EQ(dispatch.WorkArea(), Rect::FromSize(0, 0, 1600, 860));

    // A setting change (the task bar, or a change of display in some systems) too.
    desktop.SetScreenSize({1280, 1024}, Rect::FromSize(0, 0, 1280, 984));
    EXPECT_EQ(Send(0x001A), std::nullopt);
    EXPECT_EQ(dispatch.ScreenSize(), (Size{1280, 1024}));
}

TEST_F(MainWindowDispatchTest, HideModeMoveTakesTheShiftFromTheAddressAndIgnoresOneThatCannotBeRead)
{
    const WindowHandle w = desktop.AddWindow({});
    const Rect before = desktop.GetWindowRect(w).value();
    memory[kPairAddress] = {30, -20};

    EXPECT_EQ(Send(hookmsg::kHideModeMove, w, static_cast<std::intptr_t>(kPairAddress)), 0);
    EXPECT_EQ(desktop.GetWindowRect(w).value(), before.Offset(30, -20));

    // A bogus address from another process: answered, nothing moves, nothing held.
    EXPECT_EQ(Send(hookmsg::kHideModeMove, w, 0xDEAD), 0);
    EXPECT_EQ(Send(hookmsg::kHideModeMove, w, 0), 0);
    EXPECT_EQ(desktop.GetWindowRect(w).value(), before.Offset(30, -20));
    EXPECT_TRUE(hideMode.HideWndList().empty());

    // A window that is gone.
    desktop.DestroyWindow(w);
    EXPECT_EQ(Send(hookmsg::kHideModeMove, w, static_cast<std::intptr_t>(kPairAddress)), 0);
    EXPECT_TRUE(hideMode.HideWndList().empty());
}

TEST_F(MainWindowDispatchTest, TheGridAreaQueryAnswersTheMonitorsGridAreaPackedOrNothingBeforeIt)
{
    EXPECT_EQ(Send(kWmUser + 20), 0) << "no monitor yet";
    Rect area = Rect::FromSize(16, 21, 268, 190);
    dispatch.SetGridAreaQuery([&] { return area; });
    EXPECT_EQ(UnpackGridArea(*Send(kWmUser + 20)), area);
    area = Rect::FromSize(0, 0, 4096, 4096);
    EXPECT_EQ(UnpackGridArea(*Send(kWmUser + 20, 123, -5)), area) << "whatever the parameters";
    // Fields are cut to 0..65535 each, never spilling into the next: left -5 is
    // 0, top 70000 is 65535, width 15, and the negative height 0.
    EXPECT_EQ(UnpackGridArea(PackGridArea({-5, 70000, 10, 20})), Rect::FromSize(0, 0xFFFF, 15, 0));
}

} // namespace
} // namespace zim
