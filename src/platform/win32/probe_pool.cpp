#include "platform/win32/probe_pool.h"

#include <algorithm>

namespace zim::win32
{
namespace
{

bool Answers(HWND w, unsigned timeoutMs)
{
    DWORD_PTR result = 1;
    const LRESULT answered = ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result);
    return answered != 0 && result == 0;
}

} // namespace

ProbePool::~ProbePool()
{
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
    {
        worker.join();
    }
}

std::vector<bool> ProbePool::Probe(const std::vector<HWND>& windows, unsigned timeoutMs)
{
    std::vector<char> answers(windows.size(), 0);
    std::vector<HWND> others;
    std::vector<std::size_t> otherIndex;
    const DWORD self = ::GetCurrentThreadId();
    for (std::size_t i = 0; i < windows.size(); ++i)
    {
        // A worker's probe of one of our own windows would wait for this very thread.
        if (::GetWindowThreadProcessId(windows[i], nullptr) == self)
        {
            answers[i] = Answers(windows[i], timeoutMs) ? 1 : 0;
        }
        else
        {
            others.push_back(windows[i]);
            otherIndex.push_back(i);
        }
    }

    if (!others.empty())
    {
        std::vector<char> otherAnswers(others.size(), 0);
        std::unique_lock lock(m_lock);
        // Threads that could not be started leave the rest to those that were.
        const std::size_t wanted = std::min(others.size(), kMaxWorkers);
        while (m_workers.size() < wanted)
        {
            try
            {
                m_workers.emplace_back([this] { Work(); });
            }
            catch (const std::system_error&)
            {
                break;
            }
        }
        if (m_workers.empty())
        {
            lock.unlock();
            for (std::size_t i = 0; i < others.size(); ++i)
            {
                otherAnswers[i] = Answers(others[i], timeoutMs) ? 1 : 0;
            }
        }
        else
        {
            m_batch = &others;
            m_answers = &otherAnswers;
            m_timeoutMs = timeoutMs;
            m_next = 0;
            m_pending = others.size();
            m_wake.notify_all();
            // Every probe has its own time-out, so this wait ends.
            m_done.wait(lock, [this] { return m_pending == 0; });
            m_batch = nullptr;
            m_answers = nullptr;
        }
        for (std::size_t i = 0; i < others.size(); ++i)
        {
            answers[otherIndex[i]] = otherAnswers[i];
        }
    }
    return std::vector<bool>(answers.begin(), answers.end());
}

void ProbePool::Work()
{
    std::unique_lock lock(m_lock);
    for (;;)
    {
        m_wake.wait(lock, [this] { return m_stopping || (m_batch && m_next < m_batch->size()); });
        if (m_stopping)
        {
            return;
        }
        const std::size_t index = m_next++;
        const HWND w = (*m_batch)[index];
        const unsigned timeoutMs = m_timeoutMs;
        lock.unlock();
        const bool answered = Answers(w, timeoutMs);
        lock.lock();
        (*m_answers)[index] = answered ? 1 : 0;
        if (--m_pending == 0)
        {
            m_done.notify_one();
        }
    }
}

} // namespace zim::win32
