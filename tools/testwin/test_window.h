#pragma once

// The windows that `open` and `keepalive` create: ordinary top-level windows that paint their
// title and can be told to stop answering, as a hung application does.

#include <windows.h>

#include <optional>
#include <string>

namespace zim::testwin
{

// Posted with the number of milliseconds the window's thread is to sleep.
constexpr UINT kHangMessage = WM_APP + 1;

enum class InitialState
{
    Visible,
    Hidden,
    Minimized,
    Maximized,
};

struct OpenRequest
{
    std::wstring className = L"ZimTestWindow";
    std::wstring title = L"Zim test window";
    int x = 100;
    int y = 100;
    int width = 400;
    int height = 300;
    InitialState state = InitialState::Visible;
    bool topmost = false;
    bool tool = false;
    int count = 1;
    DWORD hangOnStartMs = 0;
    // When set, the windows stamp their moves and wakes into the shared table of
    // this name (move_stamps.h), window i into slot stampBase + i.
    std::wstring stampsName;
    int stampBase = 0;
    // When set, the first ShowWindow takes this command (the one the process was
    // started with) instead of one from `state`, as most programs do.
    std::optional<int> startShowCommand;
};

// Creates the windows, prints their `list` lines and runs until all are closed. Returns the exit code.
int RunWindows(const OpenRequest& request);

} // namespace zim::testwin
