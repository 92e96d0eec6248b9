// testwin.exe: windows to order for end-to-end tests and scripts, and a few probes of the desktop
// (listing top-level windows, waiting for windows to go, screenshots).

#include "app/grid_area_query.h"
#include "args.h"
#include "console.h"
#include "handles.h"
#include "platform/win32/utf.h"
#include "png.h"
#include "screenshot.h"
#include "test_window.h"
#include "window_info.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zim::testwin
{
namespace
{

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr DWORD kPollMs = 50;
constexpr long long kMaxMs = 0x7FFFFFFF;
constexpr int kMaxCount = 500;

constexpr char kUsage[] =
    "usage: testwin.exe   (no command: one window shown as the start asks, as a program from a folder entry)\n"
    "       testwin.exe open [--class NAME] [--title TEXT] [--rect X,Y,W,H] "
    "[--state visible|hidden|minimized|maximized] [--topmost] [--tool] [--count N] [--hang-on-start MS]\n"
    "                     [--stamps NAME [--stamp-base K]]   (moves and wakes stamped into shared memory)\n"
    "       testwin.exe list\n"
    "       testwin.exe close --class NAME [--title TEXT]\n"
    "       testwin.exe hang --hwnd 0xHANDLE --ms N\n"
    "       testwin.exe keepalive\n"
    "       testwin.exe input-tick --ms N   (the least an input tick costs: a 50 ms timer asking its questions)\n"
    "       testwin.exe wait-gone --class NAME --ms N\n"
    "       testwin.exe screenshot --out PATH.png\n"
    "       testwin.exe hold-hotkey --mods N --vk N\n"
    "       testwin.exe click-cell --column C --row R [--columns N] [--rows N]\n";

std::vector<std::wstring> CommandLineArguments()
{
    int count = 0;
    UniqueLocalMemory memory(reinterpret_cast<HLOCAL>(CommandLineToArgvW(GetCommandLineW(), &count)));
    const auto* argv = static_cast<wchar_t* const*>(memory.Get());
    if (argv == nullptr)
    {
        return {};
    }
    return std::vector<std::wstring>(argv, argv + count);
}

// Class names are compared exactly; an empty one cannot exist.
std::wstring ClassArgument(const Options& options)
{
    const std::wstring& name = options.Required(L"--class");
    if (name.empty())
    {
        throw UsageError("--class: must not be empty");
    }
    return name;
}

InitialState ParseState(const std::wstring& text)
{
    if (text == L"visible")
    {
        return InitialState::Visible;
    }
    if (text == L"hidden")
    {
        return InitialState::Hidden;
    }
    if (text == L"minimized")
    {
        return InitialState::Minimized;
    }
    if (text == L"maximized")
    {
        return InitialState::Maximized;
    }
    throw UsageError("--state: expected visible, hidden, minimized or maximized, not '" + win32::Narrow(text) + "'");
}

int Open(const std::vector<std::wstring>& args)
{
    const Options options(args, 2,
                          {{L"--class", true},
                           {L"--title", true},
                           {L"--rect", true},
                           {L"--state", true},
                           {L"--topmost", false},
                           {L"--tool", false},
                           {L"--count", true},
                           {L"--hang-on-start", true},
                           {L"--stamps", true},
                           {L"--stamp-base", true}});
    OpenRequest request;
    if (options.Has(L"--class"))
    {
        request.className = ClassArgument(options);
    }
    request.title = options.Get(L"--title", request.title);
    if (options.Has(L"--rect"))
    {
        const RectArgument rect = ParseRect(options.Required(L"--rect"), L"--rect");
        request.x = rect.x;
        request.y = rect.y;
        request.width = rect.width;
        request.height = rect.height;
    }
    if (options.Has(L"--state"))
    {
        request.state = ParseState(options.Required(L"--state"));
    }
    request.topmost = options.Has(L"--topmost");
    request.tool = options.Has(L"--tool");
    request.count = static_cast<int>(ParseInteger(options.Get(L"--count", L"1"), 1, kMaxCount, L"--count"));
    request.hangOnStartMs =
        static_cast<DWORD>(ParseInteger(options.Get(L"--hang-on-start", L"0"), 0, kMaxMs, L"--hang-on-start"));
    request.stampsName = options.Get(L"--stamps", L"");
    if (options.Has(L"--stamp-base") && request.stampsName.empty())
    {
        throw UsageError("--stamp-base: needs --stamps");
    }
    request.stampBase =
        static_cast<int>(ParseInteger(options.Get(L"--stamp-base", L"0"), 0, kMaxCount * 2, L"--stamp-base"));
    return RunWindows(request);
}

int List(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {});
    std::string lines;
    for (const HWND window : TopLevelWindows())
    {
        lines += DescribeWindow(window).value_or("");
    }
    WriteStdout(lines);
    return 0;
}

int Close(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--class", true}, {L"--title", true}});
    const std::wstring className = ClassArgument(options);
    std::optional<std::wstring> title;
    if (options.Has(L"--title"))
    {
        title = options.Required(L"--title");
    }
    const std::vector<HWND> windows = FindTopLevelWindows(className, title);
    for (const HWND window : windows)
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return windows.empty() ? kExitFailure : 0;
}

int Hang(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--hwnd", true}, {L"--ms", true}});
    const auto window =
        reinterpret_cast<HWND>(static_cast<std::uintptr_t>(ParseHandle(options.Required(L"--hwnd"), L"--hwnd")));
    const auto ms = static_cast<WPARAM>(ParseInteger(options.Required(L"--ms"), 0, kMaxMs, L"--ms"));
    if (!IsWindow(window) || !PostMessageW(window, kHangMessage, ms, 0))
    {
        WriteStderr("testwin: no such window\n");
        return kExitFailure;
    }
    return 0;
}

// A real left click, through the input queue, in the middle of a cell of the
// running program's monitor, laid out as columns x rows over the grid area its
// main window reports: what a user's click on the monitor does.
int ClickCell(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--column", true}, {L"--row", true}, {L"--columns", true}, {L"--rows", true}});
    const auto columns = static_cast<int>(ParseInteger(options.Get(L"--columns", L"3"), 1, 10, L"--columns"));
    const auto rows = static_cast<int>(ParseInteger(options.Get(L"--rows", L"3"), 1, 10, L"--rows"));
    const auto column = static_cast<int>(ParseInteger(options.Required(L"--column"), 0, columns - 1, L"--column"));
    const auto row = static_cast<int>(ParseInteger(options.Required(L"--row"), 0, rows - 1, L"--row"));
    const HWND monitor = FindWindowW(L"TZIMMonitor", nullptr);
    DWORD process = 0;
    GetWindowThreadProcessId(monitor, &process);
    HWND main = nullptr;
    for (const HWND window : FindTopLevelWindows(L"TZIM", std::nullopt))
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process)
        {
            main = window;
        }
    }
    DWORD_PTR packed = 0;
    if (!monitor || !main || !SendMessageTimeoutW(main, kGetGridAreaMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &packed))
    {
        WriteStderr("testwin: no running Zim Desk answered\n");
        return kExitFailure;
    }
    const Rect grid = UnpackGridArea(static_cast<std::intptr_t>(packed));
    const int cellW = grid.Width() / columns;
    const int cellH = grid.Height() / rows;
    POINT p{grid.left + column * cellW + cellW / 2, grid.top + row * cellH + cellH / 2};
    ClientToScreen(monitor, &p);
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
    return SendInput(3, inputs, sizeof(INPUT)) == 3 ? 0 : kExitFailure;
}

