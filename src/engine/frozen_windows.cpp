#include "engine/desktop_engine.h"

#include <algorithm>

namespace zim
{

void DesktopEngine::QueueFrozenWindow(WindowHandle w, std::int32_t dx, std::int32_t dy, std::int32_t mode)
{
    std::shared_ptr<TZIMMoveWnd> job;
    {
        std::lock_guard lock(m_state.MoveThreadLock);
        auto& list = m_state.MoveThreadList;
        const auto found = std::find_if(list.begin(), list.end(), [w](const auto& t) { return t->Wnd == w; });
        if (found != list.end())
        {
            // A send or an application start names a new target; switches pile up.
            if (mode == MoveRequest::kSendToDesktop || mode == MoveRequest::kAppStarted)
            {
                (*found)->ReplaceShift(dx, dy);
            }
            else
            {
                (*found)->AddShift(dx, dy);
            }
            return;
        }
        if (m_state.MoveThreadCount >= kMaxMoveThreads)
        {
            job = nullptr; // warned below, outside the lock
        }
        else if (m_runner)
        {
            job = std::make_shared<TZIMMoveWnd>(w, dx, dy);
            list.push_back(job);
            ++m_state.MoveThreadCount;
        }
        else
        {
            return; // nobody to wait for it: it stays where it is
        }
    }
    if (!job)
    {
        if (m_warn)
        {
            m_warn(kTooManyFrozenWindows);
        }
        return;
    }
    m_runner->Start(job, [this, job](TZIMMoveWnd::Outcome outcome) { FinishFrozenWindow(job, outcome); });
}

void DesktopEngine::FinishFrozenWindow(const std::shared_ptr<TZIMMoveWnd>& job, TZIMMoveWnd::Outcome outcome)
{
    if (outcome == TZIMMoveWnd::Outcome::Answered && m_windows.IsWindow(job->Wnd))
    {
        // Read now, on the GUI thread: a switch since the answer has added its shift.
        const Point shift = job->Shift();
        if (UsesHideMode(job->Wnd))
        {
            HideModeMove(job->Wnd, shift.x, shift.y);
        }
        else if (const auto rect = m_windows.GetWindowRect(job->Wnd))
        {
            // It has just answered; still, the GUI thread never waits for it.
            m_windows.MoveWindowAsync(job->Wnd, {rect->left + shift.x, rect->top + shift.y});
        }
    }
    DelThread(job->Wnd);
}

void DesktopEngine::DelThread(WindowHandle w)
{
    std::lock_guard lock(m_state.MoveThreadLock);
    auto& list = m_state.MoveThreadList;
    const auto found = std::find_if(list.begin(), list.end(), [w](const auto& t) { return t->Wnd == w; });
    if (found != list.end())
    {
        list.erase(found);
        --m_state.MoveThreadCount;
    }
}

void DesktopEngine::CancelFrozenWindows()
{
    std::lock_guard lock(m_state.MoveThreadLock);
    for (const auto& job : m_state.MoveThreadList)
    {
        job->ReplaceShift(0, 0);
    }
}

} // namespace zim
