#include "components/tray_icon_model.h"

#include "platform/text.h"

namespace zim
{

TrayIconModel::~TrayIconModel()
{
    if (m_active)
    {
        Delete();
    }
}

void TrayIconModel::SetActive(bool active)
{
    if (active == m_active)
    {
        return;
    }
    m_active = active;
    if (active)
    {
        Add();
    }
    else
    {
        Delete();
    }
}

void TrayIconModel::SetIcon(std::uintptr_t icon)
{
    m_icon = icon;
    Modify();
}

void TrayIconModel::SetToolTip(std::string_view toolTip)
{
    m_toolTip = text::TruncateChars(toolTip, tray::kMaxToolTipChars);
    Modify();
}

void TrayIconModel::Readd()
{
    if (m_active)
    {
        Add();
    }
}

TrayMessage TrayIconModel::OnMessage(std::uint32_t message, std::intptr_t lParam)
{
    if (message == tray::kResendToolTipMessage)
    {
        SetToolTip(m_toolTip);
        return TrayMessage::Handled;
    }
    if (message != tray::kCallbackMessage)
    {
        return TrayMessage::NotMine;
    }
    switch (lParam)
    {
    case tray::kLButtonUp:
        if (OnClick)
        {
            OnClick();
        }
        break;
    case tray::kLButtonDblClk:
        if (OnDblClick)
        {
            OnDblClick();
        }
        break;
    case tray::kRButtonUp:
        return TrayMessage::RightClick;
    default:
        break; // moves and the other buttons mean nothing here
    }
    return TrayMessage::Handled;
}

void TrayIconModel::Fill()
{
    m_record.id = tray::kIconId;
    m_record.callbackMessage = tray::kCallbackMessage;
    m_record.icon = m_icon;
    m_record.toolTip = m_toolTip;
}

void TrayIconModel::Add()
{
    Fill();
    m_shell.NotifyIcon(NotifyIconCommand::Add, m_record);
    if (m_toolTip.empty())
    {
        // Properties restored after activation (icon, then tip) would otherwise
        // never reach the tray: send them again once the queue gets here.
        m_shell.Post(m_record.window, tray::kResendToolTipMessage);
    }
}

void TrayIconModel::Modify()
{
    Fill();
    if (m_active)
    {
        m_shell.NotifyIcon(NotifyIconCommand::Modify, m_record);
    }
}

void TrayIconModel::Delete()
{
    m_shell.NotifyIcon(NotifyIconCommand::Delete, m_record);
}

} // namespace zim
