#pragma once

// TZIM, the hidden main window. It is never shown; its handle is the one given to
// the hook library, and it receives the library's messages. It owns the tray
// icons with their popup menu and the main timers.

#include "app/main_window_dispatch.h"
#include "app/program_commands.h"
#include "components/win32/tray_icon.h"
#include "engine/desktop_engine.h"
#include "engine/engine_state.h"
#include "engine/window_events.h"
#include "platform/hook_library.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_hook_library.h"
#include "platform/win32/window.h"
#include "settings/options.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zim::win32
{

// The work of the main window's timers and the session end, done by the program around it.
struct TZIMEvents
{
    std::function<void()> inputTick;  // Timer2: edge scrolling and the follow of the active window
    std::function<void()> packHidden; // PackHideWndTimer
    std::function<void()> endSession; // the Windows session really ends
};

class TZIM final : public Window
{
public:
    static constexpr const wchar_t* kClassName = L"TZIM";
    static constexpr const char* kToolTip = "Zim Desk";
    static constexpr unsigned kTimer2Interval = 50;
    static constexpr unsigned kPackHideWndInterval = 60000;

    TZIM(const Platform& platform, OptionsModel& options, EngineState& state, DesktopEngine& engine, HideMode& hideMode,
         HookLibrary& hook, ProgramCommands& commands, TZIMEvents events);
    ~TZIM() override;

    // Creates the window, its timers and tray icons, reading its settings.
    bool Create();

    const Rect& WorkArea() const { return m_dispatch.WorkArea(); }
    const Size& ScreenSize() const { return m_dispatch.ScreenSize(); }
    // Where the monitor's grid area lies, for those who ask the main window.
    void SetGridAreaQuery(std::function<Rect()> query) { m_dispatch.SetGridAreaQuery(std::move(query)); }
    // The input timer: edge scrolling and the follow of the active window.
    Timer& Timer2() { return *m_timer2; }

    // The monitor was shown (true) or hidden: only the menu item that applies stays.
    void MonitorShown(bool shown);
    // A notice in a balloon above the program's tray icon.
    bool ShowBalloon(std::string_view title, std::string_view text) { return TrayIcon1.ShowBalloon(title, text); }
    // Pops the tray menu up at a screen position (the monitor's caption uses it too).
    void ShowPopupMenu(Point screen);
    // Unhooks (and ends the 32-bit hook's host) when the hook is installed; later calls do nothing.
    void RemoveHook();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // One of the two menu items of which only one is shown.
    struct ToggledItem
    {
        UINT id = 0;
        UINT insertBefore = 0; // the item it goes back in front of
        std::wstring caption;
        UINT state = 0;
    };

    void InstallHook();
    bool CreateMenu();
    void CreateTrayIcons();
    void ApplyOptions(const Options& options);
    void ShowMenuItem(const ToggledItem& item, bool shown);
    void OnCommand(UINT id);
    void Timer2Timer();
    void PackHideWndTimerTimer();

    Platform m_platform;
    OptionsModel& m_options;
    DesktopEngine& m_engine;
    HookLibrary& m_hook;
    ProgramCommands& m_commands;
    TZIMEvents m_events;
    // Before the dispatch, which hands it the hook's and the launcher's messages.
    WindowEvents m_windowEvents;
    MainWindowDispatch m_dispatch;
    HookHost m_hookHost;

    UniqueMenu m_menuBar; // holds PopupMenu1
    HMENU PopupMenu1 = nullptr;
    HMENU m_iconDesktopsMenu = nullptr;
    ToggledItem m_showMonitorItem;
    ToggledItem m_closeMonitorItem;

    TTrayIcon TrayIcon1{L"TrayIcon1"};
    TTrayIcon traydown{L"traydown"};
    TTrayIcon trayUp{L"trayUp"};
    TTrayIcon TrayLeft{L"TrayLeft"};
    TTrayIcon TrayRight{L"TrayRight"};
    std::unique_ptr<Timer> m_timer2;
    std::unique_ptr<Timer> m_packHideWndTimer;

    std::size_t m_optionsSubscription = 0;
    // The system-menu hook is wanted; m_hookInstalled says whether it is in place now.
    bool m_sysMenuEnabled = false;
    bool m_hookInstalled = false;
    bool m_monitorShown = false;
};

} // namespace zim::win32
