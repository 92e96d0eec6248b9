#pragma once

// TTopMostWindow: keeps one window in or out of the topmost band. It acts on a
// handle its owner gives it, which the owner replaces when its window is made
// anew; an unchanged value does nothing, so re-applying the state to a new
// window takes a write of false and then of the wanted value.

#include "platform/types.h"

#include <functional>
#include <utility>

namespace zim
{

class TopMostWindow
{
public:
    // apply(window, topmost): moves the window into or out of the topmost band.
    using Apply = std::function<void(WindowHandle window, bool topmost)>;

    explicit TopMostWindow(Apply apply) : m_apply(std::move(apply)) {}

    WindowHandle Handle() const { return m_window; }
    void SetHandle(WindowHandle window) { m_window = window; }

    bool AlwaysOnTop() const { return m_alwaysOnTop; }
    void SetAlwaysOnTop(bool value)
    {
        if (value == m_alwaysOnTop)
        {
            return;
        }
        m_alwaysOnTop = value;
        if (m_window != kNoWindow && m_apply)
        {
            m_apply(m_window, value);
        }
    }

    // The owner's window was made anew, or its frame changed: a wanted "on"
    // reaches the window at `window` whatever the last value was.
    void HandOver(WindowHandle window, bool value)
    {
        m_window = window;
        SetAlwaysOnTop(false);
        SetAlwaysOnTop(value);
    }

private:
    Apply m_apply;
    WindowHandle m_window = kNoWindow;
    bool m_alwaysOnTop = false;
};

} // namespace zim
