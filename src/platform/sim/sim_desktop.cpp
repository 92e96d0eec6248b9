#include "platform/sim/sim_desktop.h"

#include "platform/text.h"

#include <algorithm>
#include <limits>

namespace zim::sim
{
namespace
{

// As the window system does: positions are 16-bit.
Point Clamped(Point p)
{
    return {std::clamp(p.x, kMinWindowCoordinate, kMaxWindowCoordinate),
            std::clamp(p.y, kMinWindowCoordinate, kMaxWindowCoordinate)};
}

} // namespace

class SimDesktop::SimTimer final : public Timer
{
public:
    SimTimer(SimDesktop* desktop, unsigned interval, std::function<void()> onTick)
        : m_desktop(desktop), m_interval(interval), m_onTick(std::move(onTick))
    {
        m_desktop->m_timers.push_back(this);
    }
    ~SimTimer() override
    {
        if (m_desktop)
        {
            std::erase(m_desktop->m_timers, this);
        }
    }

    void SetEnabled(bool enabled) override
    {
        if (enabled && !m_enabled && m_desktop)
        {
            m_due = m_desktop->m_now + m_interval;
        }
        m_enabled = enabled;
    }
    bool IsEnabled() const override { return m_enabled; }
    void SetInterval(unsigned ms) override
    {
        m_interval = ms;
        if (m_desktop)
        {
            m_due = m_desktop->m_now + m_interval;
        }
    }
    unsigned Interval() const override { return m_interval; }

    SimDesktop* m_desktop;
    unsigned m_interval;
    std::function<void()> m_onTick;
    bool m_enabled = false;
    std::uint64_t m_due = 0;
};

SimDesktop::SimDesktop(Size screen, int taskbarHeight)
    : m_screen(screen), m_workArea{0, 0, screen.width, screen.height - taskbarHeight}
{
}

SimDesktop::~SimDesktop()
{
    for (SimTimer* timer : m_timers)
    {
        timer->m_desktop = nullptr;
    }
}

WindowHandle SimDesktop::AddWindow(const WindowSetup& setup)
{
    const WindowHandle handle = m_nextHandle;
    m_nextHandle += 4;
    Window window;
    window.setup = setup;
    window.restoreRect = setup.rect;
    if (setup.minimized)
    {
        window.setup.rect = Rect::FromSize(kParked, kParked, 160, 24);
    }
    m_windows.emplace(handle, window);
    if (!setup.child)
    {
        m_zOrder.insert(m_zOrder.begin(), handle);
    }
    return handle;
}

void SimDesktop::DestroyWindow(WindowHandle w)
{
    m_windows.erase(w);
    std::erase(m_zOrder, w);
    if (m_foreground == w)
    {
        m_foreground = kNoWindow;
    }
}

void SimDesktop::SetTitle(WindowHandle w, const std::string& title)
{
    if (Window* window = Find(w))
    {
        window->setup.title = title;
    }
}

void SimDesktop::SetRect(WindowHandle w, const Rect& rect)
{
    if (Window* window = Find(w))
    {
        window->setup.rect = rect;
    }
}

void SimDesktop::SetMinimized(WindowHandle w, bool minimized)
{
    ShowWindow(w, minimized ? ShowCommand::Minimize : ShowCommand::Restore);
}

void SimDesktop::SetScreenSize(Size screen, Rect workArea)
{
    m_screen = screen;
    m_workArea = workArea;
}

void SimDesktop::HangUntil(WindowHandle w, std::uint64_t untilMs)
{
    if (Window* window = Find(w))
    {
        window->hungSince = m_now;
        window->hungUntil = untilMs;
    }
}

void SimDesktop::SetProbeAnswer(WindowHandle w, std::intptr_t answer)
{
    if (Window* window = Find(w))
    {
        window->probeAnswer = answer;
    }
}

void SimDesktop::SetKeyDown(int virtualKey, bool down)
{
    m_keys[virtualKey] = down;
}

void SimDesktop::DestroyOnNextProbe(WindowHandle w)
{
    if (Window* window = Find(w))
    {
        window->destroyOnProbe = true;
    }
}

void SimDesktop::Log(WindowHandle w, std::string what)
{
    m_operations.push_back({w, std::move(what)});
    if (m_onOperation)
    {
        const Operation operation = m_operations.back(); // the callback may ask for more
        m_onOperation(operation);
    }
}

void SimDesktop::HangAfterNextProbe(WindowHandle w, std::uint64_t untilMs)
{
    if (Window* window = Find(w))
    {
        window->hangAfterProbeUntil = untilMs;
    }
}

void SimDesktop::HoldAsync(WindowHandle w)
{
    if (Window* window = Find(w))
    {
        window->holdAsync = true;
    }
}

void SimDesktop::DeliverAsync(WindowHandle w)
{
    if (Window* window = Find(w))
    {
        window->holdAsync = false;
        ApplyWokenAsyncMoves();
    }
}

void SimDesktop::SetOnProbe(WindowHandle w, std::function<void()> work)
{
    if (Window* window = Find(w))
    {
        window->onProbe = std::move(work);
    }
}

void SimDesktop::Advance(std::uint64_t ms)
{
    const std::uint64_t target = m_now + ms;
    for (;;)
    {
        RunPosted();
        SimTimer* next = nullptr;
        for (SimTimer* timer : m_timers)
        {
            if (timer->m_enabled && timer->m_due <= target && (!next || timer->m_due < next->m_due))
            {
                next = timer;
            }
        }
        if (!next)
        {
            break;
        }
        m_now = std::max(m_now, next->m_due);
        ApplyWokenAsyncMoves();
        next->m_due = m_now + std::max(1u, next->m_interval);
        next->m_onTick();
    }
    m_now = std::max(m_now, target);
    ApplyWokenAsyncMoves();
    RunPosted();
}

void SimDesktop::RunPosted()
{
    for (;;)
    {
        std::function<void()> work;
        {
            std::lock_guard lock(m_postedLock);
            if (m_posted.empty())
            {
                return;
            }
            work = std::move(m_posted.front());
            m_posted.pop_front();
        }
        work();
    }
}

int SimDesktop::MoveCount(WindowHandle w) const
{
    const Window* window = Find(w);
    return window ? window->moves : 0;
}

void SimDesktop::SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    m_environment[text::ToLowerAscii(name)] = value;
}

