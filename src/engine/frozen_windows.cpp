#include "engine/frozen_windows.h"

#include <algorithm>

namespace zim
{

FrozenWindows::FrozenWindows(WindowSystem& windows, HideMode& hideMode) : m_windows(windows), m_hideMode(hideMode)
{
    m_list.reserve(kMoveThreadReserve);
}

void FrozenWindows::QueueFrozenWindow(WindowHandle w, std::int32_t dx, std::int32_t dy, bool replace)
{
    std::shared_ptr<TZIMMoveWnd> job;
    {
        std::lock_guard lock(m_lock);
        const auto found = std::find_if(m_list.begin(), m_list.end(), [w](const auto& t) { return t->Wnd == w; });
        if (found != m_list.end())
        {
            if (replace)
            {
                (*found)->ReplaceShift(dx, dy);
            }
            else
            {
                (*found)->AddShift(dx, dy);
            }
            return;
        }
        if (m_count >= kMaxMoveThreads)
        {
            job = nullptr; // warned below, outside the lock
        }
        else if (m_runner)
        {
            job = std::make_shared<TZIMMoveWnd>(w, dx, dy);
            m_list.push_back(job);
            ++m_count;
        }
        else
        {
            return; // nobody to wait for it: it stays where it is
        }
    }
    if (!job)
    {
        // Not shown here: its modal loop would let the tray, a hotkey or the
        // monitor start a second switch in the middle of this one.
        std::erase_if(m_warned, [this](WindowHandle gone) { return !m_windows.IsWindow(gone); });
        if (std::find(m_warned.begin(), m_warned.end(), w) == m_warned.end())
        {
            m_warned.push_back(w);
            m_warningPending = true;
        }
        return;
    }
    m_runner->Start(job, [this, job](TZIMMoveWnd::Outcome outcome) { FinishFrozenWindow(job, outcome); });
}

void FrozenWindows::ShowPendingWarning()
{
    if (!m_warningPending)
    {
        return;
    }
    m_warningPending = false;
    if (m_warn)
    {
        m_warn(kTooManyFrozenWindows);
    }
}

void FrozenWindows::FinishFrozenWindow(const std::shared_ptr<TZIMMoveWnd>& job, TZIMMoveWnd::Outcome outcome)
{
    if (outcome == TZIMMoveWnd::Outcome::Answered && m_windows.IsWindow(job->Wnd))
    {
        // Read now, on the GUI thread: a switch since the answer has added its shift.
        const Point shift = job->Shift();
        if (m_hideMode.TakesHideMode(job->Wnd, shift.x, shift.y))
        {
            m_hideMode.HideModeMove(job->Wnd, shift.x, shift.y);
        }
        else if (const auto rect = m_windows.GetWindowRect(job->Wnd))
        {
            // It has just answered; still, the GUI thread never waits for it.
            m_windows.MoveWindowAsync(job->Wnd, {rect->left + shift.x, rect->top + shift.y});
        }
    }
    DelThread(job->Wnd);
}

void FrozenWindows::DelThread(WindowHandle w)
{
    std::lock_guard lock(m_lock);
    const auto found = std::find_if(m_list.begin(), m_list.end(), [w](const auto& t) { return t->Wnd == w; });
    if (found != m_list.end())
    {
        m_list.erase(found);
        --m_count;
    }
}

void FrozenWindows::CancelFrozenWindows()
{
    std::lock_guard lock(m_lock);
    for (const auto& job : m_list)
    {
        job->ReplaceShift(0, 0);
    }
}

std::optional<Point> FrozenWindows::PendingShift(WindowHandle w) const
{
    std::lock_guard lock(m_lock);
    const auto found = std::find_if(m_list.begin(), m_list.end(), [w](const auto& t) { return t->Wnd == w; });
    if (found == m_list.end())
    {
        return std::nullopt;
    }
    return (*found)->Shift();
}

} // namespace zim
