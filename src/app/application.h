#pragma once

// The running program: the platform services, the engine's process-wide state,
// the options, and the windows in their creation order.

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/program_commands.h"
#include "engine/desktop_engine.h"
#include "engine/engine_state.h"
#include "engine/frozen_windows.h"
#include "engine/hide_mode.h"
#include "engine/mover.h"
#include "engine/recovery.h"
#include "engine/wallpapers.h"
#include "icondesk/icon_desktops.h"
#include "input/edge_scroller.h"
#include "monitor/win32/monitor_window.h"
#include "monitor/win32/programs_popup.h"
#include "monitor/win32/skin_editor.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hook_library.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_scheduler.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_window_system.h"
#include "settings/options.h"
#include "settings/settings_store.h"

#include <memory>

namespace zim::win32
{

// The program's commands are implemented here, once, for every window that offers them.
class Application final : private ProgramCommands
{
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // Creates the windows and runs the message loop; returns the exit code.
    int Run();

private:
    // Closing the monitor ends the program.
    void OnMonitorClose();
    // The Windows session really ends (WM_ENDSESSION with wParam non-zero).
    void OnSessionEnd();
    // Both ways out: every window back on the visible screen, none left hidden,
    // the hook removed, the settings saved, the monitor hidden, then the windows
    // go and the loop ends.
    void EndProgram(SaveOccasion occasion);
    // An earlier run that died left windows on other desktops and hidden: they
    // are put back before this run moves anything, and the record starts anew.
    void RecoverAndStartRecord();
    // The tray balloon that says what the recovery did.
    void TellRecovery();
    // The shipped skins and fonts: installed when missing, the fonts registered;
    // false when the default skin can be found nowhere (the message is shown).
    bool InstallSkins();
    // Applies a skin file: false, after its message, when it cannot be loaded.
    bool LoadSkin(const std::string& path);
    // Writes the monitor's current layout (the skin editor's OK): false, after
    // the message, when the file cannot be written.
    bool SaveSkin(const std::string& path);
    // The settings the hidden main window does not read itself, applied to the windows.
    void LoadSettings();
    void SaveSettings(SaveOccasion occasion);
    // ProgramCommands
    void ShowMonitor() override;
    void HideMonitor() override;
    void ToggleMonitor() override;
    void ShowOptions(OptionsPage page) override;
    void ShowHelp() override;
    void PopupMainMenu(Point screen) override;
    // Through the monitor's own close, the program's one orderly way out.
    void Exit() override;

    Win32WindowSystem m_windows;
    Win32Registry m_registry;
    Win32FileSystem m_files;
    Win32Shell m_shell;
    // Before any window exists, so that a hook message during start-up finds it.
    EngineState m_state{m_windows};
    OptionsModel m_options;
    SettingsStore m_store{m_registry, [](const std::string& message) { ShowError(message); }};
    HideMode m_hideMode{m_windows, m_options, m_state};
    FrozenWindows m_frozen{m_windows, m_hideMode};
    RecoveryRecorder m_recorder;
    // False when another running instance keeps the record.
    bool m_recording = false;
    PreviousRun m_previousRun;
    // The test-only fault's message, 0 unless enabled.
    UINT m_testFaultMessage = 0;
    DesktopEngine m_engine{m_windows, m_shell, m_options, m_state, m_hideMode, m_frozen};
    // Its message waits until the switch that met the failure is over.
    DesktopWallpapers m_wallpapers{m_registry, m_shell, m_options,
                                   [this](const std::string& message) { ShowErrorLater(message); }};
    Win32HookLibrary m_hook;
    std::unique_ptr<Win32Scheduler> m_scheduler;
    // After the scheduler: it must go first, so abandoned workers stop posting.
    std::unique_ptr<ThreadMoverRunner> m_mover;
    std::unique_ptr<TZIMMonitor> m_monitor;
    std::unique_ptr<TZIM2> m_popup;
    std::unique_ptr<TZIM> m_main;
    std::unique_ptr<TOptionsDlg> m_optionsDlg;
    // The skin editor in the monitor; goes before the monitor it works on.
    std::unique_ptr<SkinEditor> m_editor;
    // Runs on the main window's input timer, which exists only with the window.
    std::unique_ptr<EdgeScroller> m_scroller;
    // From the loaded number on: the set on the desktop at start is not moved.
    std::unique_ptr<IconDesktopSwitcher> m_iconDesktops;
    bool m_ending = false;
    // The folder ".\\skins" is taken against: the working folder, or the program's own.
    std::string m_baseFolder;

    static void ShowError(const std::string& message);
    // After the message being handled now: a box's own loop inside a switch
    // would let a second one start.
    void ShowErrorLater(const std::string& message);
};

} // namespace zim::win32
