#pragma once

// Frozen windows: a window that did not answer in time is watched by a worker
// of its own, which keeps probing it and has it moved as soon as it answers.
// Shifts that pile up meanwhile are collected in the worker's pending shift.

#include "platform/platform.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace zim
{

class TZIMMoveWnd
{
public:
    // How long each probe of the worker waits.
    static constexpr unsigned kProbeMs = 1000;

    enum class Outcome
    {
        Waiting,   // still frozen: probe again
        Answered,  // move it now
        Cancelled, // later switches brought the pending shift back to zero: nothing to do
        Vanished,  // the window was destroyed
    };

    TZIMMoveWnd(WindowHandle wnd, std::int32_t dx, std::int32_t dy) : Wnd(wnd), m_shift(Pack(dx, dy)) {}

    const WindowHandle Wnd;

    // Read and written whole, so the worker never sees half of an update.
    Point Shift() const { return Unpack(m_shift.load()); }
    void ReplaceShift(std::int32_t dx, std::int32_t dy) { m_shift.store(Pack(dx, dy)); }
    // One atomic step: a replacement or another addition in between is never lost.
    void AddShift(std::int32_t dx, std::int32_t dy)
    {
        std::uint64_t old = m_shift.load();
        while (!m_shift.compare_exchange_weak(old, Added(old, dx, dy)))
        {
        }
    }

    // One pass of the wait, on the worker: may take up to kProbeMs.
    Outcome Pass(WindowSystem& windows);

private:
    static std::uint64_t Pack(std::int32_t dx, std::int32_t dy)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(dx)) << 32) | static_cast<std::uint32_t>(dy);
    }
    static Point Unpack(std::uint64_t v)
    {
        return {static_cast<std::int32_t>(static_cast<std::uint32_t>(v >> 32)),
                static_cast<std::int32_t>(static_cast<std::uint32_t>(v))};
    }
    // Wraps rather than overflows: no pile of switches comes near, but it stays defined.
    static std::uint64_t Added(std::uint64_t v, std::int32_t dx, std::int32_t dy)
    {
        const auto x = static_cast<std::uint32_t>(v >> 32) + static_cast<std::uint32_t>(dx);
        const auto y = static_cast<std::uint32_t>(v) + static_cast<std::uint32_t>(dy);
        return (static_cast<std::uint64_t>(x) << 32) | y;
    }

    std::atomic<std::uint64_t> m_shift;
};

// Runs the wait of each frozen window somewhere and reports its end on the GUI thread.
class MoverRunner
{
public:
    using Done = std::function<void(TZIMMoveWnd::Outcome)>;

    MoverRunner() = default;
    MoverRunner(const MoverRunner&) = delete;
    MoverRunner& operator=(const MoverRunner&) = delete;
    virtual ~MoverRunner() = default;

    virtual void Start(std::shared_ptr<TZIMMoveWnd> job, Done done) = 0;
};

// One real thread per frozen window. The threads are abandoned when the program
// ends: they keep only shared state alive, and once the runner is gone they end
// without touching anything else. Create, start and destroy it on the GUI thread:
// a report queued before the destruction is dropped there, never delivered late.
class ThreadMoverRunner final : public MoverRunner
{
public:
    // A window the system already counts as hung fails its probe at once; the
    // worker then rests this long rather than spin.
    static constexpr unsigned kMinPassMs = 250;

    ThreadMoverRunner(std::shared_ptr<WindowSystem> windows, Scheduler& scheduler);
    ~ThreadMoverRunner() override;

    void Start(std::shared_ptr<TZIMMoveWnd> job, Done done) override;

private:
    struct Shared
    {
        std::shared_ptr<WindowSystem> windows;
        // Held while posting, so the scheduler cannot go away meanwhile, and while a
        // worker is launched, so it cannot end before it is detached.
        std::mutex lock;
        Scheduler* scheduler = nullptr;
        std::atomic<bool> open{true};
    };
    static void Launch(std::shared_ptr<Shared> shared, std::shared_ptr<TZIMMoveWnd> job, Done done);
    static void Report(const std::shared_ptr<Shared>& shared, const std::shared_ptr<TZIMMoveWnd>& job, const Done& done,
                       TZIMMoveWnd::Outcome outcome);

    std::shared_ptr<Shared> m_shared;
};

} // namespace zim
