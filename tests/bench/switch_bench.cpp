// switch_bench: what a desktop switch costs, against what moving the same
// windows costs at the least, in one run on one machine. The test windows live
// in other processes (testwin.exe) and stamp every move they receive with
// QueryPerformanceCounter into shared memory (testwin/move_stamps.h); a switch
// lasts from its trigger to the last window's stamp. Rows, for each count of
// windows:
//   floor         this process moves every window with one SetWindowPos, in one loop
//   probe loop    the program's switch as first built, in this process: per
//                 window the checks, a 100 ms WM_NULL probe, GetWindowRect and
//                 SetWindowPos; a window that does not answer goes to a mover
//                 thread of its own
//   Zim Desk      the real zimdesk.exe, switched by a real click on a monitor cell
//   async         (a reference) SetWindowPos with SWP_ASYNCWINDOWPOS, one loop
// and the same with some windows hung (their thread asleep, on top of the
// z-order): the time until the last answering window moved, and when the hung
// ones moved after they woke. Each switch goes from desktop (0, 0) to (1, 0) or
// back, with every second window on each of the two. Exits 1 when the program
// does not start or a row fails (after the table). Started by
// scripts/switch-bench.sh, never by the tests.
//   switch_bench.exe [--counts 10,50,200] [--switches 10] [--hung 5] [--hang-ms 2000]
//                    [--rows floor,probe,async,program]

