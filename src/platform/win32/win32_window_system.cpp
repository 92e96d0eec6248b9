#include "platform/win32/win32_window_system.h"

#include "platform/win32/handles.h"
#include "platform/win32/probe_pool.h"
#include "platform/win32/utf.h"

namespace zim::win32
{

Win32WindowSystem::Win32WindowSystem() = default;
Win32WindowSystem::~Win32WindowSystem() = default;

static BOOL CALLBACK EnumWindowsThunk(HWND hwnd, LPARAM context)
{
    const auto& callback = *reinterpret_cast<FunctionRef<bool(WindowHandle)>*>(context);
    return callback(FromHwnd(hwnd)) ? TRUE : FALSE;
}

void Win32WindowSystem::EnumWindows(FunctionRef<bool(WindowHandle)> callback)
{
    ::EnumWindows(&EnumWindowsThunk, reinterpret_cast<LPARAM>(&callback));
}

WindowHandle Win32WindowSystem::GetTopWindow()
{
    return FromHwnd(::GetTopWindow(nullptr));
}

WindowHandle Win32WindowSystem::GetNextWindow(WindowHandle w)
{
    return FromHwnd(::GetWindow(ToHwnd(w), GW_HWNDNEXT));
}

WindowHandle Win32WindowSystem::GetPrevWindow(WindowHandle w)
{
    return FromHwnd(::GetWindow(ToHwnd(w), GW_HWNDPREV));
}

WindowHandle Win32WindowSystem::GetLastWindow(WindowHandle w)
{
    return FromHwnd(::GetWindow(ToHwnd(w), GW_HWNDLAST));
}

WindowHandle Win32WindowSystem::GetDesktopWindow()
{
    return FromHwnd(::GetDesktopWindow());
}

bool Win32WindowSystem::IsWindow(WindowHandle w)
{
    return ::IsWindow(ToHwnd(w)) != FALSE;
}

std::optional<WindowState> Win32WindowSystem::GetWindowState(WindowHandle w)
{
    // Two cheap questions: under Wine GetWindowInfo costs several times as much.
    RECT r{};
    if (!::GetWindowRect(ToHwnd(w), &r))
    {
        return std::nullopt;
    }
    // For a top-level window its own style is the whole answer of IsWindowVisible and IsIconic.
    const LONG_PTR style = ::GetWindowLongPtrW(ToHwnd(w), GWL_STYLE);
    return WindowState{FromRECT(r), (style & WS_VISIBLE) != 0, (style & WS_MINIMIZE) != 0};
}

bool Win32WindowSystem::IsWindowVisible(WindowHandle w)
{
    return ::IsWindowVisible(ToHwnd(w)) != FALSE;
}

bool Win32WindowSystem::IsIconic(WindowHandle w)
{
    return ::IsIconic(ToHwnd(w)) != FALSE;
}

bool Win32WindowSystem::IsZoomed(WindowHandle w)
{
    return ::IsZoomed(ToHwnd(w)) != FALSE;
}

std::optional<Rect> Win32WindowSystem::GetWindowRect(WindowHandle w)
{
    RECT r{};
    if (!::GetWindowRect(ToHwnd(w), &r))
    {
        return std::nullopt;
    }
    return FromRECT(r);
}

std::string Win32WindowSystem::GetClassName(WindowHandle w)
{
    wchar_t name[256];
    const int length = ::GetClassNameW(ToHwnd(w), name, 256);
    return Narrow(std::wstring_view(name, length > 0 ? static_cast<std::size_t>(length) : 0));
}

std::string Win32WindowSystem::GetWindowText(WindowHandle w)
{
    // GetWindowTextW reads another process's title without sending it a message,
    // so a hung application cannot block the caller.
    const HWND hwnd = ToHwnd(w);
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0)
    {
        return {};
    }
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, title.data(), length + 1);
    title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return Narrow(title);
}

std::uint32_t Win32WindowSystem::GetWindowProcessId(WindowHandle w)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(ToHwnd(w), &processId);
    return processId;
}

bool Win32WindowSystem::MoveWindow(WindowHandle w, Point topLeft)
{
    return ::SetWindowPos(ToHwnd(w), nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) !=
           FALSE;
}

