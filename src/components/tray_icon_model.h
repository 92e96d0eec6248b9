#pragma once

// The rules of one notification-area icon, apart from the window it lives in:
// what goes to the shell and when, and what the shell's mouse notifications mean.
// The Win32 component (components/win32/tray_icon.h) owns one of these beside its
// hidden notification window and its icon handle.

#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zim
{

namespace tray
{
// Every instance has its own notification window, so all can use the same id.
inline constexpr std::uint32_t kIconId = 0;
// The shell sends this to the notification window with the mouse message in lParam.
inline constexpr std::uint32_t kCallbackMessage = 0x0400 + 1;
// Posted to the notification window after an add with an empty tool tip.
inline constexpr std::uint32_t kResendToolTipMessage = 0x0400 + 2;
// The tip buffer of the old notification record held 64 characters with its zero.
inline constexpr std::size_t kMaxToolTipChars = 62;

// Mouse messages as the shell passes them in lParam of the callback message.
inline constexpr std::intptr_t kLButtonUp = 0x0202;
inline constexpr std::intptr_t kLButtonDblClk = 0x0203;
inline constexpr std::intptr_t kRButtonUp = 0x0205;
} // namespace tray

enum class NotifyIconCommand
{
    Add,
    Modify,
    Delete,
};

// What one shell call carries: window, id, callback message, icon and tip.
struct NotifyIconRecord
{
    WindowHandle window = kNoWindow;
    std::uint32_t id = tray::kIconId;
    std::uint32_t callbackMessage = tray::kCallbackMessage;
    std::uintptr_t icon = 0; // an icon handle; 0 for none
    std::string toolTip;
    friend bool operator==(const NotifyIconRecord&, const NotifyIconRecord&) = default;
};

// The system calls the icon rules make.
class NotifyIconShell
{
public:
    NotifyIconShell() = default;
    NotifyIconShell(const NotifyIconShell&) = delete;
    NotifyIconShell& operator=(const NotifyIconShell&) = delete;
    virtual ~NotifyIconShell() = default;

    // Shell_NotifyIcon; the result is reported but the rules do not act on it.
    virtual bool NotifyIcon(NotifyIconCommand command, const NotifyIconRecord& record) = 0;
    // PostMessage with no parameters to a window of this program.
    virtual void Post(WindowHandle window, std::uint32_t message) = 0;
};

// What the notification window should do with a message after the model saw it.
enum class TrayMessage
{
    NotMine,    // default processing
    Handled,    // done (events already fired)
    RightClick, // the caller pops up the menu and fires OnRightClick
};

class TrayIconModel
{
public:
    explicit TrayIconModel(NotifyIconShell& shell) : m_shell(shell) {}
    TrayIconModel(const TrayIconModel&) = delete;
    TrayIconModel& operator=(const TrayIconModel&) = delete;
    // Takes the icon out of the tray when it is there.
    ~TrayIconModel();

    // The notification window the shell reports to; set once, before activation.
    void SetWindow(WindowHandle window) { m_record.window = window; }

    bool Active() const { return m_active; }
    // True adds the icon to the tray, false deletes it; the same value again does nothing.
    void SetActive(bool active);

    std::uintptr_t Icon() const { return m_icon; }
    // Stored while inactive; sent with the next add.
    void SetIcon(std::uintptr_t icon);

    const std::string& ToolTip() const { return m_toolTip; }
    // Cut to kMaxToolTipChars characters; stored while inactive.
    void SetToolTip(std::string_view toolTip);

    // The shell started again (its tray is empty): add the icon again when active.
    void Readd();

    // The record as last filled, as the shell saw it on the last call.
    const NotifyIconRecord& Record() const { return m_record; }

    // A message that reached the notification window.
    TrayMessage OnMessage(std::uint32_t message, std::intptr_t lParam);

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

private:
    void Fill();
    void Add();
    void Modify();
    void Delete();

    NotifyIconShell& m_shell;
    NotifyIconRecord m_record;
    std::uintptr_t m_icon = 0;
    std::string m_toolTip;
    bool m_active = false;
};

} // namespace zim
