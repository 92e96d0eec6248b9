#pragma once

// Ownership of every kind of handle the program creates, and the conversion
// between the portable WindowHandle and HWND.
//
// Include this header instead of <windows.h> wherever platform.h is seen too, and
// before platform.h: it removes the windows.h macros that would rename the
// interface's members (GetClassName -> GetClassNameW) or break them outright
// (GetNextWindow takes two arguments as a macro).

#include "platform/types.h"
#include "platform/unique_handle.h"

#include <windows.h>

#undef CopyFile
#undef CreateDirectory
#undef ExpandEnvironmentStrings
#undef GetClassName
#undef GetCurrentDirectory
#undef GetNextWindow
#undef GetWindowText
#undef MoveFile
#undef RegisterWindowMessage

#include <utility>

namespace zim::win32
{

// Handles whose failure value is null, released by one function.
template <typename H, auto CloseFunction> struct NullHandleTraits
{
    using Handle = H;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

// CreateFile and FindFirstFile fail with INVALID_HANDLE_VALUE, not null.
template <auto CloseFunction> struct InvalidValueHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

using UniqueWindow = UniqueHandle<NullHandleTraits<HWND, &::DestroyWindow>>;
using UniqueGdiObject = UniqueHandle<NullHandleTraits<HGDIOBJ, &::DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullHandleTraits<HBITMAP, &::DeleteObject>>;
using UniqueBrush = UniqueHandle<NullHandleTraits<HBRUSH, &::DeleteObject>>;
using UniqueFont = UniqueHandle<NullHandleTraits<HFONT, &::DeleteObject>>;
using UniquePen = UniqueHandle<NullHandleTraits<HPEN, &::DeleteObject>>;
using UniqueRegion = UniqueHandle<NullHandleTraits<HRGN, &::DeleteObject>>;
using UniqueKey = UniqueHandle<NullHandleTraits<HKEY, &::RegCloseKey>>;
using UniqueHook = UniqueHandle<NullHandleTraits<HHOOK, &::UnhookWindowsHookEx>>;
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, &::CloseHandle>>;
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, &::DestroyIcon>>;
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, &::DestroyMenu>>;
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, &::FreeLibrary>>;
using UniqueFile = UniqueHandle<InvalidValueHandleTraits<&::CloseHandle>>;
using UniqueFind = UniqueHandle<InvalidValueHandleTraits<&::FindClose>>;
// Buffers the system allocates for the caller (FormatMessage).
using UniqueLocalMemory = UniqueHandle<NullHandleTraits<HLOCAL, &::LocalFree>>;

// A window's device context from GetDC, given back with ReleaseDC on the same window.
class WindowDc
{
public:
    WindowDc() noexcept = default;
    explicit WindowDc(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept
        : m_hwnd(std::exchange(other.m_hwnd, nullptr)), m_dc(std::exchange(other.m_dc, nullptr))
    {
    }
    WindowDc& operator=(WindowDc&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_hwnd = std::exchange(other.m_hwnd, nullptr);
            m_dc = std::exchange(other.m_dc, nullptr);
        }
        return *this;
    }
    ~WindowDc() { Reset(); }

    HDC Get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }
    void Reset() noexcept
    {
        if (m_dc)
        {
            ::ReleaseDC(m_hwnd, m_dc);
        }
        m_hwnd = nullptr;
        m_dc = nullptr;
    }

private:
    HWND m_hwnd = nullptr;
    HDC m_dc = nullptr;
};

// A memory device context (CreateCompatibleDC), deleted with DeleteDC.
class MemoryDc
{
public:
    MemoryDc() noexcept = default;
    explicit MemoryDc(HDC compatibleWith) noexcept : m_dc(::CreateCompatibleDC(compatibleWith)) {}

    HDC Get() const noexcept { return m_dc.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_dc); }

private:
    UniqueHandle<NullHandleTraits<HDC, &::DeleteDC>> m_dc;
};

// Selects a pen, brush, font or bitmap into a DC for one scope and puts the
// previous one back, so that the object can be deleted afterwards. Not for
// regions: SelectObject returns no object for them.
class SelectGuard
{
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_old && m_old != HGDI_ERROR)
        {
            ::SelectObject(m_dc, m_old);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

inline HWND ToHwnd(WindowHandle w)
{
    return reinterpret_cast<HWND>(w);
}
inline WindowHandle FromHwnd(HWND hwnd)
{
    return reinterpret_cast<WindowHandle>(hwnd);
}

inline RECT ToRECT(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}
inline Rect FromRECT(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace zim::win32
