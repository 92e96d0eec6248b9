#pragma once

#include "platform/platform.h"

#include <memory>

namespace zim::win32
{

class ProbePool;

// The window-system interface on user32: other processes' top-level windows,
// the pointer, the keys and the screen.
class Win32WindowSystem final : public WindowSystem
{
public:
    void EnumWindows(FunctionRef<bool(WindowHandle)> callback) override;
    WindowHandle GetTopWindow() override;
    WindowHandle GetNextWindow(WindowHandle w) override;
    WindowHandle GetPrevWindow(WindowHandle w) override;
    WindowHandle GetLastWindow(WindowHandle w) override;
    WindowHandle GetDesktopWindow() override;

    bool IsWindow(WindowHandle w) override;
    bool IsWindowVisible(WindowHandle w) override;
    bool IsIconic(WindowHandle w) override;
    bool IsZoomed(WindowHandle w) override;
    std::optional<Rect> GetWindowRect(WindowHandle w) override;
    std::string GetClassName(WindowHandle w) override;
    std::string GetWindowText(WindowHandle w) override;
    std::uint32_t GetWindowProcessId(WindowHandle w) override;
    std::optional<WindowState> GetWindowState(WindowHandle w) override;

    bool MoveWindow(WindowHandle w, Point topLeft) override;
    bool MoveWindowAsync(WindowHandle w, Point topLeft) override;
    void ShowWindow(WindowHandle w, ShowCommand command) override;
    void ShowWindowAsync(WindowHandle w, ShowCommand command) override;
    void BringWindowToTop(WindowHandle w) override;
    void BringWindowToTopAsync(WindowHandle w) override;
    bool SetForegroundWindow(WindowHandle w) override;
    WindowHandle GetForegroundWindow() override;
    void SetActiveWindow(WindowHandle w) override;

    bool ProbeWindow(WindowHandle w, unsigned timeoutMs) override;
    std::vector<bool> ProbeWindows(const std::vector<WindowHandle>& windows, unsigned timeoutMs) override;
    std::optional<std::intptr_t> HitTest(WindowHandle w, Point screen, unsigned timeoutMs) override;

    Point GetCursorPos() override;
    void SetCursorPos(Point p) override;
    std::int16_t GetKeyState(int virtualKey) override;
    std::int16_t GetAsyncKeyState(int virtualKey) override;

    Size GetScreenSize() override;
    Rect GetWorkArea() override;
    int GetCaptionFrameHeight() override;
    int GetResizeFrameWidth() override;

    std::uint32_t RegisterWindowMessage(const std::string& name) override;

    Win32WindowSystem();
    ~Win32WindowSystem() override;

private:
    // Started at the first batch of probes.
    std::unique_ptr<ProbePool> m_probePool;
};

} // namespace zim::win32
