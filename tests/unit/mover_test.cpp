// The frozen-window workers on real threads. Every wait here is bounded and
// waits for an event, never for time to pass.

#include "engine/mover.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <latch>
#include <mutex>
#include <thread>
#include <vector>

namespace zim
{
namespace
{

using Outcome = TZIMMoveWnd::Outcome;
using namespace std::chrono_literals;

// Long enough never to trip on a loaded machine; a pass that needs it has failed anyway.
constexpr auto kBound = 10s;

// What the test steers and sees of one frozen window. Shared with the fake
// window system, which lives as long as the workers that use it.
struct FrozenWindow
{
    enum class Probe
    {
        Answer, // answers at once
        Refuse, // fails the probe at once, as a window the system counts as hung
        Block,  // holds the probe until Release()
    };

    std::mutex lock;
    std::condition_variable changed;
    bool alive = true;
    Probe probe = Probe::Answer;
    bool released = false;
    int probesEntered = 0;
    bool workersGone = false; // the last worker dropped the window system

    void Set(Probe p)
    {
        std::lock_guard guard(lock);
        probe = p;
        changed.notify_all();
    }
    void Release()
    {
        std::lock_guard guard(lock);
        released = true;
        changed.notify_all();
    }
    template <typename Pred> bool WaitFor(Pred pred)
    {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, kBound, pred);
    }
};

class FakeWindows final : public WindowSystem
{
public:
    explicit FakeWindows(std::shared_ptr<FrozenWindow> w) : m_w(std::move(w)) {}
    ~FakeWindows() override
    {
        std::lock_guard guard(m_w->lock);
        m_w->workersGone = true;
        m_w->changed.notify_all();
    }

    std::optional<Rect> GetWindowRect(WindowHandle) override
    {
        std::lock_guard guard(m_w->lock);
        return m_w->alive ? std::optional<Rect>(Rect::FromSize(10, 10, 100, 100)) : std::nullopt;
    }
    bool ProbeWindow(WindowHandle, unsigned) override
    {
        std::unique_lock guard(m_w->lock);
        ++m_w->probesEntered;
        m_w->changed.notify_all();
        if (m_w->probe == FrozenWindow::Probe::Block)
        {
            m_w->changed.wait(guard, [this] { return m_w->released; });
            return true;
        }
        return m_w->probe == FrozenWindow::Probe::Answer;
    }

    // Nothing else is asked by a worker.
    void EnumWindows(FunctionRef<bool(WindowHandle)>) override {}
    WindowHandle GetTopWindow() override { return kNoWindow; }
    WindowHandle GetNextWindow(WindowHandle) override { return kNoWindow; }
    WindowHandle GetPrevWindow(WindowHandle) override { return kNoWindow; }
    WindowHandle GetLastWindow(WindowHandle) override { return kNoWindow; }
    WindowHandle GetDesktopWindow() override { return kNoWindow; }
    bool IsWindow(WindowHandle) override { return true; }
    bool IsWindowVisible(WindowHandle) override { return true; }
    bool IsIconic(WindowHandle) override { return false; }
    bool IsZoomed(WindowHandle) override { return false; }
    std::string GetClassName(WindowHandle) override { return {}; }
    std::string GetWindowText(WindowHandle) override { return {}; }
    std::uint32_t GetWindowProcessId(WindowHandle) override { return 0; }
    bool MoveWindow(WindowHandle, Point) override { return true; }
    bool MoveWindowAsync(WindowHandle, Point) override { return true; }
    void ShowWindow(WindowHandle, ShowCommand) override {}
    void ShowWindowAsync(WindowHandle, ShowCommand) override {}
    void BringWindowToTop(WindowHandle) override {}
    bool SetForegroundWindow(WindowHandle) override { return true; }
    WindowHandle GetForegroundWindow() override { return kNoWindow; }
    void SetActiveWindow(WindowHandle) override {}
    std::optional<std::intptr_t> HitTest(WindowHandle, Point, unsigned) override { return std::nullopt; }
    Point GetCursorPos() override { return {}; }
    void SetCursorPos(Point) override {}
    std::int16_t GetKeyState(int) override { return 0; }
    std::int16_t GetAsyncKeyState(int) override { return 0; }
    Size GetScreenSize() override { return {1024, 768}; }
    Rect GetWorkArea() override { return {0, 0, 1024, 768}; }
    int GetCaptionFrameHeight() override { return 0; }
    std::uint32_t RegisterWindowMessage(const std::string&) override { return 0; }

private:
    std::shared_ptr<FrozenWindow> m_w;
};

// The GUI thread's queue; the test thread plays the GUI thread.
class FakeScheduler final : public Scheduler
{
public:
    std::uint64_t NowMs() override { return 0; }
    void PostToGui(std::function<void()> work) override
    {
        std::lock_guard guard(m_lock);
        m_queue.push_back(std::move(work));
        ++m_posted;
        m_changed.notify_all();
    }
    std::unique_ptr<Timer> CreateTimer(unsigned, std::function<void()>) override { return nullptr; }

