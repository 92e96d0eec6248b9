#include "app/main_window_dispatch.h"

#include "platform/hook_library.h"

namespace zim
{

MainWindowDispatch::MainWindowDispatch(const EngineState& state, HideMode& hideMode, WindowEvents& events,
                                       WindowSystem& windows, ReadPair readPair, std::function<void()> onSessionEnd)
    : m_state(state), m_hideMode(hideMode), m_events(events), m_windows(windows), m_readPair(std::move(readPair)),
      m_onSessionEnd(std::move(onSessionEnd)), m_screen(windows.GetScreenSize()), m_workArea(windows.GetWorkArea())
{
}

std::optional<std::intptr_t> MainWindowDispatch::Dispatch(std::uint32_t message, std::uintptr_t wParam,
                                                          std::intptr_t lParam)
{
    // Registered ids are only known at run time, so they are tested before the
    // fixed numbers. A failed registration gives 0, which is WM_NULL: never theirs.
    if (message == 0)
    {
        return std::nullopt;
    }
    if (message == m_state.MsgAppStarting)
    {
        m_events.OnAppStarting();
        return hookmsg::kRegisteredMessageResult;
    }
    if (message == m_state.MsgAppStarted)
    {
        m_events.OnAppStarted(wParam, lParam);
        return hookmsg::kRegisteredMessageResult;
    }
    switch (message)
    {
    case wm::kSettingChange:
        // The task bar may have moved or changed its size.
    case wm::kDisplayChange:
        // A new resolution: the screen and the work area both change.
        RefreshScreen();
        return std::nullopt;
    case wm::kEndSession:
        // wParam 0: the session goes on after all, and nothing changes.
        if (wParam != 0 && m_onSessionEnd)
        {
            m_onSessionEnd();
        }
        return 0;
    case hookmsg::kSendToDesktop:
        m_events.OnSendToDesktop(wParam, lParam);
        return 0;
    case hookmsg::kNotify:
        return 0;
    case hookmsg::kGetSizeX:
        return m_state.Grid.Columns();
    case hookmsg::kGetSizeY:
        return m_state.Grid.Rows();
    case kGetGridAreaMessage:
        return m_gridArea ? PackGridArea(m_gridArea()) : 0;
    case hookmsg::kHideModeMove:
    {
        std::int32_t dx = 0;
        std::int32_t dy = 0;
        if (m_readPair && m_readPair(static_cast<std::uintptr_t>(lParam), dx, dy))
        {
            m_hideMode.HideModeMove(static_cast<WindowHandle>(wParam), dx, dy);
        }
        return 0;
    }
    default:
        return std::nullopt;
    }
}

} // namespace zim
