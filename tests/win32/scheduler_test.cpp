#include "platform/win32/win32_scheduler.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace zim::win32
{
namespace
{

using test::PumpFor;
using test::PumpUntil;

TEST(SchedulerTest, WorkPostedFromAnotherThreadRunsInOrderOnTheGuiThreadWhenItPumps)
{
    Win32Scheduler scheduler;
    const DWORD guiThread = ::GetCurrentThreadId();
    std::vector<int> order;
    std::vector<DWORD> threads;
    std::thread poster(
        [&]
        {
            for (int i = 0; i < 50; ++i)
            {
                scheduler.PostToGui(
                    [&, i]
                    {
                        order.push_back(i);
                        threads.push_back(::GetCurrentThreadId());
                    });
            }
        });
    poster.join();
    EXPECT_TRUE(order.empty()); // nothing runs until the GUI thread pumps

    ASSERT_TRUE(PumpUntil([&] { return order.size() == 50; }, 5000));
    for (int i = 0; i < 50; ++i)
    {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(threads[i], guiThread);
    }

    // Work posted by work runs too.
    bool nested = false;
    scheduler.PostToGui([&] { scheduler.PostToGui([&] { nested = true; }); });
    EXPECT_TRUE(PumpUntil([&] { return nested; }, 5000));
}

TEST(SchedulerTest, TimerTicksOnlyWhileEnabled)
{
    Win32Scheduler scheduler;
    int ticks = 0;
    const std::unique_ptr<Timer> timer = scheduler.CreateTimer(20, [&] { ++ticks; });
    EXPECT_FALSE(timer->IsEnabled());
    EXPECT_EQ(timer->Interval(), 20u);
    PumpFor(150);
    EXPECT_EQ(ticks, 0); // created disabled

    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 5000));
    timer->SetEnabled(false);
    const int stopped = ticks;
    PumpFor(200);
    EXPECT_EQ(ticks, stopped);

    timer->SetInterval(30);
    EXPECT_EQ(timer->Interval(), 30u);
    PumpFor(100);
    EXPECT_EQ(ticks, stopped); // a new interval does not enable it
    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= stopped + 2; }, 5000));
}

TEST(SchedulerTest, TimersTickIndependentlyAndMayBeDestroyedFromTheirOwnTick)
{
    Win32Scheduler scheduler;
    int slowTicks = 0;
    int selfTicks = 0;
    std::unique_ptr<Timer> slow = scheduler.CreateTimer(1000000, [&] { ++slowTicks; });
    std::unique_ptr<Timer> self = scheduler.CreateTimer(10,
                                                        [&]
                                                        {
                                                            ++selfTicks;
                                                            self.reset();
                                                        });
    slow->SetEnabled(true);
    self->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return self == nullptr; }, 5000));
    PumpFor(100);
    EXPECT_EQ(selfTicks, 1);
    EXPECT_EQ(slowTicks, 0);
}

TEST(SchedulerTest, WhatATickDoesToItsOwnTimerHoldsAfterTheTick)
{
    Win32Scheduler scheduler;
    // Paused for its tick and resumed: ticks on, and never inside itself even
    // when the tick pumps messages.
    int pausedTicks = 0;
    int depth = 0;
    int deepest = 0;
    std::unique_ptr<Timer> paused;
    paused = scheduler.CreateTimer(10,
                                   [&]
                                   {
                                       ++pausedTicks;
                                       deepest = std::max(deepest, ++depth);
                                       const bool was = paused->IsEnabled();
                                       paused->SetEnabled(false);
                                       paused->SetEnabled(was);
                                       PumpFor(30);
                                       --depth;
                                   });
    paused->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return pausedTicks >= 4; }, 5000));
    paused->SetEnabled(false);
    EXPECT_EQ(deepest, 1);

    // Stopped by its tick: stays stopped.
    int stopTicks = 0;
    std::unique_ptr<Timer> stopping;
    stopping = scheduler.CreateTimer(10,
                                     [&]
                                     {
                                         ++stopTicks;
                                         stopping->SetEnabled(false);
                                     });
    stopping->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return stopTicks == 1; }, 5000));
    PumpFor(150);
    EXPECT_EQ(stopTicks, 1);
    EXPECT_FALSE(stopping->IsEnabled());
    Sleep(30); // three of its intervals: a timer still running would have a tick due
    MSG pending;
    EXPECT_FALSE(PeekMessageW(&pending, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE))
        << "the system timer of a timer stopped by its tick still runs";

    // A longer interval set by the tick takes effect at once.
    int slowedTicks = 0;
    std::unique_ptr<Timer> slowed;
    slowed = scheduler.CreateTimer(10,
                                   [&]
                                   {
                                       ++slowedTicks;
                                       slowed->SetInterval(100000);
                                   });
    slowed->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return slowedTicks == 1; }, 5000));
    PumpFor(150);
    EXPECT_EQ(slowedTicks, 1);
    EXPECT_TRUE(slowed->IsEnabled());
}

TEST(SchedulerTest, TimerOutlivingItsSchedulerIsHarmless)
{
    std::unique_ptr<Timer> timer;
    int ticks = 0;
    {
        Win32Scheduler scheduler;
        timer = scheduler.CreateTimer(10, [&] { ++ticks; });
        timer->SetEnabled(true);
    }
    timer->SetInterval(20);
    PumpFor(100);
    timer.reset();
    EXPECT_EQ(ticks, 0);
}

} // namespace
} // namespace zim::win32
