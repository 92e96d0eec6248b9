#include "engine/engine_state.h"
#include "platform/hook_library.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

TEST(EngineState, StartsAtTheFirstDesktopWithNothingPending)
{
    sim::SimDesktop desktop;
    const EngineState state(desktop);
    EXPECT_EQ(state.CurrentX, 0);
    EXPECT_EQ(state.CurrentY, 0);
    EXPECT_EQ(state.AppStarting, 0);
    EXPECT_EQ(state.DragWnd, kNoWindow);
    for (const auto& column : state.LastActiveWnd)
    {
        for (WindowHandle w : column)
        {
            EXPECT_EQ(w, kNoWindow);
        }
    }
    EXPECT_EQ(state.MoveThreadCount.load(), 0);
    EXPECT_TRUE(state.MoveThreadList.empty());
    EXPECT_GE(state.MoveThreadList.capacity(), 16u);
    EXPECT_TRUE(state.HideWndList.empty());
}

TEST(EngineState, RegistersTheTwoApplicationStartMessagesUnderTheirNames)
{
    sim::SimDesktop desktop;
    const EngineState state(desktop);
    EXPECT_NE(state.MsgAppStarted, state.MsgAppStarting);
    // Another process registering the same names gets the same ids.
    EXPECT_EQ(desktop.RegisterWindowMessage(hookmsg::kAppStartedName), state.MsgAppStarted);
    EXPECT_EQ(desktop.RegisterWindowMessage(hookmsg::kAppStartingName), state.MsgAppStarting);
}

TEST(HookMessages, DesktopCommandIdsIgnoreTheLowFourBits)
{
    EXPECT_EQ(hookmsg::DesktopCommandId(1), 63920u);
    EXPECT_EQ(hookmsg::DesktopCommandId(2), 63936u);
    EXPECT_EQ(hookmsg::DesktopNumberFromCommand(63920), 1);
    EXPECT_EQ(hookmsg::DesktopNumberFromCommand(63920 + 15), 1);
    EXPECT_EQ(hookmsg::DesktopNumberFromCommand(hookmsg::DesktopCommandId(9) | 0x7), 9);
    EXPECT_EQ(hookmsg::DesktopNumberFromCommand(0xF060), 3846 - 3994); // SC_CLOSE: not a desktop
    EXPECT_EQ(hookmsg::kSendToDesktop, 0x404u);
    EXPECT_EQ(hookmsg::kHideModeMove, 0x409u);
}

} // namespace
} // namespace zim
