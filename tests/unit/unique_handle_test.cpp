#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace zim
{
namespace
{

struct CountingTraits
{
    using Handle = int;
    static inline std::vector<int> closed;
    static constexpr Handle Invalid() { return -1; }
    static void Close(Handle h) { closed.push_back(h); }
};
using Counted = UniqueHandle<CountingTraits>;

class UniqueHandleTest : public ::testing::Test
{
protected:
    void SetUp() override { CountingTraits::closed.clear(); }
};

TEST_F(UniqueHandleTest, ReleasesExactlyOnceWhateverTheOwnershipPath)
{
    {
        Counted a(1);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_TRUE(b);
        Counted c(2);
        c = std::move(b); // closes 2, takes 1
        EXPECT_EQ(CountingTraits::closed, std::vector<int>{2});
        c = std::move(c); // self-move keeps the handle
        EXPECT_EQ(c.Get(), 1);
    }
    EXPECT_EQ(CountingTraits::closed, (std::vector<int>{2, 1}));
}

TEST_F(UniqueHandleTest, ResetClosesTheOldHandleAndReleaseGivesUpOwnership)
{
    Counted h(5);
    h.Reset(6);
    EXPECT_EQ(CountingTraits::closed, std::vector<int>{5});
    EXPECT_EQ(h.Release(), 6);
    EXPECT_FALSE(h);
    h.Reset();
    Counted invalid;
    invalid.Reset();
    EXPECT_EQ(CountingTraits::closed, std::vector<int>{5}); // nothing more closed
}

} // namespace
} // namespace zim
