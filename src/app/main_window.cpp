#include "app/main_window.h"

#include "app/resource.h"

namespace zim::win32
{
namespace
{

// The hook library passes an address of this process; another process may send
// any number. Reading through ReadProcessMemory fails instead of faulting.
bool ReadOwnPair(std::uintptr_t address, std::int32_t& first, std::int32_t& second)
{
    std::int32_t pair[2] = {};
    SIZE_T read = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(address), pair, sizeof(pair), &read) ||
        read != sizeof(pair))
    {
        return false;
    }
    first = pair[0];
    second = pair[1];
    return true;
}

UniqueIcon LoadSmallIcon(int id)
{
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

} // namespace

TZIM::TZIM(const Platform& platform, OptionsModel& options, EngineState& state, DesktopEngine& engine,
           HideMode& hideMode, HookLibrary& hook, ProgramCommands& commands, TZIMEvents events)
    : m_platform(platform), m_options(options), m_engine(engine), m_hook(hook), m_commands(commands),
      m_events(std::move(events)), m_windowEvents(platform.windows, platform.scheduler, state, engine),
      m_dispatch(state, hideMode, m_windowEvents, platform.windows, &ReadOwnPair,
                 [this]
                 {
                     if (m_events.endSession)
                     {
                         m_events.endSession();
                     }
                 })
{
}

TZIM::~TZIM()
{
    if (m_optionsSubscription != 0)
    {
        m_options.Unsubscribe(m_optionsSubscription);
    }
}

bool TZIM::Create()
{
    // The position is kept for the settings; the window itself is never shown.
    const Options& options = m_options.Get();
    if (!Window::Create(kClassName, L"ZimDesk", WS_POPUP, WS_EX_TOOLWINDOW, options.mainLeft, options.mainTop, 0, 0) ||
        !CreateMenu())
    {
        return false;
    }
    CreateTrayIcons();

    m_timer2 = m_platform.scheduler.CreateTimer(kTimer2Interval, [this] { Timer2Timer(); });
    m_packHideWndTimer = m_platform.scheduler.CreateTimer(kPackHideWndInterval, [this] { PackHideWndTimerTimer(); });
    m_timer2->SetEnabled(true);
    m_packHideWndTimer->SetEnabled(true);
    m_windowEvents.SetInputTimer(m_timer2.get());

    m_sysMenuEnabled = m_options.Get().sysMenuEnabled;
    if (m_sysMenuEnabled)
    {
        InstallHook();
    }

    ApplyOptions(m_options.Get());
    m_optionsSubscription =
        m_options.Subscribe({Option::TrayArrows, Option::IconDesktop, Option::SysMenuEnabled},
                            [this](const Options& options, const OptionSet&) { ApplyOptions(options); });
    m_dispatch.RefreshScreen();
    return true;
}

bool TZIM::CreateMenu()
{
    m_menuBar.Reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENU1)));
    PopupMenu1 = m_menuBar ? GetSubMenu(m_menuBar.Get(), 0) : nullptr;
    if (!PopupMenu1)
    {
        return false;
    }
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    if (GetMenuItemInfoW(PopupMenu1, IDM_ICON_DESKTOPS, FALSE, &info))
    {
        m_iconDesktopsMenu = info.hSubMenu;
    }

    // Captions and states come from the resource, so that an item taken out goes
    // back exactly as designed.
    const auto readItem = [this](UINT id, UINT insertBefore)
    {
        ToggledItem item;
        item.id = id;
        item.insertBefore = insertBefore;
        wchar_t caption[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_STATE;
        info.dwTypeData = caption;
        info.cch = static_cast<UINT>(std::size(caption));
        GetMenuItemInfoW(PopupMenu1, id, FALSE, &info);
        item.caption = caption;
        item.state = info.fState;
        return item;
    };
    m_showMonitorItem = readItem(IDM_SHOW_MONITOR, IDM_SHOW_TRAY_ARROWS);
    m_closeMonitorItem = readItem(IDM_CLOSE_MONITOR, IDM_EXIT);
    MonitorShown(m_monitorShown);
    return true;
}

void TZIM::CreateTrayIcons()
{
    const UniqueIcon program = LoadSmallIcon(IDI_ZIMDESK);
    TrayIcon1.Create();
    TrayIcon1.SetIcon(program.Get());
    TrayIcon1.SetToolTip(kToolTip);
    TrayIcon1.SetPopupMenu(PopupMenu1, Handle());
    TrayIcon1.OnClick = [this] { m_commands.ShowMonitor(); };
    TrayIcon1.SetActive(true);

    struct Arrow
    {
        TTrayIcon& icon;
        int iconId;
        void (DesktopEngine::*handler)();
    };
    const Arrow arrows[] = {
        {traydown, IDI_ARROW_DOWN, &DesktopEngine::LabelEffect3Click},
        {trayUp, IDI_ARROW_UP, &DesktopEngine::LabelEffect6Click},
        {TrayLeft, IDI_ARROW_LEFT, &DesktopEngine::LabelEffect4Click},
        {TrayRight, IDI_ARROW_RIGHT, &DesktopEngine::LabelEffect5Click},
    };
    for (const Arrow& arrow : arrows)
    {
        const UniqueIcon image = LoadSmallIcon(arrow.iconId);
        arrow.icon.Create();
        arrow.icon.SetIcon(image.Get());
        arrow.icon.SetToolTip(kToolTip);
        arrow.icon.SetPopupMenu(PopupMenu1, Handle());
        arrow.icon.OnClick = [this, handler = arrow.handler] { (m_engine.*handler)(); };
    }
}