    bool WaitForPosts(int count)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, kBound, [&] { return m_posted >= count; });
    }
    int Posted()
    {
        std::lock_guard guard(m_lock);
        return m_posted;
    }
    void RunPosted()
    {
        std::deque<std::function<void()>> work;
        {
            std::lock_guard guard(m_lock);
            work.swap(m_queue);
        }
        for (auto& item : work)
        {
            item();
        }
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_queue;
    int m_posted = 0;
};

class ThreadMoverRunnerTest : public ::testing::Test
{
protected:
    ThreadMoverRunnerTest()
        : window(std::make_shared<FrozenWindow>()),
          runner(std::make_unique<ThreadMoverRunner>(std::make_shared<FakeWindows>(window), scheduler))
    {
    }
    ~ThreadMoverRunnerTest() override
    {
        // No worker may outlive the test's fakes.
        runner.reset();
        window->Release();
        scheduler.RunPosted(); // queued reports hold the workers' shared state
        EXPECT_TRUE(window->WaitFor([this] { return window->workersGone; }));
    }

    std::shared_ptr<TZIMMoveWnd> Start(std::int32_t dx, std::int32_t dy)
    {
        auto job = std::make_shared<TZIMMoveWnd>(WindowHandle{42}, dx, dy);
        runner->Start(job,
                      [this](Outcome outcome)
                      {
                          outcomes.push_back(outcome);
                          reportedOn.push_back(std::this_thread::get_id());
                      });
        return job;
    }

    FakeScheduler scheduler; // before the runner, which must go first
    std::shared_ptr<FrozenWindow> window;
    std::unique_ptr<ThreadMoverRunner> runner;
    std::vector<Outcome> outcomes;
    std::vector<std::thread::id> reportedOn;
};

TEST_F(ThreadMoverRunnerTest, TheEndOfAWaitIsReportedOnlyWhenTheGuiThreadRunsIt)
{
    struct Case
    {
        bool alive;
        FrozenWindow::Probe probe;
        std::int32_t dx;
        Outcome expected;
    };
    const Case cases[] = {
        {true, FrozenWindow::Probe::Answer, 1024, Outcome::Answered},
        {false, FrozenWindow::Probe::Answer, 1024, Outcome::Vanished},
        {true, FrozenWindow::Probe::Refuse, 0, Outcome::Cancelled},
    };
    int posts = 0;
    for (const Case& c : cases)
    {
        {
            std::lock_guard guard(window->lock);
            window->alive = c.alive;
            window->probe = c.probe;
        }
        outcomes.clear();
        reportedOn.clear();
        Start(c.dx, 0);
        ASSERT_TRUE(scheduler.WaitForPosts(++posts));
        EXPECT_TRUE(outcomes.empty()); // nothing runs on the worker
        scheduler.RunPosted();
        EXPECT_EQ(outcomes, std::vector<Outcome>{c.expected});
        EXPECT_EQ(reportedOn, std::vector<std::thread::id>{std::this_thread::get_id()});
    }
}