int KeepAlive(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {});
    OpenRequest request;
    request.className = L"ZimKeepAlive";
    request.title = L"Zim keep-alive";
    request.state = InitialState::Hidden;
    return RunWindows(request);
}

// The floor of the idle benchmark: what any program polling the input as the
// main window's 50 ms tick does costs: the pointer, the foreground window and
// its rectangle, once a tick, and nothing else (the left button is read only on
// an edge; the screen's size is read once, as a program that hears of a change
// of display from WM_DISPLAYCHANGE does).
int InputTick(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--ms", true}});
    const auto limit = static_cast<ULONGLONG>(ParseInteger(options.Required(L"--ms"), 0, kMaxMs, L"--ms"));
    const ULONGLONG deadline = GetTickCount64() + limit;
    GetSystemMetrics(SM_CXSCREEN);
    GetSystemMetrics(SM_CYSCREEN);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    if (!timer)
    {
        return kExitFailure;
    }
    MSG message;
    while (GetTickCount64() < deadline && GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (message.message == WM_TIMER)
        {
            POINT cursor;
            RECT rect;
            GetCursorPos(&cursor);
            GetWindowRect(GetForegroundWindow(), &rect);
        }
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    return 0;
}

int WaitGone(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--class", true}, {L"--ms", true}});
    const std::wstring className = ClassArgument(options);
    const auto limit = static_cast<ULONGLONG>(ParseInteger(options.Required(L"--ms"), 0, kMaxMs, L"--ms"));
    const ULONGLONG deadline = GetTickCount64() + limit;
    for (;;)
    {
        if (FindTopLevelWindows(className, std::nullopt).empty())
        {
            return 0;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
        {
            return kExitFailure;
        }
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now)));
    }
}

