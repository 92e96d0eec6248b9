#include "app/main_window.h"

namespace zim::win32
{

TZIM::TZIM(OptionsModel& options, EngineState& engine, WindowSystem& windows, HookLibrary& hook)
    : m_options(options), m_engine(engine), m_windows(windows), m_hook(hook)
{
}

bool TZIM::Create()
{
    // Position kept for settings compatibility; the window itself is never shown.
    constexpr int kLeft = 0;
    constexpr int kTop = 224;
    if (!Window::Create(kClassName, L"ZimDesk", WS_POPUP, WS_EX_TOOLWINDOW, kLeft, kTop, 0, 0))
    {
        return false;
    }
    m_workArea = m_windows.GetWorkArea();
    m_sysMenuEnabled = m_options.Get().sysMenuEnabled;
    if (m_sysMenuEnabled)
    {
        m_hook.SetMainHandle(reinterpret_cast<WindowHandle>(Handle()));
        m_hook.SetHook();
    }
    return true;
}

LRESULT TZIM::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_engine.MsgAppStarting || message == m_engine.MsgAppStarted)
    {
        return hookmsg::kRegisteredMessageResult;
    }
    switch (message)
    {
    case WM_SETTINGCHANGE:
        m_workArea = m_windows.GetWorkArea();
        break;
    case hookmsg::kSendToDesktop:
    case hookmsg::kNotify:
    case hookmsg::kHideModeMove:
        return 0;
    case hookmsg::kGetSizeX:
        return m_options.Get().sizeX;
    case hookmsg::kGetSizeY:
        return m_options.Get().sizeY;
    case WM_DESTROY:
        if (m_sysMenuEnabled)
        {
            m_hook.SetMainHandle(kNoWindow);
            m_hook.UnSetHook();
        }
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace zim::win32