TEST_F(ThreadMoverRunnerTest, AnAnswerPostedBeforeTheRunnerClosesIsNotReportedAfterIt)
{
    Start(1024, 0);
    ASSERT_TRUE(scheduler.WaitForPosts(1));
    runner.reset(); // the program ends with the report still queued
    scheduler.RunPosted();
    EXPECT_TRUE(outcomes.empty());
}

TEST_F(ThreadMoverRunnerTest, AWorkerThatAnswersAfterTheRunnerClosedPostsNothing)
{
    window->Set(FrozenWindow::Probe::Block);
    Start(1024, 0);
    ASSERT_TRUE(window->WaitFor([this] { return window->probesEntered == 1; }));
    runner.reset();
    window->Release(); // answers now
    ASSERT_TRUE(window->WaitFor([this] { return window->workersGone; }));
    EXPECT_EQ(scheduler.Posted(), 0);
    scheduler.RunPosted();
    EXPECT_TRUE(outcomes.empty());
}

TEST_F(ThreadMoverRunnerTest, AShiftAddedWhileACancelledWaitIsReportedKeepsTheWindowWaited)
{
    window->Set(FrozenWindow::Probe::Refuse);
    const auto job = Start(0, 0); // switched away and back: nothing to do
    ASSERT_TRUE(scheduler.WaitForPosts(1));
    job->AddShift(-1024, 0); // a switch on the GUI thread before the report runs
    window->Set(FrozenWindow::Probe::Answer);
    scheduler.RunPosted();
    EXPECT_TRUE(outcomes.empty()); // dropping it now would leave the window on the wrong desktop
    ASSERT_TRUE(scheduler.WaitForPosts(2));
    scheduler.RunPosted();
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::Answered});
    EXPECT_EQ(job->Shift(), (Point{-1024, 0}));
}

// A worker that ends the moment it starts is detached by then: it must still be
// reported, and every worker launched after it must run.
TEST_F(ThreadMoverRunnerTest, EveryWorkerIsReportedThoughEachEndsAtOnce)
{
    constexpr int kJobs = 400;
    for (int i = 0; i < kJobs; ++i)
    {
        Start(1024, 0);
    }
    ASSERT_TRUE(scheduler.WaitForPosts(kJobs));
    scheduler.RunPosted();
    EXPECT_EQ(outcomes, std::vector<Outcome>(kJobs, Outcome::Answered));
    EXPECT_EQ(scheduler.Posted(), kJobs);
}

TEST(TZIMMoveWndTest, ShiftsAddedFromSeveralThreadsAtOnceAreAllKept)
{
    constexpr int kThreads = 2;
    constexpr int kAdds = 100000;
    TZIMMoveWnd job(WindowHandle{1}, 0, 0);
    std::latch start(kThreads + 1);
    std::atomic<bool> torn{false};
    std::atomic<bool> writing{true};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
    {
        threads.emplace_back(
            [&]
            {
                start.arrive_and_wait();
                for (int n = 0; n < kAdds; ++n)
                {
                    job.AddShift(1, -1);
                }
            });
    }
    std::thread reader(
        [&]
        {
            start.arrive_and_wait();
            while (writing)
            {
                const Point p = job.Shift();
                if (p.x != -p.y)
                {
                    torn = true; // half of one update and half of another
                }
            }
        });
    for (auto& t : threads)
    {
        t.join();
    }
    writing = false;
    reader.join();
    EXPECT_FALSE(torn);
    EXPECT_EQ(job.Shift().x, kThreads * kAdds);
    EXPECT_EQ(job.Shift().y, -kThreads * kAdds);
}

} // namespace
} // namespace zim
