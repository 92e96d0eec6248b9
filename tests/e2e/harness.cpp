#include "harness.h"

#include "app/grid_area_query.h"
#include "testwin/png.h"

#include <algorithm>
#include <cwchar>
#include <thread>

namespace zim::e2e
{

std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam)
{
    auto* out = reinterpret_cast<std::vector<WindowInfo>*>(lParam);
    WindowInfo info;
    info.hwnd = hwnd;
    wchar_t buffer[512];
    info.className.assign(buffer, static_cast<std::size_t>(GetClassNameW(hwnd, buffer, 512)));
    info.title.assign(buffer, static_cast<std::size_t>(GetWindowTextW(hwnd, buffer, 512)));
    GetWindowRect(hwnd, &info.rect);
    info.visible = IsWindowVisible(hwnd) != FALSE;
    info.style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    info.owner = GetWindow(hwnd, GW_OWNER);
    GetWindowThreadProcessId(hwnd, &info.processId);
    out->push_back(std::move(info));
    return TRUE;
}

std::vector<WindowInfo> TopLevelWindows()
{
    std::vector<WindowInfo> out;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::vector<WindowInfo> TopLevelWindowsOf(DWORD processId)
{
    std::vector<WindowInfo> out;
    for (WindowInfo& info : TopLevelWindows())
    {
        if (info.processId == processId)
        {
            out.push_back(std::move(info));
        }
    }
    return out;
}

std::optional<WindowInfo> FindWindowOf(DWORD processId, const std::wstring& className)
{
    for (WindowInfo& info : TopLevelWindowsOf(processId))
    {
        if (info.className == className)
        {
            return info;
        }
    }
    return std::nullopt;
}

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

HWND OpenTestWindow(ChildProcess& process, const std::wstring& arguments, const std::wstring& className)
{
    if (!process.Start(BinDir() + L"\\testwin.exe", L"open " + arguments, true))
    {
        return nullptr;
    }
    HWND found = nullptr;
    WaitUntil(
        [&]
        {
            const auto w = FindWindowOf(process.Id(), className);
            found = (w && w->visible) ? w->hwnd : nullptr;
            return found != nullptr;
        },
        std::chrono::seconds(15));
    return found;
}

RECT MonitorGridArea(HWND monitor)
{
    DWORD process = 0;
    GetWindowThreadProcessId(monitor, &process);
    const auto main = FindWindowOf(process, L"TZIM");
    DWORD_PTR packed = 0;
    if (!main || !SendMessageTimeoutW(main->hwnd, kGetGridAreaMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &packed))
    {
        return {};
    }
    const Rect area = UnpackGridArea(static_cast<std::intptr_t>(packed));
    return {area.left, area.top, area.right, area.bottom};
}

void ClickMonitorCell(HWND monitor, int column, int row, int columns, int rows)
{
    const RECT grid = MonitorGridArea(monitor);
    const int cellW = (grid.right - grid.left) / columns;
    const int cellH = (grid.bottom - grid.top) / rows;
    const LPARAM at = MAKELPARAM(grid.left + column * cellW + cellW / 2, grid.top + row * cellH + cellH / 2);
    PostMessageW(monitor, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(monitor, WM_LBUTTONUP, 0, at);
}

std::vector<SettingValue> NaturalSkinSettings()
{
    const std::wstring folder = BinDir() + L"\\natural-skin";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\natural.zim";
    WritePrivateProfileStringW(L"Skin type", L"Natural", L"1", file.c_str());
    return {{L"ZIMMonitor", L"SkinDir", folder}, {L"ZIMMonitor", L"Skin", L"natural.zim"}};
}

bool WouldHaveTaskbarButton(const WindowInfo& window)
{
    if (window.exStyle & WS_EX_APPWINDOW)
    {
        return true;
    }
    return window.owner == nullptr && !(window.exStyle & WS_EX_TOOLWINDOW);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        if (condition())
        {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

ChildProcess::~ChildProcess()
{
    Terminate();
    if (m_outputRead)
    {
        CloseHandle(m_outputRead);
    }
}

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments, bool captureOutput)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE outputWrite = nullptr;
    if (captureOutput)
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        if (!CreatePipe(&m_outputRead, &outputWrite, &inherit, 0))
        {
            return false;
        }
        SetHandleInformation(m_outputRead, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outputWrite;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    const BOOL ok = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, captureOutput, 0, nullptr,
                                   BinDir().c_str(), &startup, &m_info);
    if (outputWrite)
    {
        CloseHandle(outputWrite);
    }
    if (ok)
    {
        CloseHandle(m_info.hThread);
        m_info.hThread = nullptr;
    }
    return ok != FALSE;
}

std::optional<DWORD> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

bool ChildProcess::Running()
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        const std::size_t newline = m_buffer.find('\n');
        if (newline != std::string::npos)
        {
            std::string line = m_buffer.substr(0, newline);
            m_buffer.erase(0, newline + 1);
            if (!line.empty() && line.back() == '\r')
            {
                line.pop_back();
            }
            return line;
        }
        DWORD available = 0;
        if (!m_outputRead || !PeekNamedPipe(m_outputRead, nullptr, 0, nullptr, &available, nullptr))
        {
            return std::nullopt; // closed
        }
        if (available)
        {
            char chunk[4096];
            DWORD read = 0;
            if (ReadFile(m_outputRead, chunk, std::min<DWORD>(available, sizeof(chunk)), &read, nullptr) && read)
            {
                m_buffer.append(chunk, read);
                continue;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
        {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::Terminate()
{
    if (m_info.hProcess)
    {
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(m_info.hProcess, 99);
            WaitForSingleObject(m_info.hProcess, 5000);
        }
        CloseHandle(m_info.hProcess);
        m_info.hProcess = nullptr;
    }
}

bool StartZimDesk(ChildProcess& app, const std::vector<SettingValue>& settings)
{
    const std::wstring root = L"Software\\zimdesk.ini";
    RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
    for (const SettingValue& s : settings)
    {
        const std::wstring key = root + L"\\" + s.section;
        if (s.asDword)
        {
            const DWORD number = std::wcstoul(s.value.c_str(), nullptr, 0);
            RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), s.name.c_str(), REG_DWORD, &number, sizeof(number));
            continue;
        }
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), s.name.c_str(), REG_SZ, s.value.c_str(),
                        static_cast<DWORD>((s.value.size() + 1) * sizeof(wchar_t)));
    }
    return app.Start(BinDir() + L"\\zimdesk.exe", L"");
}

