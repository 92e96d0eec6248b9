#pragma once

// The engine's process-wide state. It is prepared before the first window is
// created, so that a hook message arriving during start-up finds it ready, and
// lives until the process ends. The lists of hidden and frozen windows belong
// to HideMode and FrozenWindows.

#include "engine/desktop_grid.h"
#include "platform/hook_library.h"
#include "platform/platform.h"

#include <array>
#include <cstdint>

namespace zim
{

struct EngineState
{
    static constexpr int kMaxGrid = DesktopGrid::kMaxSize;

    explicit EngineState(WindowSystem& windows)
        : MsgAppStarted(windows.RegisterWindowMessage(hookmsg::kAppStartedName)),
          MsgAppStarting(windows.RegisterWindowMessage(hookmsg::kAppStartingName))
    {
    }
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // Registered message ids, the same in every process that registers the names.
    const std::uint32_t MsgAppStarted;
    const std::uint32_t MsgAppStarting;

    // The grid and the shown desktop: (0, 0) at every start, never saved.
    DesktopGrid Grid;
    // Announced application starts not completed yet; every switch is refused meanwhile.
    int AppStarting = 0;
    // The window dragged by its title bar during an edge-scroll switch.
    WindowHandle DragWnd = kNoWindow;
    // Per desktop [column][row], the window to activate when it is entered.
    std::array<std::array<WindowHandle, kMaxGrid>, kMaxGrid> LastActiveWnd{};
};

} // namespace zim
