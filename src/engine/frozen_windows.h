#pragma once

// Frozen windows: a window that did not answer in time gets a worker of its own
// (at most kMaxMoveThreads at once), which has it moved once it answers. This
// class owns the list of those workers; the engine hands windows in, workers
// report their end here on the GUI thread.

#include "engine/hide_mode.h"
#include "engine/mover.h"
#include "platform/platform.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zim
{

class FrozenWindows
{
public:
    // Workers at once; a frozen window beyond them waits for the next one free.
    static constexpr int kMaxMoveThreads = 17;
    static constexpr std::size_t kMoveThreadReserve = 16;
    // The look at a window that has just answered its worker, before hide mode
    // acts on it; as long as a switch's.
    static constexpr unsigned kFinishProbeMs = 100;
    static constexpr const char* kTooManyFrozenWindows = "The system appears to have more than 16 frozen windows! "
                                                         "Zim Desk can loose some of them if not taken care of.";

    FrozenWindows(WindowSystem& windows, HideMode& hideMode);
    FrozenWindows(const FrozenWindows&) = delete;
    FrozenWindows& operator=(const FrozenWindows&) = delete;

    void SetMoverRunner(MoverRunner* runner) { m_runner = runner; }
    // Shows a modal warning to the user.
    void SetWarning(std::function<void(const std::string&)> warn) { m_warn = std::move(warn); }

    // A window that did not answer in time. A switch adds its shift to a pending
    // one; a send or an application start (`replace`) names a new target.
    void QueueFrozenWindow(WindowHandle w, std::int32_t dx, std::int32_t dy, bool replace);
    // The warning about windows that found no free worker, once it is safe to show a
    // modal box (the switch or move that met them has finished); each window is
    // warned about once.
    // True when a warning was shown.
    bool ShowPendingWarning();
    // A worker has ended; on the GUI thread.
    void DelThread(WindowHandle w);
    // At exit: every frozen window is gathered like the rest, so no pending shift may follow.
    void CancelFrozenWindows();

    // At exit, after CancelFrozenWindows: a window whose move, handed to its own
    // thread when it answered, has not happened yet is gathered from where that
    // move will take it, with a move queued behind it.
    void GatherQueuedMoves();

    int MoveThreadCount() const { return m_count.load(); }
    // The shift still owed to a frozen window (by its worker, or while it waits
    // for one), or nothing when it is not frozen.
    std::optional<Point> PendingShift(WindowHandle w) const;
    // Every frozen window with the shift it is still owed.
    std::vector<std::pair<WindowHandle, Point>> PendingShifts() const;

private:
    void FinishFrozenWindow(const std::shared_ptr<TZIMMoveWnd>& job, TZIMMoveWnd::Outcome outcome);
    // A worker's entry in the list; m_lock held.
    std::shared_ptr<TZIMMoveWnd> EnlistLocked(WindowHandle w, std::int32_t dx, std::int32_t dy);
    // A window's place among those waiting for a worker; m_lock held.
    std::vector<std::pair<WindowHandle, Point>>::iterator FindWaiting(WindowHandle w);
    void StartWorker(const std::shared_ptr<TZIMMoveWnd>& job);
    // Gives windows waiting for a worker the workers that have come free.
    void StartWaitingWorkers();

    WindowSystem& m_windows;
    HideMode& m_hideMode;
    MoverRunner* m_runner = nullptr;
    std::function<void(const std::string&)> m_warn;
    // Windows already warned about, and whether a warning waits to be shown.
    std::vector<WindowHandle> m_warned;
    bool m_warningPending = false;

    mutable std::mutex m_lock;                        // guards m_list and m_waiting
    std::vector<std::shared_ptr<TZIMMoveWnd>> m_list; // MoveThreadList: one per frozen window
    std::atomic<int> m_count{0};                      // MoveThreadCount
    // Frozen windows beyond the workers, in arrival order, with the shift each is owed; guarded by m_lock.
    std::vector<std::pair<WindowHandle, Point>> m_waiting;
    // Moves handed to windows' own threads, by target; GUI thread only.
    std::vector<std::pair<WindowHandle, Point>> m_queuedMoves;
};

} // namespace zim
