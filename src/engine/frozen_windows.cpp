#include "engine/frozen_windows.h"

#include <algorithm>
#include <system_error>

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
        if (const auto waiting = FindWaiting(w); waiting != m_waiting.end())
        {
            waiting->second = replace ? Point{dx, dy} : Point{waiting->second.x + dx, waiting->second.y + dy};
            return;
        }
        if (!m_runner)
        {
            return; // nobody to wait for it: it stays where it is
        }
        if (m_count >= kMaxMoveThreads)
        {
            // Left where it is, it would lie on another desktop than its own,
            // perhaps outside the grid: it waits for the next free worker instead.
            m_waiting.emplace_back(w, Point{dx, dy});
        }
        else
        {
            job = EnlistLocked(w, dx, dy);
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
    StartWorker(job);
}

std::shared_ptr<TZIMMoveWnd> FrozenWindows::EnlistLocked(WindowHandle w, std::int32_t dx, std::int32_t dy)
{
    auto job = std::make_shared<TZIMMoveWnd>(w, dx, dy);
    m_list.push_back(job);
    ++m_count;
    return job;
}

std::vector<std::pair<WindowHandle, Point>>::iterator FrozenWindows::FindWaiting(WindowHandle w)
{
    return std::find_if(m_waiting.begin(), m_waiting.end(), [w](const auto& entry) { return entry.first == w; });
}

void FrozenWindows::StartWorker(const std::shared_ptr<TZIMMoveWnd>& job)
{
    try
    {
        m_runner->Start(job, [this, job](TZIMMoveWnd::Outcome outcome) { FinishFrozenWindow(job, outcome); });
    }
    catch (const std::system_error&)
    {
        // No thread to be had: the window stays where it is and counts against
        // nobody's limit.
        DelThread(job->Wnd);
    }
}

void FrozenWindows::StartWaitingWorkers()
{
    for (;;)
    {
        std::shared_ptr<TZIMMoveWnd> job;
        {
            std::lock_guard lock(m_lock);
            if (m_waiting.empty() || m_count >= kMaxMoveThreads || !m_runner)
            {
                return;
            }
            const auto [w, shift] = m_waiting.front();
            m_waiting.erase(m_waiting.begin());
            if (!m_windows.IsWindow(w))
            {
                continue;
            }
            job = EnlistLocked(w, shift.x, shift.y);
        }
        StartWorker(job);
    }
}

bool FrozenWindows::ShowPendingWarning()
{
    if (!m_warningPending)
    {
        return false;
    }
    m_warningPending = false;
    if (!m_warn)
    {
        return false;
    }
    m_warn(kTooManyFrozenWindows);
    return true;
}

void FrozenWindows::FinishFrozenWindow(const std::shared_ptr<TZIMMoveWnd>& job, TZIMMoveWnd::Outcome outcome)
{
    if (outcome == TZIMMoveWnd::Outcome::Answered && m_windows.IsWindow(job->Wnd))
    {
        // Read now, on the GUI thread: a switch since the answer has added its shift.
        const Point shift = job->Shift();
        if (m_hideMode.TakesHideMode(job->Wnd, shift.x, shift.y))
        {
            // Hide mode's moves and shows wait for the window's thread, and it
            // may be busy again since it answered: a fresh look first, and a
            // new worker when it does not answer.
            if (!m_windows.ProbeWindow(job->Wnd, kFinishProbeMs))
            {
                DelThread(job->Wnd);
                QueueFrozenWindow(job->Wnd, shift.x, shift.y, true);
                StartWaitingWorkers();
                return;
            }
            m_hideMode.HideModeMove(job->Wnd, shift.x, shift.y);
        }
        else if (const auto rect = m_windows.GetWindowRect(job->Wnd))
        {
            // It has just answered; still, the GUI thread never waits for it.
            const Point target{rect->left + shift.x, rect->top + shift.y};
            m_windows.MoveWindowAsync(job->Wnd, target);
            // Done moves and dead windows need no gathering at exit.
            std::erase_if(m_queuedMoves,
                          [&](const auto& queued)
                          {
                              const auto now = m_windows.GetWindowRect(queued.first);
                              return queued.first == job->Wnd || !now || Point{now->left, now->top} == queued.second;
                          });
            m_queuedMoves.emplace_back(job->Wnd, target);
        }
    }
    DelThread(job->Wnd);
    StartWaitingWorkers();
}

void FrozenWindows::GatherQueuedMoves()
{
    for (const auto& [w, target] : m_queuedMoves)
    {
        const auto rect = m_windows.GetWindowRect(w);
        if (!m_windows.IsWindow(w) || !rect || (Point{rect->left, rect->top} == target))
        {
            continue; // gone, or moved already: the usual gathering sees it where it is
        }
        const Rect there = Rect::FromSize(target.x, target.y, rect->Width(), rect->Height());
        if (const auto place = OnScreenPlaceFor(m_windows, there))
        {
            // Behind the waiting move in the window's own queue, so it lands last.
            m_windows.MoveWindowAsync(w, *place);
        }
    }
    m_queuedMoves.clear();
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
    m_waiting.clear();
}

std::optional<Point> FrozenWindows::PendingShift(WindowHandle w) const
{
    std::lock_guard lock(m_lock);
    const auto found = std::find_if(m_list.begin(), m_list.end(), [w](const auto& t) { return t->Wnd == w; });
    if (found != m_list.end())
    {
        return (*found)->Shift();
    }
    const auto waiting =
        std::find_if(m_waiting.begin(), m_waiting.end(), [w](const auto& entry) { return entry.first == w; });
    return waiting != m_waiting.end() ? std::optional<Point>(waiting->second) : std::nullopt;
}

std::vector<std::pair<WindowHandle, Point>> FrozenWindows::PendingShifts() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::pair<WindowHandle, Point>> shifts;
    shifts.reserve(m_list.size() + m_waiting.size());
    for (const auto& job : m_list)
    {
        shifts.emplace_back(job->Wnd, job->Shift());
    }
    shifts.insert(shifts.end(), m_waiting.begin(), m_waiting.end());
    return shifts;
}

} // namespace zim
