#include "engine/hide_mode.h"

#include "engine/classification.h"
#include "platform/text.h"

#include <algorithm>

namespace zim
{

namespace
{
std::int32_t FloorDiv(std::int32_t a, std::int32_t b);
} // namespace

Point OnScreenPlace(const Rect& r, Size screen, int frame, int captionFrameHeight)
{
    // A window whose edge merely meets the screen's edge (at x = W, say, where a
    // window at x = 0 of the desktop to the right lies) shows nothing, and the
    // frame of a maximised window of the next desktop overhangs into the screen
    // by a few pixels: neither is a part anyone can grab.
    if (r.left + frame < screen.width && r.right - frame > 0 && r.top + frame < screen.height && r.bottom - frame > 0)
    {
        return {r.left, r.top};
    }
    // Its own desktop as the switch reckons it (the centre, and a point one
    // caption below the top edge); the window keeps its place on that desktop,
    // so an exact multiple of the screen lands at 0 and a maximised window at
    // minus its frame, as it was.
    const std::int32_t column = FloorDiv(r.left + (r.right - r.left) / 2, screen.width);
    const std::int32_t row = FloorDiv(r.top + captionFrameHeight, screen.height);
    return {r.left - column * screen.width, r.top - row * screen.height};
}

namespace
{

std::int32_t FloorDiv(std::int32_t a, std::int32_t b)
{
    const std::int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

bool BringOnScreenProc(WindowSystem& windows, WindowHandle w, unsigned probeMs)
{
    if (!windows.IsWindow(w) || windows.IsIconic(w))
    {
        return true;
    }
    const auto rect = windows.GetWindowRect(w);
    if (!rect)
    {
        return true;
    }
    const Rect& r = *rect;
    const Size screen = windows.GetScreenSize();
    if (screen.width <= 0 || screen.height <= 0)
    {
        return true;
    }
    const Point place = OnScreenPlace(r, screen, windows.GetResizeFrameWidth(), windows.GetCaptionFrameHeight());
    if (place == Point{r.left, r.top})
    {
        return true;
    }
    if (windows.ProbeWindow(w, probeMs))
    {
        windows.MoveWindow(w, place);
    }
    else
    {
        // Left where it is, a window that does not answer now would be lost
        // for good once the program has ended: its own thread moves it when it wakes.
        windows.MoveWindowAsync(w, place);
    }
    return true;
}

std::optional<Point> OnScreenPlaceFor(WindowSystem& windows, const Rect& r)
{
    const Size screen = windows.GetScreenSize();
    if (screen.width <= 0 || screen.height <= 0)
    {
        return std::nullopt;
    }
    const Point place = OnScreenPlace(r, screen, windows.GetResizeFrameWidth(), windows.GetCaptionFrameHeight());
    if (place == Point{r.left, r.top})
    {
        return std::nullopt;
    }
    return place;
}

HideMode::HideMode(WindowSystem& windows, const OptionsModel& options, const EngineState& state)
    : m_windows(windows), m_options(options), m_state(state)
{
}

bool HideMode::UsesHideMode(WindowHandle w)
{
    return m_options.Get().hideAllWC || IsCompatibilityClass(m_windows, m_options.Get(), w);
}

bool HideMode::TakesHideMode(WindowHandle w, std::int32_t dx, std::int32_t dy)
{
    if (UsesHideMode(w))
    {
        return true;
    }
    const auto state = m_windows.GetWindowState(w);
    if (!state)
    {
        const HideWndItem* item = Find(w);
        return item && item->hidden;
    }
    return TakesHideMode(w, false, *state, dx, dy);
}

bool HideMode::TakesHideMode(WindowHandle w, bool compatibilityClass, const WindowState& state, std::int32_t dx,
                             std::int32_t dy)
{
    if (m_options.Get().hideAllWC || compatibilityClass)
    {
        return true;
    }
    if (const HideWndItem* item = Find(w); item && item->hidden)
    {
        return true;
    }
    if (!state.visible)
    {
        return false;
    }
    const std::int64_t x = std::int64_t{state.rect.left} + dx;
    const std::int64_t y = std::int64_t{state.rect.top} + dy;
    return x < kMinWindowCoordinate || x > kMaxWindowCoordinate || y < kMinWindowCoordinate || y > kMaxWindowCoordinate;
}

bool HideMode::RectOnDesktop(int column, int row, const Rect& r)
{
    const Size screen = m_windows.GetScreenSize();
    const Rect desktop = Rect::FromSize(column * screen.width, row * screen.height, screen.width, screen.height);
    return std::max(r.left, desktop.left) < std::min(r.right, desktop.right) &&
           std::max(r.top, desktop.top) < std::min(r.bottom, desktop.bottom);
}

HideWndItem* HideMode::Find(WindowHandle w)
{
    const auto entry =
        std::find_if(m_list.begin(), m_list.end(), [w](const auto& item) { return item.second->wnd == w; });
    return entry == m_list.end() ? nullptr : entry->second.get();
}

std::optional<WindowState> HideMode::HideModeMove(WindowHandle w, std::int32_t dx, std::int32_t dy, bool async)
{
    if (!m_windows.IsWindow(w))
    {
        return std::nullopt;
    }
    HideWndItem* item = Find(w);
    const auto rect = m_windows.GetWindowRect(w);
    const Size screen = m_windows.GetScreenSize();
    if (!rect || screen.width <= 0 || screen.height <= 0)
    {
        return std::nullopt;
    }
    Rect r = *rect;
    const Point current = m_state.Grid.Current();
    const auto move = [&](Point to)
    {
        if (async)
        {
            m_windows.MoveWindowAsync(w, to);
        }
        else
        {
            m_windows.MoveWindow(w, to);
        }
    };
    const auto show = [&](ShowCommand command)
    {
        if (async)
        {
            m_windows.ShowWindowAsync(w, command);
        }
        else
        {
            m_windows.ShowWindow(w, command);
        }
    };

    if (item && item->hidden)
    {
        // Held hidden: shown again, at its old place, only when its own desktop is shown.
        const int column = item->column + (r.left < 0 ? 1 : 0);
        const int row = item->row + (r.top < 0 ? 1 : 0);
        r = r.Offset(column * screen.width, row * screen.height);
        if (!RectOnDesktop(current.x, current.y, r))
        {
            return std::nullopt;
        }
        const Point to{r.left - current.x * screen.width, r.top - current.y * screen.height};
        move(to);
        show(ShowCommand::Show);
        item->hidden = false;
        item->hidePending = false;
        Changed();
        return WindowState{Rect::FromSize(to.x, to.y, r.Width(), r.Height()), true, false};
    }

    if (!m_windows.IsWindowVisible(w))
    {
        return std::nullopt;
    }
    if (RectOnDesktop(0, 0, r.Offset(dx, dy)))
    {
        // Still partly on the shown screen: an ordinary move.
        move({r.left + dx, r.top + dy});
        return WindowState{r.Offset(dx, dy), true, false};
    }

    if (!item)
    {
        m_list.emplace_back(text::TruncateChars(m_windows.GetClassName(w), 254), std::make_unique<HideWndItem>());
        item = m_list.back().second.get();
    }
    item->miniature = m_state.Grid.ScreenToGridRect(r, screen, dx, dy);
    // Recorded so that the parked place plus whole screens gives the window's
    // place back (the new desktop is already in force during a switch): the
    // showing above adds one screen for a parked place left of or above the
    // screen, so the record takes it off. Taken from the parked place, not from
    // the place before parking, which may lie whole screens away.
    const Point parked = OnScreenPlace(r, screen, m_windows.GetResizeFrameWidth(), m_windows.GetCaptionFrameHeight());
    item->column = FloorDiv(r.left + dx - parked.x, screen.width) + current.x - (parked.x < 0 ? 1 : 0);
    item->row = FloorDiv(r.top + dy - parked.y, screen.height) + current.y - (parked.y < 0 ? 1 : 0);
    item->wnd = w;
    item->parked = Rect::FromSize(parked.x, parked.y, r.Width(), r.Height());
    // Told before the window is hidden: a record of the held windows kept
    // outside the process must name it before its thread can hide it, or a
    // death in between would leave it hidden with nobody knowing.
    item->hidden = true;
    Changed();
    item->hidePending = async;
    if (async)
    {
        m_windows.BringWindowToTopAsync(w);
        m_windows.ShowWindowAsync(w, ShowCommand::Hide);
        // It rests hidden inside the visible screen.
        if (parked != Point{r.left, r.top})
        {
            m_windows.MoveWindowAsync(w, parked);
        }
    }
    else
    {
        m_windows.BringWindowToTop(w);
        m_windows.ShowWindow(w, ShowCommand::Hide);
        BringOnScreenProc(m_windows, w, kProbeMs); // it rests hidden inside the visible screen
    }
    return WindowState{Rect::FromSize(parked.x, parked.y, r.Width(), r.Height()), false, false};
}

void HideMode::PackHideWndList()
{
    const std::size_t before = m_list.size();
    for (auto it = m_list.end(); it != m_list.begin();)
    {
        --it;
        if (!m_windows.IsWindow(it->second->wnd) || !it->second->hidden)
        {
            it = m_list.erase(it);
        }
    }
    if (m_list.size() != before)
    {
        Changed();
    }
}

void HideMode::ShowHeldHiddenWindows()
{
    for (const auto& [className, item] : m_list)
    {
        if (m_windows.IsWindow(item->wnd))
        {
            // Asynchronous: a hung window must neither stall the exit nor stay hidden.
            m_windows.ShowWindowAsync(item->wnd, ShowCommand::Show);
        }
    }
    m_list.clear();
    Changed();
}

void HideMode::SendHome(WindowHandle w)
{
    HideWndItem* item = Find(w);
    if (!item || !item->hidden)
    {
        return;
    }
    // Its moves wait for its thread: a busy window is sent at a later refresh.
    if (!m_windows.ProbeWindow(w, kSendHomeProbeMs))
    {
        return;
    }
    if (item->hidePending)
    {
        // The refresh may have looked before its thread got round to the
        // switch's hide; once it has answered, it has carried that out. Still
        // visible now, its application showed it; hidden, nobody did, and sent
        // home it would stay hidden with nobody holding it.
        item->hidePending = false;
        if (!m_windows.IsWindowVisible(w))
        {
            return;
        }
    }
    item->hidden = false;
    item->hidePending = false;
    Changed();
    const Size screen = m_windows.GetScreenSize();
    const Point current = m_state.Grid.Current();
    // Its desktop as the showing reads it from the parked place.
    const Rect parked = m_windows.GetWindowRect(w).value_or(Rect{});
    const int column = item->column + (parked.left < 0 ? 1 : 0);
    const int row = item->row + (parked.top < 0 ? 1 : 0);
    HideModeMove(w, screen.width * (column - current.x), screen.height * (row - current.y));
}

bool HideMode::Release(WindowHandle w)
{
    HideWndItem* item = Find(w);
    if (!item || !item->hidden)
    {
        return false;
    }
    item->hidden = false;
    item->hidePending = false;
    Changed();
    return true;
}

void HideMode::ShowClass(const std::string& className)
{
    // Taken out of the list before the window is touched, so nothing that the
    // showing sets off can meet a half-removed entry.
    bool changed = false;
    for (auto it = m_list.begin(); it != m_list.end();)
    {
        if (!text::EqualsNoCase(it->first, className))
        {
            ++it;
            continue;
        }
        const std::unique_ptr<HideWndItem> item = std::move(it->second);
        it = m_list.erase(it);
        changed = true;
        // An entry shown again already stands at its place; showing it would only
        // override its application.
        if (item->hidden && m_windows.IsWindow(item->wnd))
        {
            // Asynchronous: a hung window is shown when it wakes, never waited for.
            m_windows.ShowWindowAsync(item->wnd, ShowCommand::Show);
        }
    }
    if (changed)
    {
        Changed();
    }
}

void HideMode::ReleaseAll(FunctionRef<void(WindowHandle, Point)> moveToMiniature)
{
    while (!m_list.empty())
    {
        const std::unique_ptr<HideWndItem> item = std::move(m_list.front().second);
        m_list.erase(m_list.begin());
        if (item->hidden && m_windows.IsWindow(item->wnd))
        {
            moveToMiniature(item->wnd, {item->miniature.left, item->miniature.top});
            // Shown even when it did not answer, where it rests: it must not stay hidden.
            m_windows.ShowWindowAsync(item->wnd, ShowCommand::Show);
        }
    }
    Changed();
}

} // namespace zim
