#include "engine/engine_state.h"
#include "platform/hook_library.h"
#include "platform/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include <utility>

namespace zim
{
namespace
{

TEST(DesktopGrid, RefusesASizeOutsideOneToTenAndKeepsTheOneItHad)
{
    DesktopGrid grid;
    EXPECT_EQ(grid.Columns(), 3); // until the monitor lays out a first size
    EXPECT_TRUE(grid.Apply({400, 300}, 4, 2));
    for (const auto& [columns, rows] : {std::pair{0, 2}, {4, 11}, {-1, -1}, {11, 1}})
    {
        EXPECT_FALSE(grid.Apply({500, 500}, columns, rows)) << columns << " x " << rows;
    }
    EXPECT_EQ(grid.Columns(), 4);
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Geometry().CellWidth(), 100);
    EXPECT_TRUE(grid.Apply({10, 10}, 10, 1));
    EXPECT_TRUE(grid.Contains(9, 0));
    EXPECT_FALSE(grid.Contains(10, 0));
    EXPECT_FALSE(grid.Contains(0, 1));
    EXPECT_FALSE(grid.Contains(-1, 0));
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
}

} // namespace
} // namespace zim
