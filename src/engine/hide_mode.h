#pragma once

// Hide mode, for windows that must not live off the visible screen: a window
// leaving the screen is hidden and parked on it, and shown again at its old
// place when its desktop is shown again. This class owns the list of the
// windows it holds hidden; others read it and ask for the few changes below.

#include "engine/engine_state.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zim
{

// One window held hidden by hide mode: its desktop, where its miniature is drawn,
// the window, and whether it is hidden now.
struct HideWndItem
{
    std::int32_t column = 0;
    std::int32_t row = 0;
    Rect miniature;
    WindowHandle wnd = kNoWindow;
    bool hidden = false;
    // Where it rests hidden: known before its own thread has put it there.
    Rect parked;
    // Hidden by a call its thread may not have carried out yet: seen visible
    // meanwhile, it has not been shown by its application.
    bool hidePending = false;
};

// Entries keyed by window class name, in order of first handling.
using HideWndEntries = std::vector<std::pair<std::string, std::unique_ptr<HideWndItem>>>;

// Where BringOnScreenProc puts a window: unchanged when a real part of it is on
// the screen, else at its place on its own desktop (by its centre, and a point
// one caption below its top edge).
Point OnScreenPlace(const Rect& r, Size screen, int frame, int captionFrameHeight);

// Moves a window lying wholly off the visible screen back onto it, at its place
// on its own desktop; a window that does not answer in time is moved by its own
// thread when it wakes. Always true, so that an enumeration visits every window.
bool BringOnScreenProc(WindowSystem& windows, WindowHandle w, unsigned probeMs);
// Where BringOnScreenProc would put a window standing at `r`: nothing when a real
// part of it is on the visible screen already.
std::optional<Point> OnScreenPlaceFor(WindowSystem& windows, const Rect& r);

class HideMode
{
public:
    // Elsewhere than in a switch a window gets this long to answer.
    static constexpr unsigned kProbeMs = 1000;
    // The monitor's refresh runs every half second: a short look is enough.
    static constexpr unsigned kSendHomeProbeMs = 100;

    HideMode(WindowSystem& windows, const OptionsModel& options, const EngineState& state);
    HideMode(const HideMode&) = delete;
    HideMode& operator=(const HideMode&) = delete;

    // Every window when "hide all" is on, else those of the compatibility classes.
    bool UsesHideMode(WindowHandle w);
    // Whether a move by (dx, dy) goes through hide mode: the window uses it, is
    // held hidden now, or is shown and would land beyond the coordinates the
    // window system can hold (the far desktops of a large grid on a wide screen),
    // where it waits hidden instead of coming back displaced.
    bool TakesHideMode(WindowHandle w, std::int32_t dx, std::int32_t dy);
    // The same from what the caller has read of the window already: whether its
    // class is a compatibility class, and its state.
    bool TakesHideMode(WindowHandle w, bool compatibilityClass, const WindowState& state, std::int32_t dx,
                       std::int32_t dy);
    // Hides a window leaving the screen, shows a held one whose desktop is shown
    // again, or moves it as usual. With `async` every call is carried out by
    // the window's own thread (a switch has probed it already and must not wait
    // should it hang now); the result is the state the window will have once
    // its thread has caught up, nothing when nothing was asked of it.
    std::optional<WindowState> HideModeMove(WindowHandle w, std::int32_t dx, std::int32_t dy, bool async = false);
    // Whether a rectangle meets the screen area of desktop (column, row).
    bool RectOnDesktop(int column, int row, const Rect& r);
    // Drops entries of windows that died or were shown again.
    void PackHideWndList();
    // Shows every window still held hidden and forgets them all (exit, session end).
    void ShowHeldHiddenWindows();

    const HideWndEntries& HideWndList() const { return m_list; }
    // Called after every change of which windows are held hidden, so that a
    // record of them kept outside the process stays current.
    void SetOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }
    // Its application showed a held window again: back to its own desktop.
    void SendHome(WindowHandle w);
    // The window leaves hide mode's hold (the user drags it out): true when it
    // was held hidden, and the caller shows it.
    bool Release(WindowHandle w);
    // A compatibility class unchecked: every window of that class (compared
    // ignoring case) held hidden is shown where it rests, and forgotten.
    void ShowClass(const std::string& className);
    // "Hide invisible windows from taskbar" unchecked: every window held hidden
    // is moved to the screen place of its miniature (moveToMiniature(window,
    // {miniature.left, miniature.top}), which skips a window that does not
    // answer), shown, and forgotten, first entry first.
    void ReleaseAll(FunctionRef<void(WindowHandle, Point)> moveToMiniature);

private:
    HideWndItem* Find(WindowHandle w);
    void Changed()
    {
        if (m_onChanged)
        {
            m_onChanged();
        }
    }

    WindowSystem& m_windows;
    const OptionsModel& m_options;
    const EngineState& m_state;
    HideWndEntries m_list;
    std::function<void()> m_onChanged;
};

} // namespace zim
