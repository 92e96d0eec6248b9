#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace zim::win32
{
namespace
{

using test::CreateTestWindow;

TEST(HandlesTest, OwnedWindowsAndGdiObjectsAreReleasedAtScopeEnd)
{
    HWND hwnd = nullptr;
    HRGN region = nullptr;
    {
        UniqueWindow window = CreateTestWindow(L"Zim handle", 0, 0, 100, 100);
        ASSERT_TRUE(window);
        hwnd = window.Get();
        UniqueRegion owned(::CreateRectRgn(0, 0, 10, 10));
        region = owned.Get();
        EXPECT_EQ(::GetObjectType(region), static_cast<DWORD>(OBJ_REGION));
        UniqueWindow moved(std::move(window));
        EXPECT_TRUE(::IsWindow(hwnd)); // the move did not destroy it
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(::GetObjectType(region), 0u);
}

TEST(HandlesTest, SelectGuardPutsThePreviousObjectBack)
{
    MemoryDc dc(nullptr);
    ASSERT_TRUE(dc);
    const HGDIOBJ original = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);
    UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    {
        const SelectGuard guard(dc.Get(), brush.Get());
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), original);
}

TEST(HandlesTest, WindowDcIsHeldOnceAcrossMoves)
{
    UniqueWindow window = CreateTestWindow(L"Zim dc", 0, 0, 100, 100);
    ASSERT_TRUE(window);
    WindowDc first(window.Get());
    ASSERT_TRUE(first);
    const HDC dc = first.Get();
    WindowDc second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.Get(), dc);
    first = std::move(second);
    EXPECT_EQ(first.Get(), dc);
    first.Reset();
    EXPECT_FALSE(first);
}

} // namespace
} // namespace zim::win32
