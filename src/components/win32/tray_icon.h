#pragma once

// TTrayIcon: one icon with a tool tip in the task bar's notification area. Each
// instance has its own hidden notification window, so that several icons of one
// program coexist although all use icon id 0; the window turns the shell's mouse
// notifications into events and pops up the menu on a right click.

#include "components/tray_icon_model.h"
#include "platform/win32/handles.h"
#include "platform/win32/window.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zim::win32
{

class TTrayIcon
{
public:
    // The notification windows' class; their title is the icon's name, so that
    // tools can tell the icons of one program apart.
    static constexpr const wchar_t* kWindowClass = L"ZimTrayIcon";

    explicit TTrayIcon(std::wstring name);
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;
    // Takes the icon out of the tray when it is there.
    ~TTrayIcon();

    // Creates the notification window; call before anything else.
    bool Create();
    HWND Handle() const;

    bool Active() const { return m_model.Active(); }
    void SetActive(bool active) { m_model.SetActive(active); }

    HICON Icon() const { return m_icon.Get(); }
    // Keeps a copy of the icon; the caller keeps its own.
    void SetIcon(HICON icon);

    const std::string& ToolTip() const { return m_model.ToolTip(); }
    void SetToolTip(std::string_view toolTip) { m_model.SetToolTip(toolTip); }

    // A short notice in a balloon above the icon, when the icon is in the tray;
    // false when it is not or the shell refused. Texts are cut to the shell's buffers.
    bool ShowBalloon(std::string_view title, std::string_view text);

    // Not owned. Its commands go to `owner` as WM_COMMAND; the owner is brought
    // to the foreground first so that the menu closes when the user clicks away.
    void SetPopupMenu(HMENU menu, HWND owner);

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // After the menu, with the cursor position in screen coordinates.
    std::function<void(Point)> OnRightClick;

private:
    class NotificationWindow;
    class Shell final : public NotifyIconShell
    {
    public:
        bool NotifyIcon(NotifyIconCommand command, const NotifyIconRecord& record) override;
        void Post(WindowHandle window, std::uint32_t message) override;
    };

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void RightClick();

    std::wstring m_name;
    Shell m_shell;
    std::unique_ptr<NotificationWindow> m_window;
    UniqueIcon m_icon;
    // Last, so that the icon leaves the tray before its icon and window go.
    TrayIconModel m_model{m_shell};
    HMENU m_popupMenu = nullptr;
    HWND m_popupOwner = nullptr;
};

} // namespace zim::win32