SimDesktop::Window* SimDesktop::Find(WindowHandle w)
{
    const auto it = m_windows.find(w);
    return it == m_windows.end() ? nullptr : &it->second;
}

const SimDesktop::Window* SimDesktop::Find(WindowHandle w) const
{
    const auto it = m_windows.find(w);
    return it == m_windows.end() ? nullptr : &it->second;
}

void SimDesktop::WaitUntilAwake(Window& window)
{
    if (IsHung(window))
    {
        m_now = window.hungUntil;
        ApplyWokenAsyncMoves();
    }
}

void SimDesktop::ApplyWokenAsyncMoves()
{
    std::vector<std::pair<WindowHandle, ShowCommand>> shows;
    for (auto& [handle, window] : m_windows)
    {
        if (window.holdAsync)
        {
            continue;
        }
        if (window.pendingAsyncShow && !IsHung(window))
        {
            shows.emplace_back(handle, *window.pendingAsyncShow);
            window.pendingAsyncShow.reset();
        }
        if (window.pendingAsyncRaise && !IsHung(window))
        {
            window.pendingAsyncRaise = false;
            RaiseToTop(handle);
        }
        if (window.pendingAsyncMove && !IsHung(window))
        {
            const Point p = Clamped(*window.pendingAsyncMove);
            window.pendingAsyncMove.reset();
            window.setup.rect = Rect::FromSize(p.x, p.y, window.setup.rect.Width(), window.setup.rect.Height());
            ++window.moves;
        }
    }
    for (const auto& [handle, command] : shows)
    {
        ShowWindowNow(handle, command);
    }
}