bool Win32WindowSystem::MoveWindowAsync(WindowHandle w, Point topLeft)
{
    return ::SetWindowPos(ToHwnd(w), nullptr, topLeft.x, topLeft.y, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS) != FALSE;
}

static int ShowCode(ShowCommand command)
{
    int show = SW_SHOW;
    switch (command)
    {
    case ShowCommand::Hide:
        show = SW_HIDE;
        break;
    case ShowCommand::Show:
        show = SW_SHOW;
        break;
    case ShowCommand::ShowNoActivate:
        show = SW_SHOWNA;
        break;
    case ShowCommand::Minimize:
        show = SW_MINIMIZE;
        break;
    case ShowCommand::Restore:
        show = SW_RESTORE;
        break;
    }
    return show;
}

void Win32WindowSystem::ShowWindow(WindowHandle w, ShowCommand command)
{
    ::ShowWindow(ToHwnd(w), ShowCode(command));
}

void Win32WindowSystem::ShowWindowAsync(WindowHandle w, ShowCommand command)
{
    ::ShowWindowAsync(ToHwnd(w), ShowCode(command));
}

void Win32WindowSystem::BringWindowToTop(WindowHandle w)
{
    ::BringWindowToTop(ToHwnd(w));
}

void Win32WindowSystem::BringWindowToTopAsync(WindowHandle w)
{
    ::SetWindowPos(ToHwnd(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

bool Win32WindowSystem::SetForegroundWindow(WindowHandle w)
{
    return ::SetForegroundWindow(ToHwnd(w)) != FALSE;
}

WindowHandle Win32WindowSystem::GetForegroundWindow()
{
    return FromHwnd(::GetForegroundWindow());
}

void Win32WindowSystem::SetActiveWindow(WindowHandle w)
{
    ::SetActiveWindow(ToHwnd(w));
}

bool Win32WindowSystem::ProbeWindow(WindowHandle w, unsigned timeoutMs)
{
    DWORD_PTR result = 1;
    const LRESULT answered = ::SendMessageTimeoutW(ToHwnd(w), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result);
    return answered != 0 && result == 0;
}

std::vector<bool> Win32WindowSystem::ProbeWindows(const std::vector<WindowHandle>& windows, unsigned timeoutMs)
{
    if (!m_probePool)
    {
        m_probePool = std::make_unique<ProbePool>();
    }
    std::vector<HWND> handles;
    handles.reserve(windows.size());
    for (const WindowHandle w : windows)
    {
        handles.push_back(ToHwnd(w));
    }
    return m_probePool->Probe(handles, timeoutMs);
}

std::optional<std::intptr_t> Win32WindowSystem::HitTest(WindowHandle w, Point screen, unsigned timeoutMs)
{
    DWORD_PTR result = 0;
    const LPARAM at = MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
    if (!::SendMessageTimeoutW(ToHwnd(w), WM_NCHITTEST, 0, at, SMTO_ABORTIFHUNG, timeoutMs, &result))
    {
        return std::nullopt;
    }
    return static_cast<std::intptr_t>(result);
}

Point Win32WindowSystem::GetCursorPos()
{
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

void Win32WindowSystem::SetCursorPos(Point p)
{
    ::SetCursorPos(p.x, p.y);
}

std::int16_t Win32WindowSystem::GetKeyState(int virtualKey)
{
    return ::GetKeyState(virtualKey);
}

std::int16_t Win32WindowSystem::GetAsyncKeyState(int virtualKey)
{
    return ::GetAsyncKeyState(virtualKey);
}

Size Win32WindowSystem::GetScreenSize()
{
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

Rect Win32WindowSystem::GetWorkArea()
{
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0))
    {
        const Size screen = GetScreenSize();
        return {0, 0, screen.width, screen.height};
    }
    return FromRECT(r);
}

int Win32WindowSystem::GetCaptionFrameHeight()
{
    // The frame of a fixed dialog with a caption and a system menu.
    RECT r{};
    ::AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    return r.bottom - r.top;
}

int Win32WindowSystem::GetResizeFrameWidth()
{
    return ::GetSystemMetrics(SM_CXSIZEFRAME) + ::GetSystemMetrics(SM_CXPADDEDBORDER);
}

std::uint32_t Win32WindowSystem::RegisterWindowMessage(const std::string& name)
{
    return ::RegisterWindowMessageW(Widen(name).c_str());
}

} // namespace zim::win32
