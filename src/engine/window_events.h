#pragma once

// Window events that arrive as messages from other processes: a window's
// system-menu command sends it to another desktop, and an announced application
// start places the new program's windows on a chosen desktop while the view
// stays. Both reuse the switch's per-window move, so every rule of a switch
// (sticky, minimised, hide mode, hung windows) applies to them too.
//
// The values come from other processes and may be anything: a window that is
// gone, a desktop outside the grid or a number too large for its field is ignored.

#include "engine/desktop_engine.h"
#include "engine/engine_state.h"
#include "platform/platform.h"

#include <cstdint>
#include <deque>
#include <memory>

namespace zim
{

// The parameter block of AppStartedProc: the target desktop and the process whose windows go there.
struct AppStartRequest
{
    std::int32_t TX = 0;
    std::int32_t TY = 0;
    std::uint32_t ProcessId = 0;
};

class WindowEvents
{
public:
    // An announced start that is never reported as over (its announcer died, or
    // the report was lost) stops blocking switches after this long. The launcher
    // takes up to about 7 s between its two messages.
    static constexpr unsigned kAppStartExpiryMs = 10000;

    WindowEvents(WindowSystem& windows, Scheduler& scheduler, EngineState& state, DesktopEngine& engine);
    WindowEvents(const WindowEvents&) = delete;
    WindowEvents& operator=(const WindowEvents&) = delete;

    // The main window's input timer, paused while windows move; null once it is gone.
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }

    // WM_USER+4: the window and the system-menu command chosen in it.
    void OnSendToDesktop(std::uintptr_t window, std::intptr_t commandId);
    // "ZIM_APPSTARTING": the view holds still until the start is over.
    void OnAppStarting();
    // "ZIM_APPSTARTED": the desktop number and the process id; 0 only ends the start.
    void OnAppStarted(std::uintptr_t desktopNumber, std::intptr_t processId);

    // For one top-level window; always true so that an enumeration visits every window.
    bool AppStartedProc(WindowHandle w, const AppStartRequest& request);

private:
    bool IsTopLevel(WindowHandle w);
    void ExpireAppStarts();
    // Runs the expiry timer until the oldest pending start's deadline, or stops it.
    void ArmExpiry();

    WindowSystem& m_windows;
    Scheduler& m_scheduler;
    EngineState& m_state;
    DesktopEngine& m_engine;
    Timer* m_inputTimer = nullptr;
    std::unique_ptr<Timer> m_expiryTimer;
    // The deadline of every pending start, oldest first.
    std::deque<std::uint64_t> m_startDeadlines;
};

} // namespace zim
