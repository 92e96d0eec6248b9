#pragma once

#include "platform/hot_keys.h"

#include <windows.h>

namespace zim::win32
{

// RegisterHotKey and UnregisterHotKey on the window that is to receive WM_HOTKEY.
class Win32HotKeys final : public HotKeyService
{
public:
    // Until a window is set every registration is refused.
    void SetWindow(HWND window) { m_window = window; }
    HWND Window() const { return m_window; }

    bool Register(int id, unsigned modifiers, unsigned virtualKey) override;
    void Unregister(int id) override;

private:
    HWND m_window = nullptr;
};

} // namespace zim::win32
