#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace zim::win32
{

// Time, timers and posted work on the GUI thread, through a message-only window
// of that thread. Work and ticks run only while the thread pumps messages.
class Win32Scheduler final : public Scheduler
{
public:
    // Call on the GUI thread.
    Win32Scheduler();
    ~Win32Scheduler() override;

    std::uint64_t NowMs() override;
    void PostToGui(std::function<void()> work) override;
    std::unique_ptr<Timer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;

private:
    class MessageWindow;
    class Win32Timer;

    void RunPosted();
    void OnTimer(std::uintptr_t id);

    std::unique_ptr<MessageWindow> m_window;
    std::mutex m_lock; // guards m_posted and m_wakePending
    std::deque<std::function<void()>> m_posted;
    bool m_wakePending = false;
    std::map<std::uintptr_t, Win32Timer*> m_timers;
    std::uintptr_t m_nextTimerId = 1;
};

} // namespace zim::win32
