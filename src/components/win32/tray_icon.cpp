#include "components/win32/tray_icon.h"

#include "platform/win32/utf.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace zim::win32
{
namespace
{

// Sent by the shell to every top-level window when it starts (again).
UINT TaskbarCreatedMessage()
{
    static const UINT id = RegisterWindowMessageW(L"TaskbarCreated");
    return id;
}

// Lets pending messages (the activation of the menu's owner above all) run
// before the menu opens. A quit request is put back for the main loop; the bound
// keeps a window that never validates its paint from holding us here.
void ProcessPendingMessages()
{
    constexpr int kMaxMessages = 1000;
    MSG msg;
    for (int i = 0; i < kMaxMessages && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        if (msg.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

class TTrayIcon::NotificationWindow final : public Window
{
public:
    explicit NotificationWindow(TTrayIcon& owner) : m_owner(owner) {}

    bool Create(const std::wstring& title)
    {
        // A hidden top-level window, not a message-only one: the shell's
        // "TaskbarCreated" broadcast reaches top-level windows only.
        return Window::Create(kWindowClass, title.c_str(), WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        bool handled = false;
        const LRESULT result = m_owner.OnWindowMessage(message, wParam, lParam, handled);
        return handled ? result : Window::HandleMessage(message, wParam, lParam);
    }

private:
    TTrayIcon& m_owner;
};

bool TTrayIcon::Shell::NotifyIcon(NotifyIconCommand command, const NotifyIconRecord& record)
{
    NOTIFYICONDATAW data{};
    // The size of the record without the version-3 fields: every shell since the
    // second version accepts it, and the callback keeps the classic meaning
    // (lParam carries the mouse message) because no version is ever set.
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = ToHwnd(record.window);
    data.uID = record.id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    const std::wstring tip = Widen(record.toolTip);
    const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    std::wmemcpy(data.szTip, tip.data(), length);
    data.szTip[length] = L'\0';

    DWORD shellCommand = NIM_MODIFY;
    if (command == NotifyIconCommand::Add)
    {
        shellCommand = NIM_ADD;
    }
    else if (command == NotifyIconCommand::Delete)
    {
        shellCommand = NIM_DELETE;
    }
    return Shell_NotifyIconW(shellCommand, &data) != FALSE;
}

void TTrayIcon::Shell::Post(WindowHandle window, std::uint32_t message)
{
    PostMessageW(ToHwnd(window), message, 0, 0);
}

TTrayIcon::TTrayIcon(std::wstring name) : m_name(std::move(name)), m_window(std::make_unique<NotificationWindow>(*this))
{
    m_model.OnClick = [this]
    {
        if (OnClick)
        {
            OnClick();
        }
    };
    m_model.OnDblClick = [this]
    {
        if (OnDblClick)
        {
            OnDblClick();
        }
    };
}

TTrayIcon::~TTrayIcon() = default;

bool TTrayIcon::Create()
{
    if (!m_window->Create(m_name))
    {
        return false;
    }
    m_model.SetWindow(FromHwnd(m_window->Handle()));
    return true;
}

HWND TTrayIcon::Handle() const
{
    return m_window->Handle();
}

bool TTrayIcon::ShowBalloon(std::string_view title, std::string_view text)
{
    if (!Active())
    {
        return false;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE; // the balloon fields belong to that record already
    data.hWnd = Handle();
    data.uID = tray::kIconId;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 10000;
    const auto copy = [](wchar_t* to, std::size_t capacity, std::string_view from)
    {
        const std::wstring wide = Widen(std::string(from));
        const std::size_t length = std::min(wide.size(), capacity - 1);
        std::wmemcpy(to, wide.data(), length);
        to[length] = L'\0';
    };
    copy(data.szInfoTitle, std::size(data.szInfoTitle), title);
    copy(data.szInfo, std::size(data.szInfo), text);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TTrayIcon::SetIcon(HICON icon)
{
    if (icon == m_icon.Get())
    {
        m_model.SetIcon(reinterpret_cast<std::uintptr_t>(icon));
        return;
    }
    UniqueIcon copy(icon ? CopyIcon(icon) : nullptr);
    m_model.SetIcon(reinterpret_cast<std::uintptr_t>(copy.Get()));
    // The shell has its own copy of what it shows by now: the old one can go.
    m_icon = std::move(copy);
}

void TTrayIcon::SetPopupMenu(HMENU menu, HWND owner)
{
    m_popupMenu = menu;
    m_popupOwner = owner;
}

LRESULT TTrayIcon::OnWindowMessage(UINT message, WPARAM, LPARAM lParam, bool& handled)
{
    if (message == TaskbarCreatedMessage())
    {
        m_model.Readd();
        handled = true;
        return 0;
    }
    switch (m_model.OnMessage(message, lParam))
    {
    case TrayMessage::NotMine:
        handled = false;
        return 0;
    case TrayMessage::RightClick:
        RightClick();
        break;
    case TrayMessage::Handled:
        break;
    }
    handled = true;
    return 0;
}

void TTrayIcon::RightClick()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    if (m_popupMenu && IsWindow(m_popupOwner))
    {
        SetForegroundWindow(m_popupOwner);
        ProcessPendingMessages();
        // The pending messages may have ended the program.
        if (IsWindow(m_popupOwner) && IsMenu(m_popupMenu))
        {
            TrackPopupMenuEx(m_popupMenu, TPM_RIGHTBUTTON, cursor.x, cursor.y, m_popupOwner, nullptr);
            // Without a message after it, the menu's next opening closes it at once.
            PostMessageW(m_popupOwner, WM_NULL, 0, 0);
        }
    }
    if (OnRightClick)
    {
        OnRightClick({cursor.x, cursor.y});
    }
}

} // namespace zim::win32
