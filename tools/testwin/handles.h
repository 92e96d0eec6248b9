#pragma once

// Move-only owners for the handles this program creates.

#include <windows.h>

#include <utility>

namespace zim::testwin
{

template <typename Traits> class UniqueHandle
{
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Handle{}; }

    // Gives up ownership without releasing.
    Handle Release() noexcept { return std::exchange(m_handle, Handle{}); }
    void Reset(Handle handle = Handle{}) noexcept
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old != Handle{})
        {
            Traits::Close(old);
        }
    }

private:
    Handle m_handle{};
};

struct GdiObjectTraits
{
    using Handle = HGDIOBJ;
    static void Close(Handle handle) noexcept { DeleteObject(handle); }
};

struct MemoryDcTraits
{
    using Handle = HDC;
    static void Close(Handle handle) noexcept { DeleteDC(handle); }
};

struct WindowTraits
{
    using Handle = HWND;
    static void Close(Handle handle) noexcept { DestroyWindow(handle); }
};

struct LocalMemoryTraits
{
    using Handle = HLOCAL;
    static void Close(Handle handle) noexcept { LocalFree(handle); }
};

using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

// A DC from GetDC, which must go back to the window it came from.
class WindowDc
{
public:
    explicit WindowDc(HWND window) noexcept : m_window(window), m_dc(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (m_dc != nullptr)
        {
            ReleaseDC(m_window, m_dc);
        }
    }

    HDC Get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint/EndPaint as a scope.
class PaintScope
{
public:
    explicit PaintScope(HWND window) noexcept : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(m_window, &m_paint); }

    HDC Get() const noexcept { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// Puts the previous object back into the DC, so the selected one can be deleted.
class SelectGuard
{
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
        {
            SelectObject(m_dc, m_previous);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

} // namespace zim::testwin