void SimDesktop::RaiseToTop(WindowHandle w)
{
    const auto it = std::find(m_zOrder.begin(), m_zOrder.end(), w);
    if (it != m_zOrder.end())
    {
        std::rotate(m_zOrder.begin(), it, it + 1);
    }
}

void SimDesktop::EnumWindows(FunctionRef<bool(WindowHandle)> callback)
{
    // A snapshot, as the real enumeration tolerates windows dying or being created meanwhile.
    const std::vector<WindowHandle> order = m_zOrder;
    for (WindowHandle w : order)
    {
        if (!callback(w))
        {
            return;
        }
    }
}

WindowHandle SimDesktop::GetTopWindow()
{
    return m_zOrder.empty() ? kNoWindow : m_zOrder.front();
}

WindowHandle SimDesktop::GetNextWindow(WindowHandle w)
{
    const auto it = std::find(m_zOrder.begin(), m_zOrder.end(), w);
    return (it == m_zOrder.end() || it + 1 == m_zOrder.end()) ? kNoWindow : *(it + 1);
}

WindowHandle SimDesktop::GetPrevWindow(WindowHandle w)
{
    const auto it = std::find(m_zOrder.begin(), m_zOrder.end(), w);
    return (it == m_zOrder.end() || it == m_zOrder.begin()) ? kNoWindow : *(it - 1);
}

WindowHandle SimDesktop::GetLastWindow(WindowHandle w)
{
    return (Find(w) && !m_zOrder.empty()) ? m_zOrder.back() : kNoWindow;
}

bool SimDesktop::IsWindow(WindowHandle w)
{
    ++m_stateQueries;
    return Find(w) != nullptr;
}

bool SimDesktop::IsWindowVisible(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    return window && window->setup.visible;
}

bool SimDesktop::IsIconic(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    return window && window->setup.minimized;
}

bool SimDesktop::IsZoomed(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    return window && window->setup.maximized;
}

std::optional<Rect> SimDesktop::GetWindowRect(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    if (!window)
    {
        return std::nullopt;
    }
    return window->setup.rect;
}

std::string SimDesktop::GetClassName(WindowHandle w)
{
    ++m_stateQueries;
    ++m_classQueries;
    const Window* window = Find(w);
    return window ? window->setup.className : std::string();
}

std::string SimDesktop::GetWindowText(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    return window ? window->setup.title : std::string();
}

std::uint32_t SimDesktop::GetWindowProcessId(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    return window ? window->setup.processId : 0;
}

bool SimDesktop::MoveWindow(WindowHandle w, Point topLeft)
{
    Log(w, "move");
    Window* window = Find(w);
    if (!window)
    {
        return false;
    }
    if (IsHung(*window))
    {
        // SetWindowPos on another thread's window waits for that thread.
        ++m_blockedMoves;
        WaitUntilAwake(*window);
    }
    const Rect& r = window->setup.rect;
    const Point p = Clamped(topLeft);
    window->setup.rect = Rect::FromSize(p.x, p.y, r.Width(), r.Height());
    ++window->moves;
    return true;
}

bool SimDesktop::MoveWindowAsync(WindowHandle w, Point topLeft)
{
    Log(w, "move-async");
    Window* window = Find(w);
    if (!window)
    {
        return false;
    }
    window->pendingAsyncMove = topLeft;
    ApplyWokenAsyncMoves();
    return true;
}

void SimDesktop::ShowWindow(WindowHandle w, ShowCommand command)
{
    Log(w, command == ShowCommand::Hide ? "hide" : "show");
    ShowWindowNow(w, command);
}

