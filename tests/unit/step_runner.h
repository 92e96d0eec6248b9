#pragma once

// Runs the waits of frozen windows one pass at a time, when the test says so,
// against the simulated desktop and its clock.

#include "engine/mover.h"

#include <algorithm>
#include <vector>

namespace zim::testing
{

class StepRunner final : public MoverRunner
{
public:
    explicit StepRunner(WindowSystem& windows) : m_windows(windows) {}

    void Start(std::shared_ptr<TZIMMoveWnd> job, Done done) override { m_jobs.push_back({std::move(job), done}); }

    // One pass of every waiting job; ended jobs report at once, as on the GUI thread.
    void Step()
    {
        auto jobs = std::move(m_jobs);
        m_jobs.clear();
        for (auto& entry : jobs)
        {
            const auto outcome = entry.job->Pass(m_windows);
            if (outcome == TZIMMoveWnd::Outcome::Waiting)
            {
                m_jobs.push_back(entry);
            }
            else
            {
                outcomes.push_back(outcome);
                entry.done(outcome);
            }
        }
    }
    std::size_t Running() const { return m_jobs.size(); }
    bool Runs(WindowHandle w) const
    {
        return std::any_of(m_jobs.begin(), m_jobs.end(), [w](const Entry& entry) { return entry.job->Wnd == w; });
    }

    std::vector<TZIMMoveWnd::Outcome> outcomes;

private:
    struct Entry
    {
        std::shared_ptr<TZIMMoveWnd> job;
        Done done;
    };
    WindowSystem& m_windows;
    std::vector<Entry> m_jobs;
};

} // namespace zim::testing