int TakeScreenshot(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--out", true}});
    const std::wstring& path = options.Required(L"--out");
    if (path.empty())
    {
        throw UsageError("--out: must not be empty");
    }
    const std::optional<Screenshot> shot = CaptureVirtualScreen();
    if (!shot)
    {
        WriteStderr("testwin: cannot capture the screen\n");
        return kExitFailure;
    }
    if (!WritePng(path, shot->width, shot->height, shot->rgb))
    {
        WriteStderr("testwin: cannot write '" + win32::Narrow(path) + "'\n");
        return kExitFailure;
    }
    return 0;
}

// Registers a system hot key, as another program holding the combination would,
// says "held" or "refused" on standard output, and keeps it until it is ended.
int HoldHotKey(const std::vector<std::wstring>& args)
{
    const Options options(args, 2, {{L"--mods", true}, {L"--vk", true}});
    const auto modifiers = static_cast<UINT>(ParseInteger(options.Required(L"--mods"), 0, 15, L"--mods"));
    const auto key = static_cast<UINT>(ParseInteger(options.Required(L"--vk"), 1, 255, L"--vk"));
    if (!RegisterHotKey(nullptr, 1, modifiers, key))
    {
        WriteStdout("refused\n");
        return kExitFailure;
    }
    WriteStdout("held\n");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
    }
    return 0;
}

// Without arguments: a plain program's window, shown with the command the
// process was started with, as a program opened from a folder entry.
int OpenAsStarted(int showCommand)
{
    OpenRequest request;
    request.className = L"ZimStartedWindow";
    request.title = L"Zim started window";
    request.startShowCommand = showCommand;
    return RunWindows(request);
}

int Run(const std::vector<std::wstring>& args, int showCommand)
{
    if (args.size() < 2)
    {
        return OpenAsStarted(showCommand);
    }
    const std::wstring& command = args[1];
    if (command == L"open")
    {
        return Open(args);
    }
    if (command == L"list")
    {
        return List(args);
    }
    if (command == L"close")
    {
        return Close(args);
    }
    if (command == L"hang")
    {
        return Hang(args);
    }
    if (command == L"keepalive")
    {
        return KeepAlive(args);
    }
    if (command == L"input-tick")
    {
        return InputTick(args);
    }
    if (command == L"wait-gone")
    {
        return WaitGone(args);
    }
    if (command == L"screenshot")
    {
        return TakeScreenshot(args);
    }
    if (command == L"click-cell")
    {
        return ClickCell(args);
    }
    if (command == L"hold-hotkey")
    {
        return HoldHotKey(args);
    }
    throw UsageError("unknown command '" + win32::Narrow(command) + "'");
}

} // namespace
} // namespace zim::testwin

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    using namespace zim::testwin;
    try
    {
        return Run(CommandLineArguments(), showCommand);
    }
    catch (const UsageError& error)
    {
        WriteStderr(std::string("testwin: ") + error.what() + "\n" + kUsage);
        return kExitUsage;
    }
}
