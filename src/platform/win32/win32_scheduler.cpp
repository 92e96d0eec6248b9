#include "platform/win32/win32_scheduler.h"

#include "platform/win32/handles.h"
#include "platform/win32/window.h"

namespace zim::win32
{

namespace
{
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr wchar_t kClassName[] = L"ZimDeskScheduler";
} // namespace

class Win32Scheduler::MessageWindow final : public Window
{
public:
    explicit MessageWindow(Win32Scheduler& owner) : m_owner(owner)
    {
        Create(kClassName, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case kWakeMessage:
            m_owner.RunPosted();
            return 0;
        case WM_TIMER:
            m_owner.OnTimer(wParam);
            // Any wake-up also serves work whose wake message could not be posted.
            m_owner.RunPosted();
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
        }
    }

private:
    Win32Scheduler& m_owner;
};

class Win32Scheduler::Win32Timer final : public Timer
{
public:
    Win32Timer(Win32Scheduler* scheduler, unsigned interval, std::function<void()> onTick)
        : m_scheduler(scheduler), m_id(scheduler->m_nextTimerId++), m_interval(interval), m_onTick(std::move(onTick))
    {
        m_scheduler->m_timers[m_id] = this;
    }
    ~Win32Timer() override
    {
        if (m_destroyed)
        {
            *m_destroyed = true; // destroyed by its own tick
        }
        if (m_scheduler)
        {
            Stop();
            m_scheduler->m_timers.erase(m_id);
        }
    }

    void SetEnabled(bool enabled) override
    {
        if (enabled != m_enabled)
        {
            m_enabled = enabled;
            // A timer that pauses itself for its own tick (the input timer, every
            // 50 ms) costs two calls into the window system; they wait for the
            // tick's end, where most turn out to be unneeded.
            if (!m_ticking)
            {
                enabled ? Start() : Stop();
            }
            else if (!enabled)
            {
                m_paused = true;
            }
        }
    }
    bool IsEnabled() const override { return m_enabled; }
    void SetInterval(unsigned ms) override
    {
        m_interval = ms;
        if (m_ticking)
        {
            m_restart = true;
        }
        else if (m_enabled)
        {
            Start(); // SetTimer on the same id restarts the count
        }
    }
    unsigned Interval() const override { return m_interval; }

    void Tick()
    {
        if (m_ticking)
        {
            return; // a tick of its own, queued while it pumped messages
        }
        // The callback may destroy this timer: the callable lives on the stack
        // meanwhile, and the flag tells whether this object still exists. The
        // guard settles the tick however the callback ends.
        bool destroyed = false;
        struct Settle
        {
            Win32Timer& timer;
            bool& destroyed;
            std::function<void()> onTick;
            std::uint64_t started = ::GetTickCount64();
            ~Settle()
            {
                if (!destroyed)
                {
                    timer.m_onTick = std::move(onTick);
                    timer.EndTick(started);
                }
            }
        } settle{*this, destroyed, std::move(m_onTick)};
        m_destroyed = &destroyed;
        m_ticking = true;
        m_paused = false;
        m_restart = false;
        settle.onTick();
    }
    void Detach() { m_scheduler = nullptr; }

private:
    void EndTick(std::uint64_t started)
    {
        m_destroyed = nullptr;
        m_ticking = false;
        // The system timer has run on throughout. Settle what the tick asked
        // for: stopped stays stopped; a pause that took a good part of the
        // interval starts the count again, as stopping and starting would have.
        if (!m_enabled)
        {
            Stop();
        }
        else if (m_restart || (m_paused && ::GetTickCount64() - started >= m_interval / 4))
        {
            Start();
        }
    }

    HWND Hwnd() const { return m_scheduler ? m_scheduler->m_window->Handle() : nullptr; }
    void Start()
    {
        if (const HWND hwnd = Hwnd())
        {
            ::SetTimer(hwnd, m_id, m_interval, nullptr);
        }
    }
    void Stop()
    {
        if (const HWND hwnd = Hwnd())
        {
            ::KillTimer(hwnd, m_id);
        }
    }

    Win32Scheduler* m_scheduler;
    std::uintptr_t m_id;
    unsigned m_interval;
    std::function<void()> m_onTick;
    bool m_enabled = false;
    bool m_ticking = false;
    bool m_paused = false;       // disabled for a while during the tick
    bool m_restart = false;      // the interval changed during the tick
    bool* m_destroyed = nullptr; // set during a tick
};

Win32Scheduler::Win32Scheduler() : m_window(std::make_unique<MessageWindow>(*this)) {}

Win32Scheduler::~Win32Scheduler()
{
    for (auto& [id, timer] : m_timers)
    {
        ::KillTimer(m_window->Handle(), id);
        timer->Detach();
    }
}

std::uint64_t Win32Scheduler::NowMs()
{
    return ::GetTickCount64();
}

void Win32Scheduler::PostToGui(std::function<void()> work)
{
    std::lock_guard lock(m_lock);
    m_posted.push_back(std::move(work));
    // One wake message at a time; when posting fails the work waits for the next wake.
    // A null window would turn the post into a stray thread message.
    const HWND hwnd = m_window->Handle();
    if (!m_wakePending && hwnd)
    {
        m_wakePending = ::PostMessageW(hwnd, kWakeMessage, 0, 0) != FALSE;
    }
}

std::unique_ptr<Timer> Win32Scheduler::CreateTimer(unsigned intervalMs, std::function<void()> onTick)
{
    return std::make_unique<Win32Timer>(this, intervalMs, std::move(onTick));
}

void Win32Scheduler::RunPosted()
{
    std::deque<std::function<void()>> work;
    {
        std::lock_guard lock(m_lock);
        work.swap(m_posted);
        m_wakePending = false;
    }
    for (std::function<void()>& item : work)
    {
        item();
    }
}

void Win32Scheduler::OnTimer(std::uintptr_t id)
{
    // A tick already queued when the timer was stopped or destroyed is dropped.
    const auto it = m_timers.find(id);
    if (it != m_timers.end() && it->second->IsEnabled())
    {
        it->second->Tick();
    }
}

} // namespace zim::win32
