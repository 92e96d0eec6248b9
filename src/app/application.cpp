#include "app/application.h"

#include "app/crash_guard.h"
#include "app/help_file.h"
#include "app/resource.h"
#include "monitor/position_constraint.h"
#include "monitor/skin_loader.h"
#include "platform/win32/process_identity.h"
#include "platform/win32/program_folder.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_profile.h"
#include "settings/startup_folder.h"
#include "skins/skin_file.h"
#include "skins/skin_install.h"

#include <commctrl.h>

namespace zim::win32
{

Application::Application()
    : m_recorder(m_registry, m_windows, m_state.Grid, m_hideMode, ::GetCurrentProcessId(),
                 ProcessStartTime(::GetCurrentProcessId()))
{
}

Application::~Application()
{
    m_state.Grid.Unsubscribe(m_wallpapers);
}

int Application::Run()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    RecoverAndStartRecord();
    if (!InstallSkins())
    {
        return 1;
    }
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZIMDESK));
    m_scheduler = std::make_unique<Win32Scheduler>();
    m_state.Grid.Subscribe(m_wallpapers);
    // Workers get a window-system object of their own that they keep alive.
    m_mover = std::make_unique<ThreadMoverRunner>(std::make_shared<Win32WindowSystem>(), *m_scheduler);
    m_frozen.SetMoverRunner(m_mover.get());
    m_frozen.SetWarning([](const std::string& text)
                        { MessageBoxW(nullptr, Widen(text).c_str(), L"ZimDesk", MB_OK | MB_ICONWARNING); });

    // The windows in their fixed order: the monitor (main window) first, the
    // programs popup, then the hidden main window that the hook library talks to.
    const MonitorParts parts{m_windows, *m_scheduler, m_options, m_state, m_engine, m_hideMode};
    ProgramCommands& commands = *this;
    m_monitor = std::make_unique<TZIMMonitor>(parts, commands, [this] { OnMonitorClose(); });
    if (!m_monitor->Create(icon))
    {
        return 1;
    }
    m_engine.SetMonitorWindow(FromHwnd(m_monitor->Handle()));
    m_popup = std::make_unique<TZIM2>();
    if (!m_popup->Create())
    {
        return 1;
    }
    m_monitor->SetProgramsPopup(m_popup.get());
    TZIMEvents events;
    events.inputTick = [this]
    {
        if (m_scroller)
        {
            m_scroller->Timer2Timer();
        }
    };
    events.packHidden = [this] { m_hideMode.PackHideWndList(); };
    events.endSession = [this] { OnSessionEnd(); };
    // The hidden main window reads its own settings as it is created.
    m_store.LoadPartOne(m_options);
    m_iconDesktops = std::make_unique<IconDesktopSwitcher>(m_registry, m_files, m_options,
                                                           [](const std::string& message) { ShowError(message); });
    const Platform platform{m_windows, m_registry, m_files, m_shell, *m_scheduler};
    m_main =
        std::make_unique<TZIM>(platform, m_options, m_state, m_engine, m_hideMode, m_hook, commands, std::move(events));
    if (!m_main->Create())
    {
        return 1;
    }
    TellRecovery();
    // The options dialog, fourth: it holds the hotkeys and opens on demand.
    const OptionsDialogParts dialogParts{m_windows, m_files, m_options, m_engine, m_hideMode, commands};
    OptionsDialogEvents dialogEvents;
    dialogEvents.saveDialogGroup = [this] { m_store.SaveDialogGroup(m_options.Get(), SaveOccasion::Close); };
    dialogEvents.moveToMiniature = [this](WindowHandle w, Point place)
    { m_monitor->Model().MoveWindowToMonitorPos(w, place); };
    dialogEvents.loadSkin = [this](const std::string& path) { return LoadSkin(path); };
    dialogEvents.skinEditing = [this] { return m_editor && m_editor->IsOpen(); };
    dialogEvents.editSkin = [this]
    {
        if (m_editor)
        {
            m_editor->Open();
        }
    };
    dialogEvents.monitorShown = [this] { return m_monitor->Model().Shown(); };
    m_optionsDlg = std::make_unique<TOptionsDlg>(dialogParts, std::move(dialogEvents));
    if (!m_optionsDlg->Create(m_main->Handle()))
    {
        return 1;
    }
    SkinEditorEvents editorEvents;
    editorEvents.selectedSkin = [this] { return m_options.Get().skin; };
    editorEvents.saveSkin = [this](const std::string& path) { return SaveSkin(path); };
    editorEvents.loadSkin = [this](const std::string& path) { return LoadSkin(path); };
    editorEvents.skinSaved = [this](const std::string& name) { m_optionsDlg->SkinSaved(name); };
    editorEvents.editingChanged = [this](bool editing)
    {
        m_monitor->Interaction().SetSkinEditing(editing);
        m_optionsDlg->SetSkinEditing(editing);
    };
    m_editor = std::make_unique<SkinEditor>(*m_monitor, m_options, m_files, std::move(editorEvents));
    if (!m_editor->Create())
    {
        return 1;
    }
    m_optionsDlg->SetInputTimer(&m_main->Timer2());
    m_engine.SetInputTimer(&m_main->Timer2());
    m_monitor->SetInputTimer(&m_main->Timer2());
    m_scroller = std::make_unique<EdgeScroller>(
        m_windows, m_options, m_state, m_engine, m_main->Timer2(), [this] { return m_main->ScreenSize(); },
        [this] { return m_main->WorkArea(); });
    m_scroller->SetRefreshTimer(&m_monitor->Model().Timer1());
    // Shown or hidden: the main menu offers "Show" or "Close Desktop Monitor".
    m_monitor->Model().onShownChanged = [this](bool shown) { m_main->MonitorShown(shown); };
    m_main->SetGridAreaQuery([this] { return m_monitor->GridArea(); });
    LoadSettings();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (m_testFaultMessage != 0 && msg.message == m_testFaultMessage && msg.hwnd == m_main->Handle())
        {
            RaiseTestFault();
        }
        if (m_optionsDlg && m_optionsDlg->PreTranslateMessage(msg))
        {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Application::RecoverAndStartRecord()
{
    const auto alive = [](std::uint32_t process, std::uint64_t start) { return ProcessAlive(process, start); };
    const auto none = [](WindowHandle) { return false; };
    // No window of this run exists yet, so none can be taken for the earlier run's.
    m_previousRun = RecoverPreviousRun(m_windows, m_registry, alive, none);
    // A second instance leaves the running one's record alone.
    m_recording = !m_previousRun.ownerAlive;
    if (m_recording)
    {
        m_hideMode.SetOnChanged([this] { m_recorder.HiddenChanged(); });
        m_recorder.SetPendingSource([this] { return m_frozen.PendingShifts(); });
        m_recorder.Start();
    }
    InstallCrashGuard(m_windows, m_hideMode, m_registry, m_recording ? std::string(kRecoveryKey) : std::string());
    if (TestFaultEnabled())
    {
        m_testFaultMessage = RegisterWindowMessageW(Widen(kTestFaultMessage).c_str());
    }
}

void Application::TellRecovery()
{
    const RecoveryOutcome& outcome = m_previousRun.outcome;
    if (outcome.Recovered() == 0)
    {
        return;
    }
    std::string text = "Zim Desk did not end properly last time. " + std::to_string(outcome.Recovered()) +
                       (outcome.Recovered() == 1 ? " window was" : " windows were") + " brought back";
    if (outcome.shownHidden > 0)
    {
        text += ", " + std::to_string(outcome.shownHidden) + " of them hidden before";
    }
    text += ".";
    if (outcome.screenChanged)
    {
        text += " The screen size has changed since: windows keep their desktops, moved as far onto the "
                "screen as they fit.";
    }
    else if (outcome.damaged)
    {
        text += " Its record was unreadable: only windows beyond every desktop were moved.";
    }
    m_main->ShowBalloon("Windows recovered", text);
}

bool Application::LoadSkin(const std::string& path)
{
    Win32ProfileFiles profile;
    const Options& options = m_options.Get();
    const Rect workArea = m_windows.GetWorkArea();
    const SkinApplyResult result = ApplySkinFile(m_files, profile, options.skinDir, path, m_windows.GetScreenSize(),
                                                 {workArea.Width(), workArea.Height()}, options.alwaysOnTop,
                                                 m_monitor->Model(), m_monitor->Skin());
    if (!result.applied)
    {
        MessageBoxW(nullptr, Widen(result.message).c_str(), Widen(skins::kErrorTitle).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    if (m_optionsDlg)
    {
        // Only a bitmap skin can be edited.
        m_optionsDlg->SetEditSkinAvailable(!m_monitor->Model().Layout().Natural());
    }
    return true;
}

bool Application::SaveSkin(const std::string& path)
{
    Win32ProfileFiles profile;
    if (const std::optional<std::string> error = SaveSkinFile(profile, path, m_monitor->Model().Layout()))
    {
        ShowError(*error);
        return false;
    }
    return true;
}

bool Application::InstallSkins()
{
    const skins::SkinInstallResult install =
        skins::InstallDefaultSkins(m_files, m_files.GetCurrentDirectory(), Narrow(ProgramFolder()));
    if (install.outcome == skins::SkinInstallResult::Outcome::ExitWithMessage)
    {
        MessageBoxW(nullptr, Widen(install.message).c_str(), Widen(skins::kErrorTitle).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    // The buttons' symbol fonts, for this session; a failure leaves plain text.
    for (const std::string& font : install.fontFiles)
    {
        AddFontResourceW(Widen(font).c_str());
    }
    m_baseFolder = install.baseFolder;
    return true;
}

void Application::LoadSettings()
{
    // A value of the wrong type has shown its message and taken its default;
    // every other value is read, so the next save keeps what the user had.
    m_store.LoadPartTwo(m_options, m_baseFolder);
    m_optionsDlg->SettingsLoaded();
    const Options& options = m_options.Get();
    // The monitor is still hidden, so its own position rule does not run yet: a
    // place stored before a change of resolution would show it off the screen.
    const Point place =
        ConstrainMonitorPosition({options.monitorLeft, options.monitorTop},
                                 {0, 0, options.monitorWidth, options.monitorHeight}, m_windows.GetScreenSize());
    SetWindowPos(m_monitor->Handle(), nullptr, place.x, place.y, options.monitorWidth, options.monitorHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (!LoadSkin(options.skinDir + "\\" + options.skin))
    {
        // The user can pick another skin; the monitor waits until one loads.
        m_optionsDlg->ShowLastPage();
    }
    else if (options.monitorVisible)
    {
        ShowWindow(m_monitor->Handle(), SW_SHOWNOACTIVATE);
    }
    // The startup folder's entries open once per start, after every setting is in.
    RunStartupFolder(m_registry, m_files, m_shell);
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

void Application::ShowErrorLater(const std::string& message)
{
    if (m_scheduler)
    {
        m_scheduler->PostToGui([message] { ShowError(message); });
    }
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
    m_frozen.CancelFrozenWindows();
    m_frozen.GatherQueuedMoves();
    m_engine.BringAllOnScreen();
    m_main->RemoveHook();
    m_hideMode.ShowHeldHiddenWindows();
    // Nothing is left to undo: the next start must not shift anything.
    if (m_recording)
    {
        m_recorder.Finish();
    }
    SaveSettings(occasion);
    ShowWindow(m_monitor->Handle(), SW_HIDE);
    m_scroller.reset();
    m_engine.SetInputTimer(nullptr);
    m_monitor->SetInputTimer(nullptr);
    m_optionsDlg->Destroy();
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

void Application::ToggleMonitor()
{
    if (m_monitor->Model().Shown())
    {
        HideMonitor();
    }
    else
    {
        ShowMonitor();
    }
}

void Application::ShowOptions(OptionsPage page)
{
    m_optionsDlg->Show(page);
}

void Application::ShowHelp()
{
    OpenHelp(m_files, m_shell, Narrow(ProgramFolder()));
}

void Application::PopupMainMenu(Point screen)
{
    m_main->ShowPopupMenu(screen);
}

void Application::Exit()
{
    PostMessageW(m_monitor->Handle(), WM_CLOSE, 0, 0);
}

} // namespace zim::win32