void SimDesktop::ShowWindowNow(WindowHandle w, ShowCommand command)
{
    Window* window = Find(w);
    if (!window)
    {
        return;
    }
    switch (command)
    {
    case ShowCommand::Hide:
        window->setup.visible = false;
        if (m_foreground == w)
        {
            m_foreground = kNoWindow;
        }
        break;
    case ShowCommand::Show:
        window->setup.visible = true;
        SetForegroundWindow(w);
        break;
    case ShowCommand::ShowNoActivate:
        window->setup.visible = true;
        break;
    case ShowCommand::Minimize:
        if (!window->setup.minimized)
        {
            window->restoreRect = window->setup.rect;
            window->setup.minimized = true;
            window->setup.rect = Rect::FromSize(kParked, kParked, 160, 24);
        }
        break;
    case ShowCommand::Restore:
        if (window->setup.minimized)
        {
            window->setup.minimized = false;
            window->setup.rect = window->restoreRect;
        }
        window->setup.visible = true;
        break;
    }
}

void SimDesktop::ShowWindowAsync(WindowHandle w, ShowCommand command)
{
    Log(w, std::string(command == ShowCommand::Hide ? "hide" : "show") + "-async");
    if (Window* window = Find(w))
    {
        window->pendingAsyncShow = command;
        ApplyWokenAsyncMoves();
    }
}

void SimDesktop::BringWindowToTop(WindowHandle w)
{
    Log(w, "raise");
    RaiseToTop(w);
}

void SimDesktop::BringWindowToTopAsync(WindowHandle w)
{
    Log(w, "raise-async");
    Window* window = Find(w);
    if (!window)
    {
        return;
    }
    window->pendingAsyncRaise = true;
    ApplyWokenAsyncMoves();
}

std::optional<WindowState> SimDesktop::GetWindowState(WindowHandle w)
{
    ++m_stateQueries;
    const Window* window = Find(w);
    if (!window)
    {
        return std::nullopt;
    }
    return WindowState{window->setup.rect, window->setup.visible, window->setup.minimized};
}

bool SimDesktop::SetForegroundWindow(WindowHandle w)
{
    if (w == kDesktopWindow)
    {
        m_foreground = kNoWindow;
        return true;
    }
    if (!Find(w))
    {
        return false;
    }
    m_foreground = w;
    RaiseToTop(w);
    return true;
}

void SimDesktop::SetActiveWindow(WindowHandle w)
{
    SetForegroundWindow(w);
}

std::pair<bool, std::uint64_t> SimDesktop::ProbeFromNow(WindowHandle w, unsigned timeoutMs)
{
    ++m_probes;
    Window* window = Find(w);
    if (!window)
    {
        return {false, 0};
    }
    if (window->onProbe)
    {
        const std::function<void()> work = std::move(window->onProbe);
        window->onProbe = nullptr;
        work();
        window = Find(w);
        if (!window)
        {
            return {false, 0};
        }
    }
    if (window->destroyOnProbe)
    {
        DestroyWindow(w);
        return {false, 0};
    }
    std::uint64_t waited = 0;
    if (window->holdAsync && !IsHung(*window))
    {
        // What was sent before the probe is handled before it is answered.
        window->holdAsync = false;
        ApplyWokenAsyncMoves();
        window = Find(w);
        if (!window)
        {
            return {false, 0};
        }
        window->holdAsync = true; // and what comes after waits again
    }
    if (IsHung(*window))
    {
        if (m_now >= window->hungSince && m_now - window->hungSince >= kHungThresholdMs)
        {
            return {false, 0}; // already counted as hung: SMTO_ABORTIFHUNG returns at once
        }
        if (window->hungUntil - m_now > timeoutMs)
        {
            return {false, timeoutMs};
        }
        waited = window->hungUntil - m_now;
    }
    const bool answered = window->probeAnswer == 0;
    if (window->hangAfterProbeUntil > m_now + waited)
    {
        window->hungSince = m_now + waited;
        window->hungUntil = window->hangAfterProbeUntil;
        window->hangAfterProbeUntil = 0;
    }
    return {answered, waited};
}

bool SimDesktop::ProbeWindow(WindowHandle w, unsigned timeoutMs)
{
    const auto [answered, waited] = ProbeFromNow(w, timeoutMs);
    m_now += waited;
    ApplyWokenAsyncMoves();
    return answered;
}

