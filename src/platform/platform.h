#pragma once

// The window-system layer: every operation the engine, input, monitor and
// settings code needs from the system, in the system's own terms. win32/
// implements it for real, sim/ as a deterministic in-memory desktop for tests.
// Text is UTF-8 throughout.

#include "platform/function_ref.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zim
{

enum class ShowCommand
{
    Hide,
    Show,           // SW_SHOW: show and activate
    ShowNoActivate, // SW_SHOWNA
    Minimize,
    Restore,
};

// Virtual-key codes the program asks about (values as on Windows).
namespace vk
{
inline constexpr int kLButton = 0x01;
inline constexpr int kRButton = 0x02;
inline constexpr int kMButton = 0x04;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12; // Alt
inline constexpr int kLWin = 0x5B;
} // namespace vk

inline bool KeyIsDown(std::int16_t state)
{
    return (state & 0x8000) != 0;
}

// Hit-test codes of WM_NCHITTEST.
namespace hit
{
inline constexpr std::intptr_t kNowhere = 0;
inline constexpr std::intptr_t kClient = 1;
inline constexpr std::intptr_t kCaption = 2;
} // namespace hit

// A z-order walk longer than this means the order kept changing under it.
inline constexpr int kMaxZOrderWalk = 10000;
// Window positions are 16-bit in the window system: SetWindowPos clamps x and y
// into this range, so a window sent beyond it would come back displaced.
inline constexpr std::int32_t kMinWindowCoordinate = -32768;
inline constexpr std::int32_t kMaxWindowCoordinate = 32767;

// What a refresh reads of a window, in one query.
struct WindowState
{
    Rect rect;
    bool visible = false;
    bool iconic = false;
    friend bool operator==(const WindowState&, const WindowState&) = default;
};

// Top-level windows of every process, the pointer, the keys and the screen.
class WindowSystem
{
public:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
    virtual ~WindowSystem() = default;

    // Top-level windows from the top of the z-order down, like EnumWindows;
    // the callback returns false to stop.
    virtual void EnumWindows(FunctionRef<bool(WindowHandle)> callback) = 0;
    virtual WindowHandle GetTopWindow() = 0;                // GetTopWindow(0)
    virtual WindowHandle GetNextWindow(WindowHandle w) = 0; // GW_HWNDNEXT
    virtual WindowHandle GetPrevWindow(WindowHandle w) = 0; // GW_HWNDPREV
    virtual WindowHandle GetLastWindow(WindowHandle w) = 0; // GW_HWNDLAST
    virtual WindowHandle GetDesktopWindow() = 0;

    virtual bool IsWindow(WindowHandle w) = 0;
    virtual bool IsWindowVisible(WindowHandle w) = 0;
    virtual bool IsIconic(WindowHandle w) = 0;
    virtual bool IsZoomed(WindowHandle w) = 0;
    virtual std::optional<Rect> GetWindowRect(WindowHandle w) = 0;
    virtual std::string GetClassName(WindowHandle w) = 0;
    virtual std::string GetWindowText(WindowHandle w) = 0;
    virtual std::uint32_t GetWindowProcessId(WindowHandle w) = 0;
    // The rectangle, visibility and minimised state together; nothing for a
    // handle that names no window.
    virtual std::optional<WindowState> GetWindowState(WindowHandle w)
    {
        const auto rect = GetWindowRect(w);
        if (!rect)
        {
            return std::nullopt;
        }
        return WindowState{*rect, IsWindowVisible(w), IsIconic(w)};
    }

    // One SetWindowPos without size, z-order or activation change. Blocks while
    // the window's thread is hung, so callers probe first.
    virtual bool MoveWindow(WindowHandle w, Point topLeft) = 0;
    // The same move carried out by the window's own thread when it next runs;
    // returns at once even for a hung window.
    virtual bool MoveWindowAsync(WindowHandle w, Point topLeft) = 0;
    virtual void ShowWindow(WindowHandle w, ShowCommand command) = 0;
    // Carried out by the window's own thread; never waits for a hung window.
    virtual void ShowWindowAsync(WindowHandle w, ShowCommand command) = 0;
    virtual void BringWindowToTop(WindowHandle w) = 0;
    // The same, carried out by the window's own thread; never waits for it.
    virtual void BringWindowToTopAsync(WindowHandle w) { BringWindowToTop(w); }
    virtual bool SetForegroundWindow(WindowHandle w) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
    virtual void SetActiveWindow(WindowHandle w) = 0;

    // SendMessageTimeout(WM_NULL, SMTO_ABORTIFHUNG): true only when the call
    // returned in time and the window answered 0.
    virtual bool ProbeWindow(WindowHandle w, unsigned timeoutMs) = 0;
    // The same probe of many windows at once: each gets `timeoutMs` to answer,
    // and they all answer side by side, so that the whole takes about as long as
    // the slowest one. Element i is ProbeWindow(windows[i], timeoutMs).
    virtual std::vector<bool> ProbeWindows(const std::vector<WindowHandle>& windows, unsigned timeoutMs)
    {
        std::vector<bool> answered;
        answered.reserve(windows.size());
        for (const WindowHandle w : windows)
        {
            answered.push_back(ProbeWindow(w, timeoutMs));
        }
        return answered;
    }
    // WM_NCHITTEST for a screen point, with SMTO_ABORTIFHUNG: the hit-test code,
    // or nothing when the window did not answer in time.
    virtual std::optional<std::intptr_t> HitTest(WindowHandle w, Point screen, unsigned timeoutMs) = 0;

    virtual Point GetCursorPos() = 0;
    virtual void SetCursorPos(Point p) = 0;
    virtual std::int16_t GetKeyState(int virtualKey) = 0;
    virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;

    // Primary screen in pixels; read it at every use, it may change.
    virtual Size GetScreenSize() = 0;
    virtual Rect GetWorkArea() = 0;
    // Height of a standard caption plus a dialog frame (outer minus client height
    // of a fixed dialog with a caption).
    virtual int GetCaptionFrameHeight() = 0;
    // The width of a sizeable window's frame: by this much a maximised window
    // overhangs its desktop on every side.
    virtual int GetResizeFrameWidth() { return 8; }

    virtual std::uint32_t RegisterWindowMessage(const std::string& name) = 0;
};

enum class RegistryRead
{
    Ok,
    Missing,   // no such key or value
    WrongType, // the value exists with a non-text type
};

enum class RegistryType
{
    String,       // REG_SZ
    ExpandString, // REG_EXPAND_SZ
    Dword,        // REG_DWORD
    Binary,       // REG_BINARY
};

// The shell's record of the user's folders ("Desktop", "Programs", ...), as text values.
inline constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Keys under HKEY_CURRENT_USER, written as "Software\\zimdesk.ini\\Options".
class Registry
{
public:
    Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    virtual ~Registry() = default;

    // Opens without creating.
    virtual bool KeyExists(const std::string& key) = 0;
    // Opens with create rights: the key and its parents exist afterwards.
    virtual bool CreateKey(const std::string& key) = 0;
    // Like CreateKey, but the key itself is volatile: it lives in memory only and
    // is gone at the next logoff. Its parents are ordinary keys; a key that
    // exists already is opened as it is.
    virtual bool CreateVolatileKey(const std::string& key) = 0;
    // Text values (REG_SZ, and REG_EXPAND_SZ unexpanded); any other type is WrongType.
    virtual RegistryRead ReadString(const std::string& key, const std::string& name, std::string& value) = 0;
    // Creates the key when missing.
    virtual bool WriteString(const std::string& key, const std::string& name, const std::string& value) = 0;
    virtual bool WriteDword(const std::string& key, const std::string& name, std::uint32_t value) = 0;
    virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
    // Deletes the key with all its sub-keys and values.
    virtual bool DeleteKey(const std::string& key) = 0;
};

struct DirectoryEntry
{
    std::string name;
    bool isDirectory = false;
};

// Paths are Windows paths ("C:\\dir\\file"); comparison ignores case.
class FileSystem
{
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    // Entries of a folder matching a wildcard pattern ("*.zim"), without "." and "..".
    virtual std::vector<DirectoryEntry> ListDirectory(const std::string& folder, const std::string& pattern) = 0;
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Fails when the target exists, as MoveFile does.
    virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
    // Why the last CreateDirectory or MoveFile that failed failed, in the
    // system's words ("Access is denied."), for messages.
    virtual std::string LastErrorText() = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    virtual bool WriteFile(const std::string& path, const std::string& contents) = 0;
    virtual std::string GetCurrentDirectory() = 0;
};

// How a program opened by the shell is asked to show its first window.
enum class LaunchShow
{
    Normal, // SW_SHOWNORMAL
    Hidden, // SW_HIDE
};

// The shell and multimedia services.
class Shell
{
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    virtual ~Shell() = default;

    // PlaySound(SND_FILENAME | SND_NOWAIT | SND_NODEFAULT | SND_ASYNC): returns at
    // once; an empty or missing file plays nothing.
    virtual void PlaySoundAsync(const std::string& file) = 0;
    // SystemParametersInfo(SPI_SETDESKWALLPAPER): the desktop's wallpaper, also
    // in the user's profile when asked. The change is broadcast to every window,
    // and a hung one could hold it up: it is made off the caller's thread, the
    // latest request winning, and returns at once.
    virtual void SetWallpaper(const std::string& path, bool updateProfile) = 0;
    virtual std::string ExpandEnvironmentStrings(const std::string& text) = 0;
    // ShellExecute "open"; false when the shell refused.
    virtual bool ShellOpen(const std::string& path) = 0;
    // The same with a working folder and the show command the started program
    // gets for its first window.
    virtual bool ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show) = 0;
};

// A repeating timer on the GUI thread, like a form's timer component.
class Timer
{
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;

    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetInterval(unsigned ms) = 0;
    virtual unsigned Interval() const = 0;
};

// Time, timers and the GUI thread's work queue.
class Scheduler
{
public:
    Scheduler() = default;
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;
    virtual ~Scheduler() = default;

    // Monotonic milliseconds.
    virtual std::uint64_t NowMs() = 0;
    // Any thread may call this; the work runs later on the GUI thread.
    virtual void PostToGui(std::function<void()> work) = 0;
    // Created disabled; enable it to start ticking.
    virtual std::unique_ptr<Timer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) = 0;
};

// What one running program gets from the system.
struct Platform
{
    WindowSystem& windows;
    Registry& registry;
    FileSystem& files;
    Shell& shell;
    Scheduler& scheduler;
};

} // namespace zim
