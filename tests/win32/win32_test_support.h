#pragma once

// Real windows and a bounded message pump for the Win32-layer tests.

#include "platform/win32/handles.h"

#include <functional>

namespace zim::win32::test
{

inline constexpr wchar_t kTestClass[] = L"ZimDeskWin32Test";

inline void RegisterTestClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTestClass;
    ::RegisterClassExW(&wc); // fails harmlessly when already registered
}

// A top-level window of the calling thread, shown without activation.
inline UniqueWindow CreateTestWindow(const wchar_t* title, int x, int y, int width, int height,
                                     DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0,
                                     const wchar_t* className = kTestClass)
{
    RegisterTestClass();
    UniqueWindow window(::CreateWindowExW(exStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    if (window)
    {
        ::ShowWindow(window.Get(), SW_SHOWNA);
    }
    return window;
}

// Dispatches this thread's messages until `done` holds or `timeoutMs` passes;
// returns whether `done` held.
inline bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;)
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done())
        {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
        {
            return false;
        }
        const DWORD wait = static_cast<DWORD>(deadline - now < 20 ? deadline - now : 20);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

inline void PumpFor(unsigned ms)
{
    PumpUntil([] { return false; }, ms);
}

} // namespace zim::win32::test
