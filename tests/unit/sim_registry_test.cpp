#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

namespace zim::sim
{
namespace
{

constexpr const char* kKey = "Software\\zimdesk.ini\\Options";

TEST(SimRegistry, TextValuesRoundTripAndNamesIgnoreCase)
{
    SimRegistry registry;
    EXPECT_FALSE(registry.KeyExists("Software\\zimdesk.ini"));
    EXPECT_TRUE(registry.WriteString(kKey, "SizeX", "4"));
    EXPECT_TRUE(registry.KeyExists("software\\ZIMDESK.INI")); // parents are created too
    std::string value;
    EXPECT_EQ(registry.ReadString("SOFTWARE\\zimdesk.ini\\options", "sizex", value), RegistryRead::Ok);
    EXPECT_EQ(value, "4");
    EXPECT_EQ(registry.ReadString(kKey, "SizeY", value), RegistryRead::Missing);
    EXPECT_EQ(registry.ReadString("Software\\nothing", "SizeY", value), RegistryRead::Missing);
}

TEST(SimRegistry, NonTextValuesAreReportedAsWrongTypeExceptExpandString)
{
    SimRegistry registry;
    registry.WriteDword(kKey, "Hot1", 65);
    registry.SetRaw(kKey, "Path", RegistryType::ExpandString, "%windir%");
    registry.SetRaw(kKey, "Blob", RegistryType::Binary, "\x01\x02");
    std::string value = "unchanged";
    EXPECT_EQ(registry.ReadString(kKey, "Hot1", value), RegistryRead::WrongType);
    EXPECT_EQ(registry.ReadString(kKey, "Blob", value), RegistryRead::WrongType);
    EXPECT_EQ(value, "unchanged");
    EXPECT_EQ(registry.ReadString(kKey, "Path", value), RegistryRead::Ok);
    EXPECT_EQ(value, "%windir%"); // not expanded
}

TEST(SimRegistry, DeleteKeyRemovesSubKeysAndValuesButNotSiblings)
{
    SimRegistry registry;
    registry.WriteString("Software\\zimdesk.ini\\Sticky", "StickyW1", "a");
    registry.WriteString("Software\\zimdesk.ini\\Sticky\\Deeper", "x", "b");
    registry.WriteString("Software\\zimdesk.ini\\StickyOther", "y", "c");
    EXPECT_TRUE(registry.DeleteKey("Software\\zimdesk.ini\\Sticky"));
    EXPECT_FALSE(registry.KeyExists("Software\\zimdesk.ini\\Sticky"));
    EXPECT_FALSE(registry.KeyExists("Software\\zimdesk.ini\\Sticky\\Deeper"));
    EXPECT_TRUE(registry.GetRaw("Software\\zimdesk.ini\\StickyOther", "y").has_value());
    EXPECT_FALSE(registry.DeleteKey("Software\\zimdesk.ini\\Sticky"));
    EXPECT_TRUE(registry.DeleteValue("Software\\zimdesk.ini\\StickyOther", "Y"));
    EXPECT_TRUE(registry.ValuesOf("Software\\zimdesk.ini\\StickyOther").empty());
}

TEST(SimRegistry, CreateKeyMakesTheKeyAndItsParentsUnlessRefused)
{
    SimRegistry registry;
    EXPECT_TRUE(registry.CreateKey(kKey));
    EXPECT_TRUE(registry.KeyExists("software\\zimdesk.ini"));
    EXPECT_TRUE(registry.KeyExists(kKey));
    EXPECT_TRUE(registry.ValuesOf(kKey).empty());
    EXPECT_TRUE(registry.CreateKey(kKey)); // opening an existing key
    EXPECT_FALSE(registry.CreateKey(""));

    registry.RefuseWritesUnder("Software\\locked");
    EXPECT_FALSE(registry.CreateKey("Software\\locked\\sub"));
    EXPECT_FALSE(registry.KeyExists("Software\\locked\\sub"));
}

TEST(SimRegistry, RefusedWritesFailAndLeaveNothing)
{
    SimRegistry registry;
    registry.RefuseWritesUnder("Software\\zimdesk.ini");
    EXPECT_FALSE(registry.WriteString(kKey, "SizeX", "3"));
    EXPECT_FALSE(registry.KeyExists(kKey));
    EXPECT_TRUE(registry.WriteString("Software\\zimdesk.ini2", "a", "b"));
}

// As the system's: a volatile key keeps ordinary parents, refuses ordinary
// children, and goes at logoff with its values while the others stay.
TEST(SimRegistry, VolatileKeysTakeNoOrdinaryChildrenAndGoAtLogoff)
{
    SimRegistry registry;
    ASSERT_TRUE(registry.CreateVolatileKey("Software\\Zim Desk\\Recovery"));
    EXPECT_TRUE(registry.IsVolatile("software\\zim desk\\recovery"));
    EXPECT_FALSE(registry.IsVolatile("Software\\Zim Desk"));
    EXPECT_FALSE(registry.CreateKey("Software\\Zim Desk\\Recovery\\Child"));
    EXPECT_TRUE(registry.CreateKey("Software\\Zim Desk\\Other"));
    EXPECT_TRUE(registry.WriteString("Software\\Zim Desk\\Recovery", "State", "x"));
    registry.Logoff();
    EXPECT_FALSE(registry.KeyExists("Software\\Zim Desk\\Recovery"));
    EXPECT_FALSE(registry.GetRaw("Software\\Zim Desk\\Recovery", "State").has_value());
    EXPECT_TRUE(registry.KeyExists("Software\\Zim Desk\\Other"));
}

} // namespace
} // namespace zim::sim
