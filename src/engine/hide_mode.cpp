#include "engine/desktop_engine.h"

#include "platform/text.h"

#include <algorithm>

namespace zim
{

bool DesktopEngine::UsesHideMode(WindowHandle w)
{
    return m_options.Get().hideAllWC || IsCompatibilityClass(w);
}

bool DesktopEngine::RectOnDesktop(int column, int row, const Rect& r)
{
    const Size screen = m_windows.GetScreenSize();
    const Rect desktop = Rect::FromSize(column * screen.width, row * screen.height, screen.width, screen.height);
    return std::max(r.left, desktop.left) < std::min(r.right, desktop.right) &&
           std::max(r.top, desktop.top) < std::min(r.bottom, desktop.bottom);
}

void DesktopEngine::HideModeMove(WindowHandle w, std::int32_t dx, std::int32_t dy)
{
    if (!m_windows.IsWindow(w))
    {
        return;
    }
    auto& list = m_state.HideWndList;
    const auto entry = std::find_if(list.begin(), list.end(), [w](const auto& item) { return item.second->wnd == w; });
    const auto rect = m_windows.GetWindowRect(w);
    if (!rect)
    {
        return;
    }
    const Size screen = m_windows.GetScreenSize();
    Rect r = *rect;

    if (entry != list.end() && entry->second->hidden)
    {
        // Held hidden: shown again, at its old place, only when its own desktop is shown.
        HideWndItem& item = *entry->second;
        const int column = item.column + (r.left < 0 ? 1 : 0);
        const int row = item.row + (r.top < 0 ? 1 : 0);
        r = r.Offset(column * screen.width, row * screen.height);
        if (RectOnDesktop(m_state.CurrentX, m_state.CurrentY, r))
        {
            m_windows.MoveWindow(w,
                                 {r.left - m_state.CurrentX * screen.width, r.top - m_state.CurrentY * screen.height});
            m_windows.ShowWindow(w, ShowCommand::Show);
            item.hidden = false;
        }
        return;
    }

    if (!m_windows.IsWindowVisible(w))
    {
        return;
    }
    if (RectOnDesktop(0, 0, r.Offset(dx, dy)))
    {
        // Still partly on the shown screen: an ordinary move.
        m_windows.MoveWindow(w, {r.left + dx, r.top + dy});
        return;
    }

    HideWndItem* item = nullptr;
    if (entry != list.end())
    {
        item = entry->second.get();
    }
    else
    {
        list.emplace_back(text::TruncateChars(m_windows.GetClassName(w), 254), std::make_unique<HideWndItem>());
        item = list.back().second.get();
    }
    item->miniature = ScreenToMonitorRect(r, dx, dy);
    // The new desktop is already in force during a switch: this is the window's own desktop.
    item->column = (r.left / screen.width - (r.left < 0 ? 1 : 0)) + dx / screen.width + m_state.CurrentX;
    item->row = (r.top / screen.height - (r.top < 0 ? 1 : 0)) + dy / screen.height + m_state.CurrentY;
    item->wnd = w;
    m_windows.BringWindowToTop(w);
    m_windows.ShowWindow(w, ShowCommand::Hide);
    BringOnScreenProc(w); // it rests hidden inside the visible screen
    item->hidden = true;
}

void DesktopEngine::PackHideWndList()
{
    auto& list = m_state.HideWndList;
    for (auto it = list.end(); it != list.begin();)
    {
        --it;
        if (!m_windows.IsWindow(it->second->wnd) || !it->second->hidden)
        {
            it = list.erase(it);
        }
    }
}

} // namespace zim