#include "harness.h"
#include "testwin/move_stamps.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace
{

using zim::e2e::BinDir;
using zim::e2e::ChildProcess;
using zim::testwin::MoveStampSlot;
using zim::testwin::MoveStampTable;
using zim::testwin::PerformanceCounterNow;

constexpr UINT kHangMessage = WM_APP + 1; // testwin's window thread sleeps for wParam ms
constexpr const wchar_t* kWindowClass = L"ZimBenchWindow";
constexpr int kExitFailure = 1;

struct Settings
{
    std::vector<int> counts{10, 50, 200};
    int switches = 10;
    int hung = 5;
    int hangMs = 2000;
    int hungAmong = 50;
    std::string rows = "floor,probe,async,program"; // which rows to run

    bool Wants(const char* row) const
    {
        return ("," + rows + ",").find("," + std::string(row) + ",") != std::string::npos;
    }
};

double g_ticksPerMs = 1;

double TicksToMs(std::int64_t ticks)
{
    return static_cast<double>(ticks) / g_ticksPerMs;
}

double Median(std::vector<double> v)
{
    if (v.empty())
    {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Thrown when the benchmark cannot go on; unwinding closes what it started.
struct BenchFailure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what)
{
    throw BenchFailure(what);
}

struct Window
{
    HWND hwnd = nullptr;
    MoveStampSlot* slot = nullptr;
};

// One testwin.exe process with its windows, all on one thread.
class WindowSet
{
public:
    WindowSet(MoveStampTable& table, const std::wstring& tableName, int count, int base, const std::wstring& title)
    {
        for (int i = base; i < base + count; ++i)
        {
            table.slots[i].window = 0;
            table.slots[i].moves = 0;
            table.slots[i].wakes = 0;
        }
        const std::wstring arguments = L"open --class " + std::wstring(kWindowClass) + L" --title \"" + title +
                                       L"\" --rect 40,40,360,240 --count " + std::to_wstring(count) + L" --stamps " +
                                       tableName + L" --stamp-base " + std::to_wstring(base);
        if (!m_process.Start(BinDir() + L"\\testwin.exe", arguments, true))
        {
            Fail("cannot start testwin.exe");
        }
        // It prints one line per window once all are created and shown; reading
        // them also keeps its output pipe from filling up.
        const auto deadline = GetTickCount64() + 20000 + static_cast<ULONGLONG>(count) * 100;
        int lines = 0;
        while (lines < count && GetTickCount64() < deadline)
        {
            if (m_process.ReadLine(std::chrono::milliseconds(500)))
            {
                ++lines;
            }
            else if (!m_process.Running())
            {
                break;
            }
        }
        for (int i = base; i < base + count; ++i)
        {
            const auto hwnd = reinterpret_cast<HWND>(static_cast<std::intptr_t>(table.slots[i].window.load()));
            if (hwnd == nullptr || !IsWindowVisible(hwnd))
            {
                Fail("testwin.exe did not show its " + std::to_string(count) + " windows");
            }
            m_windows.push_back({hwnd, &table.slots[i]});
        }
    }
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;
    ~WindowSet()
    {
        for (const Window& w : m_windows)
        {
            PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
        }
        m_process.Wait(std::chrono::seconds(10));
    }

    const std::vector<Window>& Windows() const { return m_windows; }

    // Its thread sleeps for ms from now on: every window of the set stops answering.
    void Hang(int ms) const { PostMessageW(m_windows.front().hwnd, kHangMessage, static_cast<WPARAM>(ms), 0); }

private:
    ChildProcess m_process;
    std::vector<Window> m_windows;
};

// The windows in z-order, top first, as EnumWindows gives them.
std::vector<HWND> InZOrder(const std::vector<Window>& windows)
{
    struct Walk
    {
        std::unordered_set<HWND> wanted;
        std::vector<HWND> found;
    } walk;
    for (const Window& w : windows)
    {
        walk.wanted.insert(w.hwnd);
    }
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL
        {
            auto& w = *reinterpret_cast<Walk*>(param);
            if (w.wanted.count(hwnd))
            {
                w.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

// What a switch is started by: it moves the windows by dx (or makes the
// program do so) and returns the trigger's time stamp.
using Trigger = std::function<std::int64_t(int dx)>;
// What is done before each switch, before any window is hung and outside its time.
using Prepare = std::function<void(int dx)>;

std::int64_t FloorLoop(const std::vector<HWND>& order, int dx, UINT extraFlags)
{
    std::vector<POINT> to;
    for (const HWND hwnd : order)
    {
        RECT r{};
        GetWindowRect(hwnd, &r);
        to.push_back({r.left + dx, r.top});
    }
    const std::int64_t start = PerformanceCounterNow();
    for (std::size_t i = 0; i < order.size(); ++i)
    {
        SetWindowPos(order[i], nullptr, to[i].x, to[i].y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
    }
    return start;
}

bool Answers(HWND hwnd, UINT timeoutMs)
{
    DWORD_PTR result = 1;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) == 1 && result == 0;
}

// The probe loop, in this process: EnumWindows over every top-level window,
// each test window checked, probed and moved in turn; one that does not answer
// gets a mover thread that probes it for 1000 ms at a time and moves it once it
// answers. The threads are joined by the caller.
class ProbeLoop
{
public:
    explicit ProbeLoop(const std::vector<Window>& windows)
    {
        for (const Window& w : windows)
        {
            m_ours.insert(w.hwnd);
        }
    }
    ProbeLoop(const ProbeLoop&) = delete;
    ProbeLoop& operator=(const ProbeLoop&) = delete;
    ~ProbeLoop() { JoinMovers(); }

    std::int64_t Switch(int dx)
    {
        m_dx = dx;
        const std::int64_t start = PerformanceCounterNow();
        EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL
            {
                reinterpret_cast<ProbeLoop*>(param)->MoveWindowProc(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(this));
        return start;
    }

    void JoinMovers()
    {
        for (std::thread& t : m_movers)
        {
            t.join();
        }
        m_movers.clear();
    }

private:
    void MoveWindowProc(HWND hwnd)
    {
        if (!m_ours.count(hwnd) || IsIconic(hwnd) || !IsWindow(hwnd))
        {
            return; // the benchmark moves only its own windows
        }
        // Telling sticky windows and hide-mode classes apart reads the class name and the caption.
        wchar_t text[256];
        GetClassNameW(hwnd, text, 255);
        GetWindowTextW(hwnd, text, 255);
        if (!IsWindowVisible(hwnd))
        {
            return;
        }
        if (!Answers(hwnd, 100))
        {
            m_movers.emplace_back(Mover, hwnd, m_dx);
            return;
        }
        RECT r{};
        GetWindowRect(hwnd, &r);
        SetWindowPos(hwnd, nullptr, r.left + m_dx, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    static void Mover(HWND hwnd, int dx)
    {
        RECT r{};
        bool ok = GetWindowRect(hwnd, &r) != FALSE;
        while (ok && !Answers(hwnd, 1000))
        {
            ok = GetWindowRect(hwnd, &r) != FALSE;
        }
        if (ok)
        {
            SetWindowPos(hwnd, nullptr, r.left + dx, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    std::unordered_set<HWND> m_ours;
    std::vector<std::thread> m_movers;
    int m_dx = 0;
};

// Waits until every window stamped its move to where it belongs; the latest of
// those stamps, or nothing after the timeout.
std::optional<std::int64_t> WaitMoved(const std::vector<Window>& windows, const std::vector<POINT>& to,
                                      ULONGLONG timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        std::int64_t last = 0;
        bool all = true;
        for (std::size_t i = 0; i < windows.size() && all; ++i)
        {
            const MoveStampSlot& s = *windows[i].slot;
            if (s.moves.load() > 0 && s.x.load() == to[i].x && s.y.load() == to[i].y)
            {
                last = std::max(last, s.moveStamp.load());
            }
            else
            {
                all = false;
            }
        }
        if (all)
        {
            return last;
        }
        if (GetTickCount64() >= deadline)
        {
            return std::nullopt;
        }
        Sleep(5); // seldom enough to leave the measured processes the processors
    }
}

std::vector<POINT> Destinations(const std::vector<Window>& windows, int dx)
{
    std::vector<POINT> to;
    for (const Window& w : windows)
    {
        RECT r{};
        GetWindowRect(w.hwnd, &r);
        to.push_back({r.left + dx, r.top});
    }
    return to;
}

// Which windows are not where a switch should have put them, for a failure's message.
std::string Unmoved(const std::vector<Window>& windows, const std::vector<POINT>& to)
{
    int count = 0;
    std::string first;
    for (std::size_t i = 0; i < windows.size(); ++i)
    {
        RECT r{};
        GetWindowRect(windows[i].hwnd, &r);
        if (r.left != to[i].x || r.top != to[i].y)
        {
            if (count++ == 0)
            {
                first = ", one at " + std::to_string(r.left) + "," + std::to_string(r.top) + " instead of " +
                        std::to_string(to[i].x) + "," + std::to_string(to[i].y);
            }
        }
    }
    return std::to_string(count) + " of " + std::to_string(windows.size()) + " windows did not move" + first;
}

struct Row
{
    std::string group; // "10", "45+5 hung", ...
    std::string name;  // what moved the windows
    int windows = 0;   // how many
    bool isFloor = false;
    bool reference = false;
    std::vector<double> ms;        // trigger to the last answering window's move
    std::vector<double> hungAfter; // trigger to the last hung window's move
    std::vector<double> hungWoke;  // the hung windows' wake to their last move
    std::string failure;
};

struct Hung
{
    const WindowSet* set = nullptr;
    int ms = 0;
};

// Switches back and forth between desktop (0, 0) and (1, 0), `switches` times;
// the windows lie on both.
Row RunRow(Row row, const std::vector<Window>& answering, const Hung& hung, const Prepare& prepare,
           const Trigger& trigger, int switches, const std::function<void()>& afterSwitch = {})
{
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const std::vector<Window> none;
    const std::vector<Window>& sleepers = hung.set ? hung.set->Windows() : none;
    const ULONGLONG timeout = 10000 + 20 * static_cast<ULONGLONG>(answering.size()) + 1000 * sleepers.size();
    const DWORD settleMs = 250 + 2 * static_cast<DWORD>(answering.size() + sleepers.size());
    bool away = false;
    for (int k = 0; k < switches; ++k)
    {
        const int dx = away ? screenW : -screenW;
        const std::vector<POINT> to = Destinations(answering, dx);
        const std::vector<POINT> sleepersTo = Destinations(sleepers, dx);
        std::vector<std::int32_t> wakesBefore;
        if (prepare)
        {
            prepare(dx);
        }
        if (hung.set)
        {
            // On top of the z-order, so that a switch meets them first; then asleep.
            for (auto it = sleepers.rbegin(); it != sleepers.rend(); ++it)
            {
                SetWindowPos(it->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
            for (const Window& w : sleepers)
            {
                wakesBefore.push_back(w.slot->wakes.load());
            }
            hung.set->Hang(hung.ms);
            Sleep(100); // inside its sleep by now
        }
        const std::int64_t start = trigger(dx);
        const std::optional<std::int64_t> last = WaitMoved(answering, to, timeout);
        if (!last)
        {
            row.failure = "switch " + std::to_string(k + 1) + " of " + std::to_string(switches) + ": " +
                          Unmoved(answering, to) + " within " + std::to_string(timeout / 1000) + " s";
            return row;
        }
        row.ms.push_back(TicksToMs(*last - start));
        if (hung.set)
        {
            const std::optional<std::int64_t> hungLast =
                WaitMoved(sleepers, sleepersTo, static_cast<ULONGLONG>(hung.ms) + 15000);
            if (!hungLast)
            {
                row.failure = "switch " + std::to_string(k + 1) + ": the hung windows did not move within " +
                              std::to_string(hung.ms / 1000 + 15) + " s of the trigger";
                return row;
            }
            row.hungAfter.push_back(TicksToMs(*hungLast - start));
            std::int64_t woke = 0;
            for (std::size_t i = 0; i < sleepers.size(); ++i)
            {
                if (sleepers[i].slot->wakes.load() != wakesBefore[i])
                {
                    woke = std::max(woke, sleepers[i].slot->wakeStamp.load());
                }
            }
            if (woke != 0 && woke < start)
            {
                row.failure = "switch " + std::to_string(k + 1) + ": the hung windows woke before the trigger";
                return row;
            }
            if (woke != 0)
            {
                row.hungWoke.push_back(TicksToMs(*hungLast - woke));
            }
        }
        if (afterSwitch)
        {
            afterSwitch();
        }
        Sleep(settleMs);
        away = !away;
    }
    return row;
}

// Puts every window back where it was opened, after a row that stopped half-way.
void MoveHome(const std::vector<Window>& windows, const std::vector<POINT>& home)
{
    for (std::size_t i = 0; i < windows.size(); ++i)
    {
        SetWindowPos(windows[i].hwnd, nullptr, home[i].x, home[i].y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    WaitMoved(windows, home, 20000);
    Sleep(300);
}

// The real program on first-run settings (3 x 3 desktops, monitor shown), ready
// to be clicked.
class Program
{
public:
    // The foreground window must lie on the shown desktop, or the program's
    // follow of the active window would switch as it starts.
    explicit Program(HWND foreground)
    {
        SetForegroundWindow(foreground);
        if (!zim::e2e::StartZimDesk(m_app))
        {
            Fail("cannot start zimdesk.exe from the bin folder");
        }
        m_monitor = zim::e2e::WaitForMonitor(m_app);
        if (!m_monitor)
        {
            Fail(m_app.Running() ? "zimdesk.exe started but showed no monitor within 15 s"
                                 : "zimdesk.exe ended at its start, without showing its monitor");
        }
        Sleep(1500); // the rest of its start: the first miniatures, the hook
        const RECT grid = zim::e2e::MonitorGridArea(m_monitor);
        if (grid.right <= grid.left || grid.bottom <= grid.top)
        {
            Fail("zimdesk.exe does not report its monitor's grid area");
        }
        const int cellW = (grid.right - grid.left) / 3;
        const int cellH = (grid.bottom - grid.top) / 3;
        for (int column = 0; column < 2; ++column)
        {
            POINT p{grid.left + column * cellW + cellW / 2, grid.top + cellH / 2};
            ClientToScreen(m_monitor, &p);
            m_cell[column] = p;
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program()
    {
        zim::e2e::CloseProgram(m_app, m_monitor); // gathers every window onto the screen
    }

    // The pointer goes to rest on the cell of the desktop that a shift by dx shows.
    void Aim(int dx)
    {
        const POINT at = Cell(dx);
        INPUT move = MouseInput(at, MOUSEEVENTF_MOVE);
        SendInput(1, &move, sizeof(INPUT));
        // The pointer's new place shows only after a while under Wine; a press
        // before that would land where it was.
        const ULONGLONG deadline = GetTickCount64() + 2000;
        POINT now{};
        while (GetCursorPos(&now) && (std::abs(now.x - at.x) > 1 || std::abs(now.y - at.y) > 1) &&
               GetTickCount64() < deadline)
        {
            Sleep(10);
        }
        Sleep(50);
    }

    // A press and release where the pointer rests, as a user's click.
    std::int64_t Click(int dx)
    {
        const POINT at = Cell(dx);
        INPUT click[2] = {MouseInput(at, MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN),
                          MouseInput(at, MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP)};
        const std::int64_t start = PerformanceCounterNow();
        SendInput(2, click, sizeof(INPUT));
        return start;
    }

private:
    POINT Cell(int dx) const { return m_cell[dx < 0 ? 1 : 0]; }

    static INPUT MouseInput(POINT p, DWORD flags)
    {
        const int w = GetSystemMetrics(SM_CXSCREEN);
        const int h = GetSystemMetrics(SM_CYSCREEN);
        INPUT input{};
        input.type = INPUT_MOUSE;
        // Rounded up: the system truncates on the way back to pixels.
        input.mi.dx = (p.x * 65536 + w - 1) / w;
        input.mi.dy = (p.y * 65536 + h - 1) / h;
        input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
        return input;
    }

    ChildProcess m_app;
    HWND m_monitor = nullptr;
    POINT m_cell[2]{};
};

std::vector<POINT> Positions(const std::vector<Window>& windows)
{
    return Destinations(windows, 0);
}

// Every second window goes to desktop (1, 0), so that each switch takes half
// of them off the screen and brings the other half on: a switch back and one
// away then cost alike (windows coming onto the screen cost Wine more).
void SpreadOverTwoDesktops(const std::vector<Window>& windows)
{
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    std::vector<Window> moving;
    std::vector<POINT> to;
    for (std::size_t i = 1; i < windows.size(); i += 2)
    {
        RECT r{};
        GetWindowRect(windows[i].hwnd, &r);
        moving.push_back(windows[i]);
        to.push_back({r.left + screenW, r.top});
    }
    MoveHome(moving, to);
}

// Every switch's time, in order: the first goes to desktop (1, 0), the next back.
void PrintProgress(const Row& row)
{
    std::string times;
    for (const double ms : row.ms)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, " %.1f", ms);
        times += buffer;
    }
    std::fprintf(stderr, "  %-10s %-44s %s\n", row.group.c_str(), row.name.c_str(),
                 row.failure.empty() ? ("ms:" + times).c_str() : row.failure.c_str());
}

const char* const kFloor = "floor: one SetWindowPos each, one loop";
const char* const kProbe = "probe loop: 100 ms WM_NULL probe, then move";
const char* const kProgram = "Zim Desk: a click on a monitor cell";
const char* const kHungFloor = "floor: none hung, one SetWindowPos each";
const char* const kAsync = "(ref.) SWP_ASYNCWINDOWPOS each, one loop";

// N answering windows in one process: the floor, the probe loop and the
// async reference without the program running (its follow of the active
// window would answer our moves), then the program.
void RunCount(MoveStampTable& table, const std::wstring& tableName, int count, const Settings& s,
              std::vector<Row>& rows)
{
    std::fprintf(stderr, "%d windows\n", count);
    WindowSet set(table, tableName, count, 0, L"Bench");
    const std::vector<Window>& windows = set.Windows();
    SpreadOverTwoDesktops(windows);
    const std::vector<POINT> home = Positions(windows);
    Sleep(500);
    const std::string group = std::to_string(count);
    const auto run =
        [&](const char* name, bool isFloor, bool reference, const Trigger& trigger, const Prepare& prepare = {})
    {
        Row row;
        row.group = group;
        row.name = name;
        row.windows = count;
        row.isFloor = isFloor;
        row.reference = reference;
        row = RunRow(row, windows, {}, prepare, trigger, s.switches);
        PrintProgress(row);
        if (!row.failure.empty())
        {
            MoveHome(windows, home);
        }
        rows.push_back(row);
    };
    if (s.Wants("floor"))
    {
        run(kFloor, true, false, [&](int dx) { return FloorLoop(InZOrder(windows), dx, 0); });
    }
    if (s.Wants("probe"))
    {
        ProbeLoop probe(windows);
        run(kProbe, false, false, [&](int dx) { return probe.Switch(dx); });
    }
    if (s.Wants("async"))
    {
        run(kAsync, false, true, [&](int dx) { return FloorLoop(InZOrder(windows), dx, SWP_ASYNCWINDOWPOS); });
    }
    if (s.Wants("program"))
    {
        Program program(windows.front().hwnd);
        run(
            kProgram, false, false, [&](int dx) { return program.Click(dx); }, [&](int dx) { program.Aim(dx); });
    }
    Sleep(300);
}

// Some of hungAmong windows hung: the answering ones in one process, the hung
// ones in another, opened last and raised before every switch, so that they
// lie on top of the z-order.
void RunHung(MoveStampTable& table, const std::wstring& tableName, const Settings& s, std::vector<Row>& rows)
{
    const int answeringCount = s.hungAmong - s.hung;
    const std::string group = std::to_string(answeringCount) + "+" + std::to_string(s.hung) + " hung";
    std::fprintf(stderr, "%d windows, %d of them hung for %d ms at each switch\n", s.hungAmong, s.hung, s.hangMs);
    WindowSet answeringSet(table, tableName, answeringCount, 0, L"Bench");
    WindowSet hungSet(table, tableName, s.hung, answeringCount, L"Hung");
    std::vector<Window> all = answeringSet.Windows();
    all.insert(all.end(), hungSet.Windows().begin(), hungSet.Windows().end());
    const std::vector<Window>& answering = answeringSet.Windows();
    SpreadOverTwoDesktops(answering);
    SpreadOverTwoDesktops(hungSet.Windows());
    const std::vector<POINT> home = Positions(all);
    Sleep(500);
    const Hung hung{&hungSet, s.hangMs};
    const auto run = [&](const char* name, bool isFloor, const Hung& h, const Trigger& trigger,
                         const std::function<void()>& after, const Prepare& prepare = {})
    {
        Row row;
        row.group = group;
        row.name = name;
        row.windows = s.hungAmong;
        row.isFloor = isFloor;
        row = RunRow(row, h.set ? answering : all, h, prepare, trigger, s.switches, after);
        PrintProgress(row);
        if (!row.failure.empty())
        {
            Sleep(static_cast<DWORD>(s.hangMs));
            MoveHome(all, home);
        }
        rows.push_back(row);
    };
    if (s.Wants("floor"))
    {
        run(kHungFloor, true, {}, [&](int dx) { return FloorLoop(InZOrder(all), dx, 0); }, {});
    }
    if (s.Wants("probe"))
    {
        ProbeLoop probe(all);
        run(
            kProbe, false, hung, [&](int dx) { return probe.Switch(dx); }, [&] { probe.JoinMovers(); });
    }
    if (s.Wants("program"))
    {
        Program program(answering.front().hwnd);
        run(
            kProgram, false, hung, [&](int dx) { return program.Click(dx); }, {}, [&](int dx) { program.Aim(dx); });
    }
    Sleep(300);
}

std::string Figure(double ms)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, ms < 100 ? "%.1f" : "%.0f", ms);
    return buffer;
}

std::string Range(const std::vector<double>& v)
{
    if (v.empty())
    {
        return "-";
    }
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return Figure(*lo) + "-" + Figure(*hi);
}

const Row* Find(const std::vector<Row>& rows, const std::string& group, const char* name)
{
    for (const Row& r : rows)
    {
        if (r.group == group && r.name == name && r.failure.empty() && !r.ms.empty())
        {
            return &r;
        }
    }
    return nullptr;
}

void PrintTable(const std::vector<Row>& rows, const Settings& s)
{
    std::printf("\nSwitch benchmark: %d switches per row between desktops (0,0) and (1,0), every second window on\n"
                "each; a switch lasts from its trigger to the last window's move as the window stamped it\n"
                "(WM_WINDOWPOSCHANGED, QueryPerformanceCounter). Median and min-max in ms; per window: the median\n"
                "over the windows; vs floor: the median over the floor's median of the same windows in this run.\n\n",
                s.switches);
    std::printf("%-12s %-47s %8s %13s %10s %14s\n", "windows", "switched by", "median", "min-max", "per window",
                "vs floor");
    std::string lastGroup;
    const Row* floor = nullptr;
    for (const Row& r : rows)
    {
        if (r.group != lastGroup)
        {
            floor = nullptr;
            for (const Row& f : rows)
            {
                if (f.group == r.group && f.isFloor && f.failure.empty() && !f.ms.empty())
                {
                    floor = &f;
                }
            }
            if (!lastGroup.empty())
            {
                std::printf("\n");
            }
            lastGroup = r.group;
        }
        if (!r.failure.empty())
        {
            std::printf("%-12s %-47s FAILED: %s\n", r.group.c_str(), r.name.c_str(), r.failure.c_str());
            continue;
        }
        const double median = Median(r.ms);
        char perWindow[32];
        std::snprintf(perWindow, sizeof perWindow, "%.2f", median / r.windows);
        char versus[48] = "-";
        if (floor != nullptr && !r.hungAfter.empty())
        {
            std::snprintf(versus, sizeof versus, "floor %+.0f ms", median - Median(floor->ms));
        }
        else if (floor != nullptr)
        {
            std::snprintf(versus, sizeof versus, "%.2f", median / Median(floor->ms));
        }
        std::printf("%-12s %-47s %8s %13s %10s %14s\n", r.group.c_str(), r.name.c_str(), Figure(median).c_str(),
                    Range(r.ms).c_str(), r.hungAfter.empty() ? perWindow : "-", versus);
        if (!r.hungAfter.empty())
        {
            std::printf("%-12s   the hung windows moved %s ms (%s) after the trigger, %s ms (%s) after they woke\n", "",
                        Figure(Median(r.hungAfter)).c_str(), Range(r.hungAfter).c_str(),
                        Figure(Median(r.hungWoke)).c_str(), Range(r.hungWoke).c_str());
        }
    }

    std::printf("\nTargets (this run):\n");
    bool any = false;
    const auto target = [&](const std::string& what, const std::string& figure, bool met)
    {
        std::printf("  %-58s %-18s %s\n", what.c_str(), figure.c_str(), met ? "met" : "NOT met");
        any = true;
    };
    char figure[64];
    const Row* floor50 = Find(rows, "50", kFloor);
    const Row* program50 = Find(rows, "50", kProgram);
    if (floor50 && program50)
    {
        const double ratio = Median(program50->ms) / Median(floor50->ms);
        std::snprintf(figure, sizeof figure, "%.2f x", ratio);
        target("50 windows: Zim Desk at most 0.80 x the floor", figure, ratio <= 0.8);
    }
    const std::string hungGroup = std::to_string(s.hungAmong - s.hung) + "+" + std::to_string(s.hung) + " hung";
    const Row* floorHung = Find(rows, hungGroup, kHungFloor);
    const Row* programHung = Find(rows, hungGroup, kProgram);
    if (floorHung && programHung)
    {
        const double over = Median(programHung->ms) - Median(floorHung->ms);
        std::snprintf(figure, sizeof figure, "floor %+.0f ms", over);
        target(std::to_string(s.hung) + " hung among " + std::to_string(s.hungAmong) +
                   ": Zim Desk at most the floor + 120 ms",
               figure, over <= 120);
    }
    const Row* program200 = Find(rows, "200", kProgram);
    if (program50 && program200)
    {
        const double at50 = Median(program50->ms) / 50;
        const double at200 = Median(program200->ms) / 200;
        std::snprintf(figure, sizeof figure, "%.2f vs %.2f ms", at200, at50);
        target("200 windows: Zim Desk's cost per window at most that at 50", figure, at200 <= at50);
    }
    if (!any)
    {
        std::printf("  (none: they need the rows of 50 and 200 windows and of the hung ones)\n");
    }
}

std::vector<int> ParseCounts(const char* text)
{
    std::vector<int> counts;
    std::string s(text);
    std::size_t at = 0;
    while (at <= s.size())
    {
        const std::size_t comma = std::min(s.find(',', at), s.size());
        const int n = std::atoi(s.substr(at, comma - at).c_str());
        if (n < 1 || n > 500)
        {
            Fail("--counts: each count from 1 to 500");
        }
        counts.push_back(n);
        at = comma + 1;
    }
    return counts;
}

Settings ParseArguments(int argc, char** argv)
{
    Settings s;
    for (int i = 1; i < argc; ++i)
    {
        const std::string name = argv[i];
        if (i + 1 >= argc)
        {
            Fail("usage: switch_bench.exe [--counts 10,50,200] [--switches 10] [--hung 5] [--hang-ms 2000] "
                 "[--rows floor,probe,async,program]");
        }
        const char* value = argv[++i];
        if (name == "--counts")
        {
            s.counts = ParseCounts(value);
        }
        else if (name == "--switches")
        {
            s.switches = std::clamp(std::atoi(value), 2, 100);
        }
        else if (name == "--hung")
        {
            s.hung = std::clamp(std::atoi(value), 0, 16);
        }
        else if (name == "--rows")
        {
            s.rows = value;
        }
        else if (name == "--hang-ms")
        {
            s.hangMs = std::clamp(std::atoi(value), 500, 60000);
        }
        else
        {
            Fail("unknown option " + name);
        }
    }
    return s;
}

int Run(int argc, char** argv)
{
    const Settings settings = ParseArguments(argc, argv);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;

    const std::wstring tableName = L"Local\\ZimSwitchBench-" + std::to_wstring(GetCurrentProcessId());
    MoveStampTable* table = zim::testwin::MapMoveStampTable(tableName);
    if (table == nullptr)
    {
        Fail("cannot map the stamp table");
    }
    if (FindWindowW(L"TZIMMonitor", nullptr) != nullptr)
    {
        Fail("a Zim Desk already runs in this Wine desktop");
    }

    std::vector<Row> rows;
    for (const int count : settings.counts)
    {
        RunCount(*table, tableName, count, settings, rows);
    }
    if (settings.hung > 0 && settings.hung < settings.hungAmong)
    {
        RunHung(*table, tableName, settings, rows);
    }
    PrintTable(rows, settings);
    std::fflush(stdout);
    const bool failed = std::any_of(rows.begin(), rows.end(), [](const Row& r) { return !r.failure.empty(); });
    if (failed)
    {
        std::fprintf(stderr, "switch_bench: some rows failed (see the table)\n");
    }
    return failed ? kExitFailure : 0;
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        return Run(argc, argv);
    }
    catch (const BenchFailure& failure)
    {
        std::fflush(stdout);
        std::fprintf(stderr, "switch_bench: %s\n", failure.what());
        return kExitFailure;
    }
}
