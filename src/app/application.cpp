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
    m_engine.SetWarning([](const std::string& text)
                        { MessageBoxW(nullptr, Widen(text).c_str(), L"ZimDesk", MB_OK | MB_ICONWARNING); });

    // The windows in their fixed order: the monitor (main window) first, the
    // programs popup, then the hidden main window that the hook library talks to.
    m_monitor = std::make_unique<TZIMMonitor>(m_windows, *m_scheduler, m_options, m_state, m_engine,
                                              [this] { OnMonitorClose(); });
    if (!m_monitor->Create(icon))
    {
        return 1;
    }
    m_engine.SetMonitor(m_monitor.get());
    m_popup = std::make_unique<TZIM2>();
    if (!m_popup->Create())
    {
        return 1;
    }
    m_monitor->SetProgramsPopup(m_popup.get());
    TZIMActions actions;
    actions.showMonitor = [this] { ShowMonitor(); };
    actions.hideMonitor = [this] { HideMonitor(); };
    // Through the monitor's own close, the program's one orderly way out.
    actions.closeMonitor = [this] { PostMessageW(m_monitor->Handle(), WM_CLOSE, 0, 0); };
    actions.endSession = [this] { OnSessionEnd(); };
    auto onInputTick = [this]
    {
        if (m_scroller)
        {
            m_scroller->Timer2Timer();
        }
    };
    auto onPackHidden = [this] { m_engine.PackHideWndList(); };
    // The hidden main window reads its own settings as it is created.
    m_store.LoadPartOne(m_options);
    const Platform platform{m_windows, m_registry, m_files, m_shell, *m_scheduler};
    m_main = std::make_unique<TZIM>(platform, m_options, m_state, m_engine, m_hook, std::move(actions), onInputTick,
                                    onPackHidden);
    if (!m_main->Create())
    {
        return 1;
    }
    m_engine.SetInputTimer(&m_main->Timer2());
    m_monitor->SetInputTimer(&m_main->Timer2());
    // The monitor's buttons do what the main menu's items of the same name do.
    MonitorInteraction& buttons = m_monitor->Interaction();
    buttons.onHelp = [this] { SendMessageW(m_main->Handle(), WM_COMMAND, IDM_HELP, 0); };
    buttons.onShowOptions = [this](OptionsPage page)
    {
        const UINT id = page == OptionsPage::About           ? IDM_ABOUT
                        : page == OptionsPage::StickyWindows ? IDM_STICKY_WINDOWS
                                                             : IDM_OPTIONS;
        SendMessageW(m_main->Handle(), WM_COMMAND, id, 0);
    };
    m_scroller = std::make_unique<EdgeScroller>(m_windows, m_options, m_state, m_engine, m_main->Timer2(),
                                                [this] { return m_main->WorkArea(); });
    m_scroller->SetMonitor(m_monitor.get());
    m_monitor->onShownChanged = [this](bool shown) { m_main->MonitorShown(shown); };
    m_monitor->onPopupMenu = [this](Point screen) { m_main->ShowPopupMenu(screen); };
    LoadSettings();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Application::LoadSettings()
{
    // A value of the wrong type stops the load after its message: the monitor
    // then stays hidden, and the tray icon still reaches everything.
    if (!m_store.LoadPartTwo(m_options, m_files.GetCurrentDirectory()))
    {
        return;
    }
    const Options& options = m_options.Get();
    // The position rule of the monitor keeps a stored place on the screen.
    SetWindowPos(m_monitor->Handle(), nullptr, options.monitorLeft, options.monitorTop, options.monitorWidth,
                 options.monitorHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (options.monitorVisible)
    {
        ShowWindow(m_monitor->Handle(), SW_SHOWNOACTIVATE);
    }
    // Start-up is over: give back the memory it needed.
    SetProcessWorkingSetSize(GetCurrentProcess(), 255, 65535);
}

void Application::SaveSettings(SaveOccasion occasion)
{
    RECT main{};
    GetWindowRect(m_main->Handle(), &main);
    RECT monitor{};
    GetWindowRect(m_monitor->Handle(), &monitor);
    const bool visible = IsWindowVisible(m_monitor->Handle()) != FALSE;
    m_options.Update(
        [&](Options& o)
        {
            o.mainLeft = main.left;
            o.mainTop = main.top;
            o.monitorLeft = monitor.left;
            o.monitorTop = monitor.top;
            o.monitorWidth = monitor.right - monitor.left;
            o.monitorHeight = monitor.bottom - monitor.top;
            o.monitorVisible = visible;
        });
    // A refused write has shown its message; the exit goes on all the same.
    m_store.SaveWindowState(m_options.Get(), occasion);
    m_store.SaveDialogGroup(m_options.Get(), occasion);
}

void Application::ShowError(const std::string& message)
{
    MessageBoxW(nullptr, Widen(message).c_str(), L"ZimDesk", MB_OK | MB_ICONERROR);
}

void Application::OnMonitorClose()
{
    EndProgram(SaveOccasion::Close);
}

void Application::OnSessionEnd()
{
    EndProgram(SaveOccasion::SessionEnd);
}

void Application::EndProgram(SaveOccasion occasion)
{
    // A session end may arrive while the monitor closes, or the other way round.
    if (m_ending)
    {
        return;
    }
    m_ending = true;
    // Called from inside a window's own message handler: destroy the windows,
    // not the objects, which live until the loop has ended.
    m_monitor->StopTimers();
    // No window may stay on a desktop nobody can reach once the program is gone,
    // nor hidden, nor follow a pending shift afterwards.
    m_engine.CancelFrozenWindows();
    m_engine.BringAllOnScreen();
    m_main->RemoveHook();
    m_engine.ShowHeldHiddenWindows();
    SaveSettings(occasion);
    m_scroller.reset();
    ShowWindow(m_monitor->Handle(), SW_HIDE);
    m_engine.SetMonitor(nullptr);
    m_engine.SetInputTimer(nullptr);
    m_monitor->SetInputTimer(nullptr);
    DestroyWindow(m_main->Handle());
    DestroyWindow(m_popup->Handle());
    DestroyWindow(m_monitor->Handle()); // posts the quit message
}

void Application::ShowMonitor()
{
    m_monitor->ShowMonitor();
}

void Application::HideMonitor()
{
    m_monitor->HideMonitor();
}

} // namespace zim::win32
