#include "engine/mover.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace zim
{

TZIMMoveWnd::Outcome TZIMMoveWnd::Pass(WindowSystem& windows)
{
    if (!windows.GetWindowRect(Wnd))
    {
        return Outcome::Vanished;
    }
    if (windows.ProbeWindow(Wnd, kProbeMs))
    {
        return Outcome::Answered;
    }
    if (Shift() == Point{0, 0})
    {
        return Outcome::Cancelled; // it already lies where it belongs
    }
    return windows.GetWindowRect(Wnd) ? Outcome::Waiting : Outcome::Vanished;
}

ThreadMoverRunner::ThreadMoverRunner(std::shared_ptr<WindowSystem> windows, Scheduler& scheduler)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->windows = std::move(windows);
    m_shared->scheduler = &scheduler;
}

ThreadMoverRunner::~ThreadMoverRunner()
{
    std::lock_guard lock(m_shared->lock);
    m_shared->open = false;
    m_shared->scheduler = nullptr;
}

void ThreadMoverRunner::Start(std::shared_ptr<TZIMMoveWnd> job, Done done)
{
    Launch(m_shared, std::move(job), std::move(done));
}

void ThreadMoverRunner::Launch(std::shared_ptr<Shared> shared, std::shared_ptr<TZIMMoveWnd> job, Done done)
{
    // A worker must not end before it is detached. With winpthreads, detaching a
    // thread that has just ended recycles its record while the thread's exit still
    // uses it: a later worker then never runs (its window is never moved) or runs
    // another's state twice (a crash). Held until the detach, the lock keeps the new
    // worker from starting its work.
    std::lock_guard started(shared->lock);
    std::thread(
        [shared, job = std::move(job), done = std::move(done)]
        {
            {
                std::lock_guard detached(shared->lock);
            }
            TZIMMoveWnd::Outcome outcome = TZIMMoveWnd::Outcome::Waiting;
            while (shared->open && outcome == TZIMMoveWnd::Outcome::Waiting)
            {
                const auto start = std::chrono::steady_clock::now();
                outcome = job->Pass(*shared->windows);
                const auto spent = std::chrono::steady_clock::now() - start;
                if (outcome == TZIMMoveWnd::Outcome::Waiting && spent < std::chrono::milliseconds(kMinPassMs))
                {
                    std::this_thread::sleep_for(std::chrono::milliseconds(kMinPassMs) - spent);
                }
            }
            std::lock_guard lock(shared->lock);
            if (shared->open && shared->scheduler)
            {
                shared->scheduler->PostToGui([shared, job, done, outcome] { Report(shared, job, done, outcome); });
            }
        })
        .detach();
}

void ThreadMoverRunner::Report(const std::shared_ptr<Shared>& shared, const std::shared_ptr<TZIMMoveWnd>& job,
                               const Done& done, TZIMMoveWnd::Outcome outcome)
{
    // On the GUI thread, where the runner is destroyed: nothing runs for a caller that is gone.
    if (!shared->open)
    {
        return;
    }
    // A switch between the worker's last look and now has given it a shift again:
    // ending here would leave the window on the wrong desktop.
    if (outcome == TZIMMoveWnd::Outcome::Cancelled && job->Shift() != Point{0, 0})
    {
        try
        {
            Launch(shared, job, done);
            return;
        }
        catch (const std::system_error&)
        {
            // No thread to be had: the job ends, and its window stays where it
            // is, on a desktop the user can reach.
        }
    }
    done(outcome);
}

} // namespace zim