std::wstring ReadSetting(const std::wstring& section, const std::wstring& name)
{
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    const std::wstring key = L"Software\\zimdesk.ini\\" + section;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
    {
        return L"<missing>";
    }
    return buffer;
}

HWND WaitForMonitor(ChildProcess& app)
{
    HWND monitor = nullptr;
    WaitUntil(
        [&]
        {
            const auto m = FindWindowOf(app.Id(), L"TZIMMonitor");
            monitor = (m && m->visible) ? m->hwnd : nullptr;
            return monitor != nullptr;
        },
        std::chrono::seconds(15));
    return monitor;
}

std::vector<HWND> HelperWindows(const ChildProcess& helpers)
{
    std::vector<HWND> out;
    for (const WindowInfo& w : TopLevelWindowsOf(helpers.Id()))
    {
        if (w.className == L"ZimTestWindow" && w.visible)
        {
            out.push_back(w.hwnd);
        }
    }
    return out;
}

void CloseProgram(ChildProcess& app, HWND monitor)
{
    if (app.Running())
    {
        PostMessageW(monitor, WM_CLOSE, 0, 0);
        app.Wait(std::chrono::seconds(15));
    }
}

std::wstring SaveScreenshot(const std::wstring& name)
{
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ZIM_ARTIFACTS", folder, MAX_PATH);
    std::wstring dir = (length > 0 && length < MAX_PATH) ? std::wstring(folder, length) : BinDir() + L"\\..\\artifacts";
    CreateDirectoryW(dir.c_str(), nullptr);

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::wstring path;
    if (bitmap && bits)
    {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        const auto* bgra = static_cast<const std::uint8_t*>(bits);
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i)
        {
            rgb[i * 3 + 0] = bgra[i * 4 + 2];
            rgb[i * 3 + 1] = bgra[i * 4 + 1];
            rgb[i * 3 + 2] = bgra[i * 4 + 0];
        }
        path = dir + L"\\" + name + L".png";
        if (!testwin::WritePng(path, width, height, rgb))
        {
            path.clear();
        }
    }
    if (bitmap)
    {
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return path;
}

void ClickAt(POINT p)
{
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_MOUSE;
        input.mi.dx = (p.x * 65536 + w / 2) / w;
        input.mi.dy = (p.y * 65536 + h / 2) / h;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
}

void PressKey(WORD key, std::initializer_list<WORD> modifiers)
{
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up)
    {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        const bool extended = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR ||
                              vk == VK_NEXT || vk == VK_HOME || vk == VK_END || vk == VK_INSERT || vk == VK_DELETE;
        input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    for (const WORD modifier : modifiers)
    {
        add(modifier, false);
    }
    add(key, false);
    add(key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
    {
        add(*it, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::optional<std::pair<HWND, std::wstring>> MessageBoxOf(DWORD processId)
{
    for (const WindowInfo& w : TopLevelWindowsOf(processId))
    {
        if (w.className == L"#32770" && w.visible)
        {
            wchar_t text[512] = {};
            DWORD_PTR copied = 0;
            // The message text is the box's static control 0xFFFF.
            SendMessageTimeoutW(GetDlgItem(w.hwnd, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 2000, &copied);
            return std::make_pair(w.hwnd, std::wstring(text));
        }
    }
    return std::nullopt;
}

HWND DialogControl(HWND dialog, int id)
{
    struct Search
    {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) -> BOOL
        {
            auto& s = *reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) == s.id)
            {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace zim::e2e
