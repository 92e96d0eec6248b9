#include "app/application.h"

#include "app/resource.h"
#include "platform/win32/utf.h"

#include <commctrl.h>

namespace zim::win32
{

Application::Application() = default;

Application::~Application() = default;

int Application::Run()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZIMDESK));
    m_scheduler = std::make_unique<Win32Scheduler>();
    // Workers get a window-system object of their own that they keep alive.
    m_mover = std::make_unique<ThreadMoverRunner>(std::make_shared<Win32WindowSystem>(), *m_scheduler);
    m_engine.SetMoverRunner(m_mover.get());
    m_engine.SetWarning([](const std::string& text) {
        MessageBoxW(nullptr, Widen(text).c_str(), L"ZimDesk", MB_OK | MB_ICONWARNING | MB_TOPMOST);
    });

    // The windows in their fixed order: the monitor (main window) first, then the
    // hidden main window that the hook library talks to.
    m_monitor = std::make_unique<TZIMMonitor>(m_options, m_state, m_engine, [this] { OnMonitorClose(); });
    if (!m_monitor->Create(icon))
    {
        return 1;
    }
    m_engine.SetMonitor(m_monitor.get());
    m_main = std::make_unique<TZIM>(m_options, m_state, m_windows, m_hook);
    if (!m_main->Create())
    {
        return 1;
    }
    ShowWindow(m_monitor->Handle(), SW_SHOWNOACTIVATE);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Application::OnMonitorClose()
{
    // Called from inside the monitor's own message handler: destroy the windows,
    // not the objects, which live until the loop has ended.
    ShowWindow(m_monitor->Handle(), SW_HIDE);
    // No window may stay on a desktop nobody can reach once the program is gone,
    // nor hidden, nor follow a pending shift afterwards.
    m_engine.CancelFrozenWindows();
    m_engine.BringAllOnScreen();
    m_engine.ShowHeldHiddenWindows();
    m_engine.SetMonitor(nullptr);
    DestroyWindow(m_main->Handle());
    DestroyWindow(m_monitor->Handle()); // posts the quit message
}

} // namespace zim::win32
