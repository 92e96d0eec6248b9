#include "platform/hook_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace zim
{
namespace
{

struct CommandCase
{
    const char* name;
    std::uint32_t command;
    int sizeX;
    int sizeY;
    std::optional<hookmsg::DesktopCell> cell;
};

TEST(HookCommandsTest, SystemMenuCommandsDecodeToCellsOfTheGrid)
{
    constexpr std::uint32_t kSystemBits = 0xF; // the system's share of a system command
    const CommandCase cases[] = {
        {"first desktop", 63920, 3, 3, hookmsg::DesktopCell{0, 0}},
        {"2x2: desktop 4 is column 1, row 1", 16 * (3994 + 4), 2, 2, hookmsg::DesktopCell{1, 1}},
        {"2x2: desktop 5 lies outside", 16 * (3994 + 5), 2, 2, std::nullopt},
        {"row by row", hookmsg::DesktopCommandId(6), 4, 2, hookmsg::DesktopCell{1, 1}},
        {"last of the largest grid", hookmsg::DesktopCommandId(100), 10, 10, hookmsg::DesktopCell{9, 9}},
        {"low bits ignored", hookmsg::DesktopCommandId(3) | kSystemBits, 3, 1, hookmsg::DesktopCell{2, 0}},
        {"desktop 0 (the separator's id)", hookmsg::DesktopCommandId(0), 3, 3, std::nullopt},
        {"SC_CLOSE", 0xF060, 3, 3, std::nullopt},
        {"zero", 0, 3, 3, std::nullopt},
        {"beyond 16 bits", 0x1F9C0, 10, 10, std::nullopt},
        {"largest value", 0xFFFFFFFF, 10, 10, std::nullopt},
        {"empty grid", hookmsg::DesktopCommandId(1), 0, 3, std::nullopt},
        {"grid wider than 10", hookmsg::DesktopCommandId(1), 11, 1, std::nullopt},
        {"negative rows", hookmsg::DesktopCommandId(1), 3, -1, std::nullopt},
    };
    for (const CommandCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto cell = hookmsg::CommandCell(c.command, c.sizeX, c.sizeY);
        ASSERT_EQ(cell.has_value(), c.cell.has_value());
        if (cell)
        {
            EXPECT_EQ(cell->column, c.cell->column);
            EXPECT_EQ(cell->row, c.cell->row);
        }
    }
}

TEST(HookCommandsTest, EveryDesktopsCommandDecodesBackToItsCell)
{
    for (int sizeX = 1; sizeX <= 10; ++sizeX)
    {
        for (int sizeY = 1; sizeY <= 10; ++sizeY)
        {
            for (int n = 1; n <= sizeX * sizeY; ++n)
            {
                const auto cell = hookmsg::CommandCell(hookmsg::DesktopCommandId(n), sizeX, sizeY);
                ASSERT_TRUE(cell) << sizeX << "x" << sizeY << " desktop " << n;
                ASSERT_EQ(cell->row * sizeX + cell->column + 1, n);
                ASSERT_LT(cell->column, sizeX);
            }
        }
    }
}

} // namespace
} // namespace zim
