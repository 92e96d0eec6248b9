#pragma once

// The program's own handle owners, plus the two kinds only this helper needs.

#include "platform/win32/handles.h"

namespace zim::testwin
{

using win32::SelectGuard;
using win32::UniqueGdiObject;
using win32::UniqueWindow;
using win32::WindowDc;
using UniqueMemoryDc = UniqueHandle<win32::NullHandleTraits<HDC, &::DeleteDC>>;
using UniqueLocalMemory = UniqueHandle<win32::NullHandleTraits<HLOCAL, &::LocalFree>>;

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

} // namespace zim::testwin
