#include "platform/win32/win32_hot_keys.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace zim::win32
{
namespace
{

// A combination nobody else is likely to hold.
constexpr unsigned kModifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN;
constexpr unsigned kKey = VK_F13;

TEST(Win32HotKeys, ACombinationHeldByAnotherWindowIsRefusedUntilItIsGivenUp)
{
    const UniqueWindow first = test::CreateTestWindow(L"hot keys 1", 10, 10, 200, 100);
    const UniqueWindow second = test::CreateTestWindow(L"hot keys 2", 20, 20, 200, 100);
    ASSERT_TRUE(first && second);
    Win32HotKeys mine;
    Win32HotKeys other;
    mine.SetWindow(first.Get());
    other.SetWindow(second.Get());

    ASSERT_TRUE(other.Register(0, kModifiers, kKey));
    EXPECT_FALSE(mine.Register(0, kModifiers, kKey));
    other.Unregister(0);
    EXPECT_TRUE(mine.Register(0, kModifiers, kKey));
    EXPECT_TRUE(mine.Register(1, kModifiers, VK_F14));
    mine.Unregister(0);
    mine.Unregister(1);
    mine.Unregister(3); // never registered: ignored
    EXPECT_TRUE(other.Register(0, kModifiers, kKey));
    other.Unregister(0);
}

TEST(Win32HotKeys, WithoutAWindowNothingIsRegistered)
{
    Win32HotKeys none;
    EXPECT_FALSE(none.Register(0, kModifiers, kKey));
    none.Unregister(0);
}

} // namespace
} // namespace zim::win32
