#pragma once

// What the hidden main window does with each message it handles, and the result
// it answers, apart from the window itself: the hook library's messages, the two
// registered application-start messages, the change of the work area and the end
// of the Windows session. Everything else goes to the default processing.

#include "app/grid_area_query.h"
#include "engine/engine_state.h"
#include "engine/hide_mode.h"
#include "engine/window_events.h"
#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace zim
{

// System message numbers the main window handles (values as on Windows).
namespace wm
{
inline constexpr std::uint32_t kEndSession = 0x0016;
inline constexpr std::uint32_t kSettingChange = 0x001A;
inline constexpr std::uint32_t kDisplayChange = 0x007E;
} // namespace wm

class MainWindowDispatch
{
public:
    // Copies the two 32-bit integers at an address of this process; false when
    // they cannot be read (another process may send any number as an address).
    using ReadPair = std::function<bool(std::uintptr_t address, std::int32_t& first, std::int32_t& second)>;

    MainWindowDispatch(const EngineState& state, HideMode& hideMode, WindowEvents& events, WindowSystem& windows,
                       ReadPair readPair, std::function<void()> onSessionEnd);

    // The message's result, or nothing when it goes on to the default processing.
    std::optional<std::intptr_t> Dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    // Answers kGetGridAreaMessage.
    void SetGridAreaQuery(std::function<Rect()> query) { m_gridArea = std::move(query); }

    // The screen without the task bar, for edge scrolling while a window is dragged.
    const Rect& WorkArea() const { return m_workArea; }
    // The screen's size for the input tick, which would otherwise ask for it
    // twenty times a second although it changes only with the display.
    const Size& ScreenSize() const { return m_screen; }
    void RefreshScreen()
    {
        m_screen = m_windows.GetScreenSize();
        m_workArea = m_windows.GetWorkArea();
    }

private:
    const EngineState& m_state;
    HideMode& m_hideMode;
    WindowEvents& m_events;
    WindowSystem& m_windows;
    ReadPair m_readPair;
    std::function<void()> m_onSessionEnd;
    std::function<Rect()> m_gridArea;
    Size m_screen;
    Rect m_workArea;
};

} // namespace zim
