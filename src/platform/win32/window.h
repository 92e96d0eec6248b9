#pragma once

// Base class for the program's own windows: the static window procedure attaches
// the C++ object on WM_NCCREATE, detaches it on WM_NCDESTROY and forwards every
// message in between to HandleMessage.

#include "platform/win32/handles.h"

#include <string>

namespace zim::win32
{

class Window
{
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return m_hwnd; }

protected:
    // Registers the class on first use (the class name is what other programs and
    // the engine match) and creates the window.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                int height, HWND parent = nullptr, HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called from WM_NCDESTROY after the handle is detached.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};

} // namespace zim::win32
