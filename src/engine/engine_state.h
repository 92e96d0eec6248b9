#pragma once

// The engine's process-wide state. It is prepared before the first window is
// created, so that a hook message arriving during start-up finds it ready, and
// lives until the process ends.

#include "engine/mover.h"
#include "platform/platform.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zim
{

// One window held hidden by hide mode: its desktop, where its miniature is drawn,
// the window, and whether it is hidden now.
struct HideWndItem
{
    std::int32_t column = 0;
    std::int32_t row = 0;
    Rect miniature;
    WindowHandle wnd = kNoWindow;
    bool hidden = false;
};

// Entries keyed by window class name, in order of first handling.
using HideWndEntries = std::vector<std::pair<std::string, std::unique_ptr<HideWndItem>>>;

struct EngineState
{
    static constexpr int kMaxGrid = 10;
    static constexpr std::size_t kMoveThreadReserve = 16;

    explicit EngineState(WindowSystem& windows)
        : MsgAppStarted(windows.RegisterWindowMessage("ZIM_APPSTARTED")),
          MsgAppStarting(windows.RegisterWindowMessage("ZIM_APPSTARTING"))
    {
        MoveThreadList.reserve(kMoveThreadReserve);
    }
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // Registered message ids, the same in every process that registers the names.
    const std::uint32_t MsgAppStarted;
    const std::uint32_t MsgAppStarting;

    // The shown desktop: (0, 0) at every start, never saved.
    std::int32_t CurrentX = 0;
    std::int32_t CurrentY = 0;
    // Announced application starts not completed yet; every switch is refused meanwhile.
    int AppStarting = 0;
    // The window dragged by its title bar during an edge-scroll switch.
    WindowHandle DragWnd = kNoWindow;
    // Per desktop [column][row], the window to activate when it is entered.
    std::array<std::array<WindowHandle, kMaxGrid>, kMaxGrid> LastActiveWnd{};

    std::mutex MoveThreadLock;                                // guards MoveThreadList
    std::vector<std::shared_ptr<TZIMMoveWnd>> MoveThreadList; // one per frozen window
    std::atomic<int> MoveThreadCount{0};

    HideWndEntries HideWndList;
};

} // namespace zim
