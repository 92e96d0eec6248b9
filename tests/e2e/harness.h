#pragma once

// What the end-to-end tests need to drive the real program inside Wine's
// virtual desktop: start and stop processes, find their windows, wait for
// conditions, and save screenshots for a person to look at.

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zim::e2e
{

// The folder of the test executable, where the program and the helper live too.
std::wstring BinDir();

struct WindowInfo
{
    HWND hwnd = nullptr;
    std::wstring className;
    std::wstring title;
    RECT rect{};
    bool visible = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND owner = nullptr;
    DWORD processId = 0;
};

std::vector<WindowInfo> TopLevelWindows();
std::vector<WindowInfo> TopLevelWindowsOf(DWORD processId);
std::optional<WindowInfo> FindWindowOf(DWORD processId, const std::wstring& className);

RECT WindowRect(HWND hwnd);
bool SameRect(const RECT& a, const RECT& b);

// Whether the shell would give the window a task-bar button if it were shown:
// unowned and not a tool window, or marked as an application window.
bool WouldHaveTaskbarButton(const WindowInfo& window);

// Polls `condition` every 50 ms until it holds or the timeout passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A process started by a test. It is ended when the object goes away, so a
// failing test never leaves it running.
class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // With captureOutput, the child's standard output is read by ReadLine.
    bool Start(const std::wstring& exe, const std::wstring& arguments, bool captureOutput = false);
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }
    // The exit code, or nothing when it is still running after the timeout.
    std::optional<DWORD> Wait(std::chrono::milliseconds timeout);
    bool Running();
    // One line of output without its newline; nothing after the timeout or at the end.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void Terminate();

private:
    PROCESS_INFORMATION m_info{};
    HANDLE m_outputRead = nullptr;
    std::string m_buffer;
};

// Opens a window of the helper program in a process of its own (so that hanging
// one leaves the others awake) and waits for it; its handle, or null.
// The visible test windows a helper process shows.
std::vector<HWND> HelperWindows(const ChildProcess& helpers);

// A test window of a table: its desktop and where it lies when that desktop is shown.
struct TestWindow
{
    const wchar_t* title;
    int column;
    int row;
    RECT onItsDesktop;
};

HWND OpenTestWindow(ChildProcess& process, const std::wstring& arguments,
                    const std::wstring& className = L"ZimTestWindow");

// The monitor's grid area in its client coordinates, as the program's main
// window reports it (empty when it does not answer).
RECT MonitorGridArea(HWND monitor);

// A left press and release in the middle of a cell of the monitor's grid, laid
// out as columns x rows over its grid area.
void ClickMonitorCell(HWND monitor, int column, int row, int columns = 3, int rows = 3);

// Starts zimdesk.exe on first-run settings: each test begins from the defaults,
// whatever an earlier program saved at its exit. Extra settings, as
// (section, name, value) text values, are written before the start.
struct SettingValue
{
    std::wstring section;
    std::wstring name;
    std::wstring value;
    // Stored as a number (REG_DWORD), as no version of the program writes it.
    bool asDword = false;
};
bool StartZimDesk(ChildProcess& app, const std::vector<SettingValue>& settings = {});
// A text value of the program's settings as the registry holds it now, or "<missing>".
std::wstring ReadSetting(const std::wstring& section, const std::wstring& name);
// Settings that start the program with a natural skin (no bitmap: a sizeable
// tool window whose grid fills the client area, drawn in system colours), from
// a skin folder of its own so that the shipped skins' list stays as it is.
std::vector<SettingValue> NaturalSkinSettings();

// The program's monitor once it is shown (15 s at most), or null.
HWND WaitForMonitor(ChildProcess& app);
// Ends the program as the user does, by closing its monitor, if it still runs.
void CloseProgram(ChildProcess& app, HWND monitor);

// A control of a dialog or of one of its child dialogs (pages), by its id.
HWND DialogControl(HWND dialog, int id);

// A message box the process shows, with its text, once it is up.
std::optional<std::pair<HWND, std::wstring>> MessageBoxOf(DWORD processId);

// A real left click at a screen point, through the system's input queue.
void ClickAt(POINT p);
// A press and release of a key with the given modifier keys held around it, as
// the user types it.
void PressKey(WORD key, std::initializer_list<WORD> modifiers = {});

// Saves the whole screen as ZIM artifacts folder\name.png; returns the path, or
// an empty string when it could not.
std::wstring SaveScreenshot(const std::wstring& name);

} // namespace zim::e2e
