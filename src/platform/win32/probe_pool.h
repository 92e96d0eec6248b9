#pragma once

// Worker threads that probe many windows side by side. A switch asks every
// window it will move whether it answers before moving it; one after the other,
// every hung window would cost its full time-out in turn. The workers send the
// probes while the asking thread waits without pumping messages, so nothing can
// reach it in the middle of a switch.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace zim::win32
{

class ProbePool
{
public:
    // Enough for a few hung windows to cost one time-out together; more
    // windows than workers are probed in turn by the same workers.
    static constexpr std::size_t kMaxWorkers = 16;

    ProbePool() = default;
    ProbePool(const ProbePool&) = delete;
    ProbePool& operator=(const ProbePool&) = delete;
    ~ProbePool();

    // WM_NULL with SMTO_ABORTIFHUNG and `timeoutMs` to each window: true where
    // the window answered 0 in time. Windows of the calling thread are asked
    // directly (their thread is the one waiting here).
    std::vector<bool> Probe(const std::vector<HWND>& windows, unsigned timeoutMs);

private:
    void Work();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<std::thread> m_workers;
    // The batch in hand; m_next is the first window not yet taken.
    const std::vector<HWND>* m_batch = nullptr;
    std::vector<char>* m_answers = nullptr;
    unsigned m_timeoutMs = 0;
    std::size_t m_next = 0;
    std::size_t m_pending = 0;
    bool m_stopping = false;
};

} // namespace zim::win32
