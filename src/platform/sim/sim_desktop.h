#pragma once

// A deterministic in-memory desktop for tests: windows with z-order, state and
// responsiveness, the pointer and keys, a simulated clock with timers, and a
// record of what was asked of the shell. Nothing here sleeps: waiting for a
// busy window advances the simulated clock instead.

#include "platform/platform.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zim::sim
{

// One request to the shell to open a file, as the simulated shell recorded it.
struct ShellOpenCall
{
    std::string path;
    std::string workingFolder; // empty: none given
    LaunchShow show = LaunchShow::Normal;
    bool accepted = true; // false when the shell refused it
    friend bool operator==(const ShellOpenCall&, const ShellOpenCall&) = default;
};

struct WindowSetup
{
    std::string className = "SimWindow";
    std::string title;
    Rect rect = Rect::FromSize(100, 100, 400, 300);
    bool visible = true;
    bool minimized = false;
    bool maximized = false;
    std::uint32_t processId = 1000;
    // A child window: a window all the same, but never among the top-level ones.
    bool child = false;
};

class SimDesktop final : public WindowSystem, public Shell, public Scheduler
{
public:
    // Wine counts a window as hung after it has not answered for this long, and
    // SMTO_ABORTIFHUNG then gives up at once.
    static constexpr std::uint64_t kHungThresholdMs = 5000;
    // Where Windows parks minimised windows.
    static constexpr std::int32_t kParked = -32000;

    explicit SimDesktop(Size screen = {1024, 768}, int taskbarHeight = 30);
    ~SimDesktop() override;

    // --- building the scene ---
    // The new window goes on top of the z-order.
    WindowHandle AddWindow(const WindowSetup& setup);
    void DestroyWindow(WindowHandle w);
    void SetTitle(WindowHandle w, const std::string& title);
    void SetRect(WindowHandle w, const Rect& rect);
    void SetMinimized(WindowHandle w, bool minimized);
    void SetScreenSize(Size screen, Rect workArea);
    // The window's thread does not answer messages until the clock reaches `untilMs`.
    void HangUntil(WindowHandle w, std::uint64_t untilMs);
    // The value the window returns for WM_NULL (normally 0).
    void SetProbeAnswer(WindowHandle w, std::intptr_t answer);
    void SetKeyDown(int virtualKey, bool down);
    // The window destroys itself the next time anyone probes it (a window that
    // dies mid-switch).
    void DestroyOnNextProbe(WindowHandle w);
    // The window answers its next probe, then its thread stops answering until
    // the clock reaches `untilMs` (a window that hangs between a switch's probe
    // and its move).
    void HangAfterNextProbe(WindowHandle w, std::uint64_t untilMs);
    // Asynchronous calls for the window wait until its thread next handles
    // messages: a probe (answered after what was sent before it) or DeliverAsync.
    void HoldAsync(WindowHandle w);
    void DeliverAsync(WindowHandle w);
    // Runs `work` while the window is being probed, as a message that reaches
    // the prober while it waits would.
    void SetOnProbe(WindowHandle w, std::function<void()> work);

    // --- driving time ---
    // Advances the clock, firing due timers in order and carrying out posted work
    // and asynchronous moves of windows that woke up.
    void Advance(std::uint64_t ms);
    // Runs work posted to the GUI thread.
    void RunPosted();

    // --- inspecting outcomes ---
    std::vector<WindowHandle> ZOrder() const { return m_zOrder; }
    int MoveCount(WindowHandle w) const;
    // Synchronous moves that had to wait for a hung window (must stay 0).
    int BlockedMoveCount() const { return m_blockedMoves; }
    // Questions asked about windows (state, rectangle, names, process) and,
    // among them, class-name look-ups, since the last reset.
    int StateQueries() const { return m_stateQueries; }
    int ClassNameQueries() const { return m_classQueries; }
    // Questions about the screen's size and work area.
    int ScreenQueries() const { return m_screenQueries; }
    void ResetQueryCounts()
    {
        m_stateQueries = 0;
        m_classQueries = 0;
        m_screenQueries = 0;
    }
    // Probes asked for, one by one or together.
    int ProbeCount() const { return m_probes; }
    // What was asked of windows, in order, when it was asked ("move",
    // "show", "hide", "raise"; "move", "show", "hide" and "raise" with "-async"
    // for the asynchronous calls), whether or not carried out yet.
    struct Operation
    {
        WindowHandle w = kNoWindow;
        std::string what;
        friend bool operator==(const Operation&, const Operation&) = default;
    };
    const std::vector<Operation>& Operations() const { return m_operations; }
    void ClearOperations() { m_operations.clear(); }
    // Called as each operation is asked for, before it is carried out.
    void SetOnOperation(std::function<void(const Operation&)> onOperation) { m_onOperation = std::move(onOperation); }
    const std::vector<std::string>& SoundsPlayed() const { return m_sounds; }
    struct WallpaperCall
    {
        std::string path;
        bool updateProfile = false;
        friend bool operator==(const WallpaperCall&, const WallpaperCall&) = default;
    };
    const std::vector<WallpaperCall>& WallpapersSet() const { return m_wallpapers; }
    // Every open asked of the shell, refused ones included.
    const std::vector<ShellOpenCall>& ShellOpened() const { return m_opened; }
    // Opening this path fails from now on (case ignored), as for a broken shortcut.
    void RefuseShellOpen(const std::string& path);
    // The paths the shell accepted to open, in order.
    std::vector<std::string> ShellOpenedPaths() const;
    void SetEnvironmentVariable(const std::string& name, const std::string& value);

    // --- WindowSystem ---
    void EnumWindows(FunctionRef<bool(WindowHandle)> callback) override;
    WindowHandle GetTopWindow() override;
    WindowHandle GetNextWindow(WindowHandle w) override;
    WindowHandle GetPrevWindow(WindowHandle w) override;
    WindowHandle GetLastWindow(WindowHandle w) override;
    WindowHandle GetDesktopWindow() override { return kDesktopWindow; }
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
    WindowHandle GetForegroundWindow() override { return m_foreground; }
    void SetActiveWindow(WindowHandle w) override;
    bool ProbeWindow(WindowHandle w, unsigned timeoutMs) override;
    // All side by side: the clock advances by the longest single wait.
    std::vector<bool> ProbeWindows(const std::vector<WindowHandle>& windows, unsigned timeoutMs) override;
    // The top GetCaptionFrameHeight() pixels of a window are its caption, the rest client.
    std::optional<std::intptr_t> HitTest(WindowHandle w, Point screen, unsigned timeoutMs) override;
    Point GetCursorPos() override { return m_cursor; }
    void SetCursorPos(Point p) override { m_cursor = p; }
    std::int16_t GetKeyState(int virtualKey) override;
    std::int16_t GetAsyncKeyState(int virtualKey) override;
    Size GetScreenSize() override
    {
        ++m_screenQueries;
        return m_screen;
    }
    Rect GetWorkArea() override
    {
        ++m_screenQueries;
        return m_workArea;
    }
    int GetCaptionFrameHeight() override { return 25; }
    int GetResizeFrameWidth() override { return 8; }
    std::uint32_t RegisterWindowMessage(const std::string& name) override;

    // --- Shell ---
    void PlaySoundAsync(const std::string& file) override;
    void SetWallpaper(const std::string& path, bool updateProfile) override
    {
        m_wallpapers.push_back({path, updateProfile});
    }
    std::string ExpandEnvironmentStrings(const std::string& text) override;
    bool ShellOpen(const std::string& path) override;
    bool ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show) override;

    // --- Scheduler ---
    std::uint64_t NowMs() override { return m_now; }
    void PostToGui(std::function<void()> work) override;
    std::unique_ptr<Timer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;

private:
    static constexpr WindowHandle kDesktopWindow = 0x10010;

    struct Window
    {
        WindowSetup setup;
        Rect restoreRect;
        std::uint64_t hungUntil = 0;
        std::uint64_t hungSince = 0;
        std::intptr_t probeAnswer = 0;
        bool destroyOnProbe = false;
        std::uint64_t hangAfterProbeUntil = 0;
        std::function<void()> onProbe;
        bool pendingAsyncRaise = false;
        bool holdAsync = false;
        int moves = 0;
        std::optional<Point> pendingAsyncMove;
        std::optional<ShowCommand> pendingAsyncShow;
    };
    class SimTimer;
    friend class SimTimer;

    Window* Find(WindowHandle w);
    const Window* Find(WindowHandle w) const;
    bool IsHung(const Window& window) const { return window.hungUntil > m_now; }
    // Blocks (in simulated time) until the window's thread answers.
    void WaitUntilAwake(Window& window);
    void ApplyWokenAsyncMoves();
    void ShowWindowNow(WindowHandle w, ShowCommand command);
    void RaiseToTop(WindowHandle w);
    // One probe starting now, without advancing the clock: the answer and how
    // long the prober waits for it.
    std::pair<bool, std::uint64_t> ProbeFromNow(WindowHandle w, unsigned timeoutMs);

    Size m_screen;
    Rect m_workArea;
    std::map<WindowHandle, Window> m_windows;
    std::vector<WindowHandle> m_zOrder; // front is the top
    WindowHandle m_nextHandle = 0x20000;
    WindowHandle m_foreground = kNoWindow;
    Point m_cursor;
    std::map<int, bool> m_keys;
    std::map<std::string, std::uint32_t> m_messages;
    std::map<std::string, std::string> m_environment;
    std::vector<WallpaperCall> m_wallpapers;
    std::vector<std::string> m_sounds;
    std::vector<ShellOpenCall> m_opened;
    std::vector<std::string> m_refusedOpens; // lower-cased
    std::uint64_t m_now = 1000;
    int m_blockedMoves = 0;
    mutable int m_stateQueries = 0;
    mutable int m_classQueries = 0;
    int m_screenQueries = 0;
    int m_probes = 0;
    std::vector<Operation> m_operations;
    std::function<void(const Operation&)> m_onOperation;
    void Log(WindowHandle w, std::string what);
    std::mutex m_postedLock; // mover threads post from their own threads
    std::deque<std::function<void()>> m_posted;
    std::vector<SimTimer*> m_timers;
};

} // namespace zim::sim