void TZIM::ApplyOptions(const Options& options)
{
    // "System menu - Send to desktop (x,y)": the hook follows the check box at once.
    if (options.sysMenuEnabled != m_sysMenuEnabled)
    {
        m_sysMenuEnabled = options.sysMenuEnabled;
        if (m_sysMenuEnabled)
        {
            InstallHook();
        }
        else
        {
            RemoveHook();
        }
    }
    for (TTrayIcon* arrow : {&traydown, &trayUp, &TrayLeft, &TrayRight})
    {
        arrow->SetActive(options.trayArrows);
    }
    CheckMenuItem(PopupMenu1, IDM_SHOW_TRAY_ARROWS, MF_BYCOMMAND | (options.trayArrows ? MF_CHECKED : MF_UNCHECKED));
    // Other values leave the choice as it was.
    if (m_iconDesktopsMenu && options.iconDesktop >= 1 && options.iconDesktop <= Options::kIconDesktops)
    {
        CheckMenuRadioItem(m_iconDesktopsMenu, IDM_ICON_DESKTOP_1, IDM_ICON_DESKTOP_1 + Options::kIconDesktops - 1,
                           IDM_ICON_DESKTOP_1 + options.iconDesktop - 1, MF_BYCOMMAND);
    }
}

void TZIM::MonitorShown(bool shown)
{
    m_monitorShown = shown;
    if (!PopupMenu1)
    {
        return;
    }
    ShowMenuItem(m_showMonitorItem, !shown);
    ShowMenuItem(m_closeMonitorItem, shown);
}

// A menu has no hidden items: the item that does not apply is taken out, and put
// back in front of its neighbour when it applies again.
void TZIM::ShowMenuItem(const ToggledItem& item, bool shown)
{
    const bool present = GetMenuState(PopupMenu1, item.id, MF_BYCOMMAND) != static_cast<UINT>(-1);
    if (present == shown)
    {
        return;
    }
    if (!shown)
    {
        DeleteMenu(PopupMenu1, item.id, MF_BYCOMMAND);
        return;
    }
    std::wstring caption = item.caption;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    info.fType = MFT_STRING;
    info.fState = item.state;
    info.wID = item.id;
    info.dwTypeData = caption.data();
    InsertMenuItemW(PopupMenu1, item.insertBefore, FALSE, &info);
}

void TZIM::ShowPopupMenu(Point screen)
{
    if (!Handle() || !PopupMenu1)
    {
        return;
    }
    SetForegroundWindow(Handle());
    TrackPopupMenuEx(PopupMenu1, TPM_RIGHTBUTTON, screen.x, screen.y, Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TZIM::InstallHook()
{
    if (m_hookInstalled)
    {
        return;
    }
    m_hook.SetMainHandle(FromHwnd(Handle()));
    m_hook.SetHook();
    m_hookInstalled = true;
    // The 64-bit hook reaches only 64-bit programs. Where the host cannot run (no
    // 32-bit support) the 64-bit hook alone serves, so its failure is no error.
    m_hookHost.Start(HookHost::DefaultPath(), FromHwnd(Handle()));
}

void TZIM::RemoveHook()
{
    if (m_hookInstalled)
    {
        m_hook.SetMainHandle(kNoWindow);
        m_hook.UnSetHook();
        m_hookHost.Stop();
        m_hookInstalled = false;
    }
}

void TZIM::OnCommand(UINT id)
{
    if (id >= IDM_ICON_DESKTOP_1 && id < IDM_ICON_DESKTOP_1 + Options::kIconDesktops)
    {
        // The application's icon-desktop switcher follows the number and puts it back when the swap fails.
        const int chosen = static_cast<int>(id - IDM_ICON_DESKTOP_1) + 1;
        m_options.Update([chosen](Options& o) { o.iconDesktop = chosen; });
        return;
    }
    switch (id)
    {
    case IDM_SHOW_MONITOR:
        m_commands.ShowMonitor();
        break;
    case IDM_SHOW_TRAY_ARROWS:
        m_options.Update([](Options& o) { o.trayArrows = !o.trayArrows; });
        break;
    case IDM_STICKY_WINDOWS:
        m_commands.ShowOptions(OptionsPage::StickyWindows);
        break;
    case IDM_OPTIONS:
        m_commands.ShowOptions(OptionsPage::GeneralOptions);
        break;
    case IDM_ABOUT:
        m_commands.ShowOptions(OptionsPage::About);
        break;
    case IDM_HELP:
        m_commands.ShowHelp();
        break;
    case IDM_CLOSE_MONITOR:
        m_commands.HideMonitor();
        break;
    case IDM_EXIT:
        m_commands.Exit();
        break;
    default:
        break;
    }
}

void TZIM::Timer2Timer()
{
    if (m_events.inputTick)
    {
        m_events.inputTick();
    }
}

void TZIM::PackHideWndTimerTimer()
{
    if (m_events.packHidden)
    {
        m_events.packHidden();
    }
}

LRESULT TZIM::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The hook library's messages, the session end and the work area first.
    if (const auto result = m_dispatch.Dispatch(message, wParam, lParam))
    {
        return *result;
    }
    switch (message)
    {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        // Closing only hides, and this window is hidden already: it lives until the program ends.
        if (m_timer2)
        {
            m_timer2->SetEnabled(false);
        }
        return 0;
    case WM_DESTROY:
        // The timers belong to the program's scheduler and would tick on.
        for (Timer* timer : {m_timer2.get(), m_packHideWndTimer.get()})
        {
            if (timer)
            {
                timer->SetEnabled(false);
            }
        }
        for (TTrayIcon* icon : {&TrayIcon1, &traydown, &trayUp, &TrayLeft, &TrayRight})
        {
            icon->SetActive(false);
        }
        RemoveHook();
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

} // namespace zim::win32