std::vector<bool> SimDesktop::ProbeWindows(const std::vector<WindowHandle>& windows, unsigned timeoutMs)
{
    std::vector<bool> answered;
    answered.reserve(windows.size());
    std::uint64_t longest = 0;
    for (const WindowHandle w : windows)
    {
        const auto [ok, waited] = ProbeFromNow(w, timeoutMs);
        answered.push_back(ok);
        longest = std::max(longest, waited);
    }
    m_now += longest;
    ApplyWokenAsyncMoves();
    return answered;
}

std::optional<std::intptr_t> SimDesktop::HitTest(WindowHandle w, Point screen, unsigned timeoutMs)
{
    if (!ProbeWindow(w, timeoutMs))
    {
        return std::nullopt;
    }
    const Rect& r = Find(w)->setup.rect;
    if (!r.Contains(screen))
    {
        return hit::kNowhere;
    }
    return screen.y < r.top + GetCaptionFrameHeight() ? hit::kCaption : hit::kClient;
}

std::int16_t SimDesktop::GetKeyState(int virtualKey)
{
    const auto it = m_keys.find(virtualKey);
    return (it != m_keys.end() && it->second) ? static_cast<std::int16_t>(0x8000) : 0;
}

std::int16_t SimDesktop::GetAsyncKeyState(int virtualKey)
{
    return GetKeyState(virtualKey);
}

std::uint32_t SimDesktop::RegisterWindowMessage(const std::string& name)
{
    // Registered ids live in 0xC000..0xFFFF and compare without case, as on Windows.
    const std::string key = text::ToLowerAscii(name);
    const auto it = m_messages.find(key);
    if (it != m_messages.end())
    {
        return it->second;
    }
    const auto id = static_cast<std::uint32_t>(0xC000 + m_messages.size());
    m_messages.emplace(key, id);
    return id;
}

void SimDesktop::PlaySoundAsync(const std::string& file)
{
    m_sounds.push_back(file);
}

std::string SimDesktop::ExpandEnvironmentStrings(const std::string& input)
{
    std::string out;
    std::size_t i = 0;
    while (i < input.size())
    {
        const std::size_t start = input.find('%', i);
        const std::size_t end = start == std::string::npos ? std::string::npos : input.find('%', start + 1);
        if (end == std::string::npos)
        {
            out += input.substr(i);
            break;
        }
        out += input.substr(i, start - i);
        const std::string name = input.substr(start + 1, end - start - 1);
        const auto it = m_environment.find(text::ToLowerAscii(name));
        if (it != m_environment.end())
        {
            out += it->second;
            i = end + 1;
        }
        else
        {
            // Unknown names stay as written, percent signs included.
            out += input.substr(start, end - start);
            i = end;
        }
    }
    return out;
}

bool SimDesktop::ShellOpen(const std::string& path)
{
    return ShellOpen(path, {}, LaunchShow::Normal);
}

bool SimDesktop::ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show)
{
    const bool accepted =
        std::find(m_refusedOpens.begin(), m_refusedOpens.end(), text::ToLowerAscii(path)) == m_refusedOpens.end();
    m_opened.push_back({path, workingFolder, show, accepted});
    return accepted;
}

std::vector<std::string> SimDesktop::ShellOpenedPaths() const
{
    std::vector<std::string> paths;
    for (const ShellOpenCall& call : m_opened)
    {
        if (call.accepted)
        {
            paths.push_back(call.path);
        }
    }
    return paths;
}

void SimDesktop::RefuseShellOpen(const std::string& path)
{
    m_refusedOpens.push_back(text::ToLowerAscii(path));
}

void SimDesktop::PostToGui(std::function<void()> work)
{
    std::lock_guard lock(m_postedLock);
    m_posted.push_back(std::move(work));
}

std::unique_ptr<Timer> SimDesktop::CreateTimer(unsigned intervalMs, std::function<void()> onTick)
{
    return std::make_unique<SimTimer>(this, intervalMs, std::move(onTick));
}

} // namespace zim::sim
