// zimstart.exe N program [args]: starts a program on desktop N of a running Zim
// Desk, from a shortcut or the startup folder.
//
// The start is announced to the main window first, which then holds the view
// still; once the program is idle and has had a moment to open its first
// window, its process id goes to the main window, which moves that process's
// windows to desktop N. Without a running Zim Desk the program just starts.

#include "cbt/cbt_api.h"
#include "platform/win32/handles.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitCannotStart = 1;
constexpr int kExitUsage = 2;

constexpr wchar_t kUsage[] = L"usage: zimstart.exe N program [arguments...]\n"
                             L"  starts program on desktop N (1-based, row by row) of the running Zim Desk\n";

// The main window may be busy with a switch; it answers both messages at once otherwise.
constexpr UINT kMessageTimeoutMs = 2000;
// Both limits together stay well below the time after which the program gives up
// on an announced start.
constexpr DWORD kInputIdleLimitMs = 5000;
constexpr DWORD kFirstWindowLimitMs = 2000;
constexpr DWORD kPollMs = 50;

// To stderr when there is one (a console, a pipe), else in a message box: started
// from a shortcut, there is nowhere else to say it.
void Report(const std::wstring& text)
{
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
    {
        MessageBoxW(nullptr, text.c_str(), L"zimstart", MB_OK | MB_ICONERROR);
        return;
    }
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::vector<std::wstring> CommandLineArguments()
{
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr)
    {
        return {};
    }
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}

// A desktop number: decimal digits only, 1 to the largest grid.
bool ParseDesktopNumber(const std::wstring& text, int& number)
{
    if (text.empty() || text.size() > 3)
    {
        return false;
    }
    number = 0;
    for (const wchar_t c : text)
    {
        if (c < L'0' || c > L'9')
        {
            return false;
        }
        number = number * 10 + (c - L'0');
    }
    return number >= 1 && number <= ZIM_CBT_MAX_DESKTOPS;
}

// Quoted so that the program's own parser gives back exactly this argument.
void AppendQuoted(std::wstring& commandLine, const std::wstring& arg)
{
    if (!commandLine.empty())
    {
        commandLine += L' ';
    }
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    {
        commandLine += arg;
        return;
    }
    commandLine += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : arg)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        // Backslashes count double before a quote, which itself is escaped.
        commandLine.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        commandLine += c;
    }
    commandLine.append(backslashes * 2, L'\\'); // before the closing quote
    commandLine += L'"';
}

UINT Registered(const wchar_t* name)
{
    return RegisterWindowMessageW(name);
}

void Announce(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND mainWindow = FindWindowW(ZIM_CBT_WIDE(ZIM_CBT_MAIN_WINDOW_CLASS), nullptr);
    if (mainWindow != nullptr && message != 0)
    {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(mainWindow, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &ignored);
    }
}

struct WindowSearch
{
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->processId && IsWindowVisible(window))
    {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Until the process shows a top-level window, ends, or the limit passes.
void WaitForFirstWindow(HANDLE process, DWORD processId)
{
    const ULONGLONG deadline = GetTickCount64() + kFirstWindowLimitMs;
    for (;;)
    {
        WindowSearch search{processId, false};
        EnumWindows(&FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline || WaitForSingleObject(process, kPollMs) != WAIT_TIMEOUT)
        {
            return;
        }
    }
}

std::wstring SystemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"error " + std::to_wstring(error) + L"\n";
    LocalFree(buffer);
    return text;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::vector<std::wstring> args = CommandLineArguments();
    int desktop = 0;
    if (args.size() < 3 || !ParseDesktopNumber(args[1], desktop) || args[2].empty())
    {
        Report(kUsage);
        return kExitUsage;
    }
    std::wstring commandLine;
    for (size_t i = 2; i < args.size(); ++i)
    {
        AppendQuoted(commandLine, args[i]);
    }

    const UINT starting = Registered(ZIM_CBT_WIDE(ZIM_CBT_APPSTARTING_NAME));
    const UINT started = Registered(ZIM_CBT_WIDE(ZIM_CBT_APPSTARTED_NAME));
    Announce(starting, 0, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    {
        const DWORD error = GetLastError();
        // Process id 0 owns no window: the main window only counts the start as over.
        Announce(started, static_cast<WPARAM>(desktop), 0);
        Report(L"zimstart: cannot start " + args[2] + L": " + SystemMessage(error));
        return kExitCannotStart;
    }
    const zim::win32::UniqueKernelHandle thread(info.hThread);
    const zim::win32::UniqueKernelHandle process(info.hProcess);
    // Fails at once for a program without a message loop (a console program); the
    // first-window wait then covers it.
    WaitForInputIdle(process.Get(), kInputIdleLimitMs);
    WaitForFirstWindow(process.Get(), info.dwProcessId);
    Announce(started, static_cast<WPARAM>(desktop), static_cast<LPARAM>(info.dwProcessId));
    return kExitOk;
}
