#include "engine/recovery.h"

#include "engine/classification.h"
#include "platform/text.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>

namespace zim
{

namespace
{

constexpr std::string_view kMagic = "zimdesk-recovery 1";
// Screens wider or taller than this are not screens but damage.
constexpr std::int32_t kMaxScreen = 32767;

std::int32_t FloorDiv(std::int32_t a, std::int32_t b)
{
    const std::int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::string Escape(std::string_view s)
{
    std::string out;
    for (const char c : s)
    {
        if (c == '\\')
        {
            out += "\\\\";
        }
        else if (c == '\n')
        {
            out += "\\n";
        }
        else if (c == '\r')
        {
            out += "\\r";
        }
        else
        {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\')
        {
            out += s[i];
            continue;
        }
        if (++i == s.size())
        {
            return std::nullopt;
        }
        switch (s[i])
        {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// Splits off the next space-separated word.
std::string_view NextWord(std::string_view& line)
{
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos)
    {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const std::size_t end = line.find(' ');
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    return word;
}

template <typename T> std::optional<T> Number(std::string_view word, int base = 10)
{
    if (base == 16 && word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X'))
    {
        word.remove_prefix(2);
    }
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    if (word.empty() || error != std::errc{} || end != word.data() + word.size())
    {
        return std::nullopt;
    }
    return value;
}

// The words of a line as 32-bit numbers, exactly `count` of them.
bool Numbers(std::string_view line, std::int32_t* out, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const auto n = Number<std::int32_t>(NextWord(line));
        if (!n)
        {
            return false;
        }
        out[i] = *n;
    }
    return NextWord(line).empty();
}

bool InCoordinates(std::int64_t v)
{
    return v >= kMinWindowCoordinate && v <= kMaxWindowCoordinate;
}

std::optional<RecordedWindow> ParseWindow(std::string_view line)
{
    RecordedWindow entry;
    const auto handle = Number<std::uint64_t>(NextWord(line), 16);
    if (!handle || *handle == 0 || *handle > std::numeric_limits<WindowHandle>::max())
    {
        return std::nullopt;
    }
    entry.wnd = static_cast<WindowHandle>(*handle);
    std::int32_t v[6];
    for (std::int32_t& n : v)
    {
        const auto word = Number<std::int32_t>(NextWord(line));
        if (!word)
        {
            return std::nullopt;
        }
        n = *word;
    }
    entry.desktop = {v[0], v[1]};
    entry.place = {v[2], v[3], v[4], v[5]};
    const auto className = Unescape(line);
    if (!className || className->empty() || !InCoordinates(v[2]) || !InCoordinates(v[3]) || v[4] <= v[2] ||
        v[5] <= v[3] || std::int64_t{v[4]} - v[2] > 2 * kMaxScreen || std::int64_t{v[5]} - v[3] > 2 * kMaxScreen)
    {
        return std::nullopt;
    }
    entry.className = *className;
    return entry;
}

// "move" lines: handle, shift, place, class.
std::optional<RecordedShift> ParseShift(std::string_view line)
{
    const auto handle = Number<std::uint64_t>(NextWord(line), 16);
    if (!handle || *handle == 0 || *handle > std::numeric_limits<WindowHandle>::max())
    {
        return std::nullopt;
    }
    std::int32_t v[6];
    for (std::int32_t& n : v)
    {
        const auto word = Number<std::int32_t>(NextWord(line));
        if (!word)
        {
            return std::nullopt;
        }
        n = *word;
    }
    RecordedShift entry;
    entry.wnd = static_cast<WindowHandle>(*handle);
    entry.shift = {v[0], v[1]};
    entry.place = {v[2], v[3], v[4], v[5]};
    const auto className = Unescape(line);
    if (!className || className->empty() || !InCoordinates(v[2]) || !InCoordinates(v[3]) || v[4] <= v[2] ||
        v[5] <= v[3] || std::abs(std::int64_t{v[0]}) > 2 * kMaxWindowCoordinate ||
        std::abs(std::int64_t{v[1]}) > 2 * kMaxWindowCoordinate)
    {
        return std::nullopt;
    }
    entry.className = *className;
    return entry;
}

std::string HandleText(WindowHandle w)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(w));
    return buffer;
}

std::string PointText(Point p)
{
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

// Keeps a window inside a screen of another size: wholly on it when it fits,
// else its top-left corner as far in as the window allows.
Point FitOnScreen(Point topLeft, Size window, Size screen)
{
    const std::int32_t spareX = screen.width - window.width;
    const std::int32_t spareY = screen.height - window.height;
    return {std::clamp(topLeft.x, std::min(0, spareX), std::max(0, spareX)),
            std::clamp(topLeft.y, std::min(0, spareY), std::max(0, spareY))};
}

// The window's desktop relative to the shown one as a switch reckons it, and its
// place on that desktop.
struct DesktopPlace
{
    Point desktop;
    Point local;
};

DesktopPlace PlaceOf(const Rect& r, Size screen, int captionFrameHeight)
{
    const std::int32_t column = FloorDiv(r.left + (r.right - r.left) / 2, screen.width);
    const std::int32_t row = FloorDiv(r.top + captionFrameHeight, screen.height);
    return {{column, row}, {r.left - column * screen.width, r.top - row * screen.height}};
}

// Moves without waiting on a window that does not answer; true when it moved.
bool MoveTo(WindowSystem& windows, WindowHandle w, Point from, Point to, RecoveryOutcome& outcome)
{
    if (from == to)
    {
        return false;
    }
    if (windows.ProbeWindow(w, kRecoveryProbeMs))
    {
        windows.MoveWindow(w, to);
    }
    else
    {
        windows.MoveWindowAsync(w, to);
        ++outcome.notAnswering;
    }
    return true;
}

bool Eligible(const RecoveryScene& scene, WindowHandle w)
{
    WindowSystem& windows = scene.windows;
    return windows.IsWindow(w) && windows.IsWindowVisible(w) && !windows.IsIconic(w) && !scene.leaveAlone(w);
}

bool ValidHeader(const RecoveryRecord& r)
{
    return DesktopGrid::IsValidSize(r.columns) && DesktopGrid::IsValidSize(r.rows) && r.shown.x >= 0 &&
           r.shown.y >= 0 && r.shown.x < r.columns && r.shown.y < r.rows && r.screen.width > 0 && r.screen.height > 0 &&
           r.screen.width <= kMaxScreen && r.screen.height <= kMaxScreen;
}

} // namespace

std::string SerializeRecord(const RecoveryRecord& record)
{
    std::string out(kMagic);
    out += "\nowner " + std::to_string(record.ownerProcess) + " " + std::to_string(record.ownerStart);
    out += "\nshown " + std::to_string(record.shown.x) + " " + std::to_string(record.shown.y);
    out += "\nfrom " + std::to_string(record.from.x) + " " + std::to_string(record.from.y);
    out += "\ngrid " + std::to_string(record.columns) + " " + std::to_string(record.rows);
    out += "\nscreen " + std::to_string(record.screen.width) + " " + std::to_string(record.screen.height);
    out += "\nhidden " + std::to_string(record.hidden.size());
    for (const RecordedWindow& w : record.hidden)
    {
        out += "\nwindow " + HandleText(w.wnd) + " " + std::to_string(w.desktop.x) + " " + std::to_string(w.desktop.y) +
               " " + std::to_string(w.place.left) + " " + std::to_string(w.place.top) + " " +
               std::to_string(w.place.right) + " " + std::to_string(w.place.bottom) + " " + Escape(w.className);
    }
    if (!record.pending.empty())
    {
        out += "\npending " + std::to_string(record.pending.size());
        for (const RecordedShift& w : record.pending)
        {
            out += "\nmove " + HandleText(w.wnd) + " " + std::to_string(w.shift.x) + " " + std::to_string(w.shift.y) +
                   " " + std::to_string(w.place.left) + " " + std::to_string(w.place.top) + " " +
                   std::to_string(w.place.right) + " " + std::to_string(w.place.bottom) + " " + Escape(w.className);
        }
    }
    out += "\n";
    return out;
}

RecordRead ParseRecord(std::string_view text)
{
    RecordRead read;
    read.status = RecordRead::Status::Damaged;
    std::vector<std::string_view> lines;
    while (!text.empty())
    {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
        {
            line.remove_suffix(1);
        }
        if (!line.empty())
        {
            lines.push_back(line);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (lines.size() > kMaxRecordedWindows + 16)
        {
            return read; // far more than any record holds
        }
    }
    if (lines.empty() || lines.front() != kMagic)
    {
        return read;
    }

    RecoveryRecord& record = read.record;
    bool haveOwner = false, haveShown = false, haveFrom = false, haveGrid = false, haveScreen = false;
    std::optional<std::size_t> count;
    std::optional<std::size_t> pendingCount;
    int badPending = 0;
    for (std::size_t i = 1; i < lines.size(); ++i)
    {
        std::string_view rest = lines[i];
        const std::string_view word = NextWord(rest);
        std::int32_t v[2];
        if (word == "owner" && !haveOwner)
        {
            const auto pid = Number<std::uint32_t>(NextWord(rest));
            const auto start = Number<std::uint64_t>(NextWord(rest));
            if (!pid || !start || !NextWord(rest).empty())
            {
                return read;
            }
            record.ownerProcess = *pid;
            record.ownerStart = *start;
            haveOwner = true;
        }
        else if (word == "shown" && !haveShown && Numbers(rest, v, 2))
        {
            record.shown = {v[0], v[1]};
            haveShown = true;
        }
        else if (word == "from" && !haveFrom && Numbers(rest, v, 2))
        {
            record.from = {v[0], v[1]};
            haveFrom = true;
        }
        else if (word == "grid" && !haveGrid && Numbers(rest, v, 2))
        {
            record.columns = v[0];
            record.rows = v[1];
            haveGrid = true;
        }
        else if (word == "screen" && !haveScreen && Numbers(rest, v, 2))
        {
            record.screen = {v[0], v[1]};
            haveScreen = true;
        }
        else if (word == "hidden" && !count)
        {
            const auto n = Number<std::size_t>(NextWord(rest));
            if (!n || *n > kMaxRecordedWindows || !NextWord(rest).empty())
            {
                return read;
            }
            count = *n;
        }
        else if (word == "pending" && count && !pendingCount)
        {
            const auto n = Number<std::size_t>(NextWord(rest));
            if (!n || *n > kMaxRecordedWindows || !NextWord(rest).empty())
            {
                return read;
            }
            pendingCount = *n;
        }
        else if (word == "move" && pendingCount)
        {
            if (auto entry = ParseShift(rest))
            {
                record.pending.push_back(std::move(*entry));
            }
            else
            {
                ++badPending;
            }
        }
        else if (word == "window" && count && !pendingCount)
        {
            if (auto entry = ParseWindow(rest))
            {
                record.hidden.push_back(std::move(*entry));
            }
            else
            {
                ++read.badEntries;
            }
        }
        else
        {
            return read; // a repeated, unknown or malformed line
        }
    }
    if (!haveShown || !haveGrid || !haveScreen || !count || !ValidHeader(record) ||
        record.hidden.size() + static_cast<std::size_t>(read.badEntries) != *count ||
        (pendingCount && record.pending.size() + static_cast<std::size_t>(badPending) != *pendingCount))
    {
        return read;
    }
    read.badEntries += badPending;
    if (!haveFrom)
    {
        record.from = record.shown;
    }
    else if (record.from.x < 0 || record.from.y < 0 || record.from.x >= record.columns || record.from.y >= record.rows)
    {
        return read;
    }
    read.status = RecordRead::Status::Ok;
    return read;
}

RecordRead ReadRecord(Registry& registry, const std::string& key)
{
    if (!registry.KeyExists(key))
    {
        return {};
    }
    std::string text;
    switch (registry.ReadString(key, std::string(kRecoveryValue), text))
    {
    case RegistryRead::Ok:
        return ParseRecord(text);
    case RegistryRead::WrongType:
    case RegistryRead::Missing:
        break;
    }
    // A key without a readable record: a run died, but what it did is unknown.
    RecordRead read;
    read.status = RecordRead::Status::Damaged;
    return read;
}

bool WriteRecord(Registry& registry, const RecoveryRecord& record, const std::string& key)
{
    // Created volatile before every write: an ordinary key left by a failed
    // write would outlive the session and undo a switch nobody made.
    return registry.CreateVolatileKey(key) &&
           registry.WriteString(key, std::string(kRecoveryValue), SerializeRecord(record));
}

void RemoveRecord(Registry& registry, const std::string& key)
{
    registry.DeleteKey(key);
}

RecoveryOutcome RecoverWindows(const RecoveryScene& scene, const RecordRead& read)
{
    RecoveryOutcome outcome;
    if (read.status == RecordRead::Status::Missing)
    {
        return outcome;
    }
    WindowSystem& windows = scene.windows;
    const Size now = windows.GetScreenSize();
    if (now.width <= 0 || now.height <= 0)
    {
        return outcome;
    }
    const int caption = windows.GetCaptionFrameHeight();
    const bool sound = read.status == RecordRead::Status::Ok;
    const RecoveryRecord& record = read.record;
    outcome.damaged = !sound;
    const Size then = sound ? record.screen : now;
    const Point shown = sound ? record.shown : Point{};
    outcome.screenChanged = sound && then != now;
    const int columns = DesktopGrid::IsValidSize(scene.columns) ? scene.columns : (sound ? record.columns : 1);
    const int rows = DesktopGrid::IsValidSize(scene.rows) ? scene.rows : (sound ? record.rows : 1);

    // The held windows that are still the windows recorded.
    std::map<WindowHandle, const RecordedWindow*> held;
    if (sound)
    {
        for (const RecordedWindow& entry : record.hidden)
        {
            if (held.count(entry.wnd))
            {
                continue;
            }
            if (!windows.IsWindow(entry.wnd) ||
                text::TruncateChars(windows.GetClassName(entry.wnd), kMaxNameChars) != entry.className)
            {
                ++outcome.stale;
                outcome.log.push_back("skipped " + HandleText(entry.wnd) + " (" + entry.className +
                                      "): gone or another window now");
                continue;
            }
            held[entry.wnd] = &entry;
        }
    }

    // Windows still owed a move: seen where that move takes them, as long as
    // they have not moved since the record was written.
    std::map<WindowHandle, Point> owed;
    if (sound)
    {
        for (const RecordedShift& entry : record.pending)
        {
            if (!held.count(entry.wnd) && windows.IsWindow(entry.wnd) &&
                windows.GetWindowRect(entry.wnd) == entry.place &&
                text::TruncateChars(windows.GetClassName(entry.wnd), kMaxNameChars) == entry.className)
            {
                owed.emplace(entry.wnd, entry.shift);
            }
        }
    }

    std::vector<WindowHandle> all;
    windows.EnumWindows(
        [&](WindowHandle w)
        {
            all.push_back(w);
            return true;
        });
    for (const WindowHandle w : all)
    {
        if (held.count(w) || !Eligible(scene, w))
        {
            continue;
        }
        const auto rect = windows.GetWindowRect(w);
        if (!rect)
        {
            continue;
        }
        const Size size{rect->Width(), rect->Height()};
        const auto owedShift = owed.find(w);
        const Rect seen = owedShift == owed.end() ? *rect : rect->Offset(owedShift->second.x, owedShift->second.y);
        if (owedShift != owed.end())
        {
            ++outcome.owedMoves;
        }
        const DesktopPlace place = PlaceOf(seen, then, caption);
        // On a screen of another size the window keeps its desktop and comes as
        // near its place on it as the new screen allows.
        const Point local = outcome.screenChanged ? FitOnScreen(place.local, size, now) : place.local;
        const bool onScreenOnly = scene.keepOnScreen(w);
        Point desktop;
        std::int64_t x = 0;
        std::int64_t y = 0;
        const auto reachableFrom = [&](Point base)
        {
            desktop = {base.x + place.desktop.x, base.y + place.desktop.y};
            x = std::int64_t{desktop.x} * now.width + local.x;
            y = std::int64_t{desktop.y} * now.height + local.y;
            return !onScreenOnly && desktop.x >= 0 && desktop.y >= 0 && desktop.x < columns && desktop.y < rows &&
                   InCoordinates(x) && InCoordinates(y);
        };
        // Not reachable as moved by the last switch: the run died before moving it.
        const bool reachable = reachableFrom(shown) || (sound && record.from != shown && reachableFrom(record.from));
        if (!reachable)
        {
            reachableFrom(shown); // its desktop as the record says, for the log
        }
        const Point from{rect->left, rect->top};
        if (reachable)
        {
            const Point to{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
            if (MoveTo(windows, w, from, to, outcome))
            {
                ++outcome.shifted;
                outcome.log.push_back("moved " + HandleText(w) + " back to desktop " + PointText(desktop));
            }
        }
        else if (MoveTo(windows, w, from, local, outcome))
        {
            ++outcome.broughtOnScreen;
            outcome.log.push_back("brought " + HandleText(w) + " of desktop " + PointText(desktop) +
                                  " onto the screen");
        }
    }

    for (const auto& [w, entry] : held)
    {
        // From the recorded place, but with the size the window has now: its
        // application may have resized it while it was hidden, and a place
        // reckoned for the old size can leave the new one wholly off the screen.
        const Rect current = windows.GetWindowRect(w).value_or(entry->place);
        const Rect rect = Rect::FromSize(entry->place.left, entry->place.top, current.Width(), current.Height());
        Point to = OnScreenPlace(rect, now, windows.GetResizeFrameWidth(), caption);
        if (outcome.screenChanged)
        {
            to = FitOnScreen(to, {rect.Width(), rect.Height()}, now);
        }
        const bool answers = windows.ProbeWindow(w, kRecoveryProbeMs);
        if (answers)
        {
            if (current.left != to.x || current.top != to.y)
            {
                windows.MoveWindow(w, to);
            }
            windows.ShowWindow(w, ShowCommand::ShowNoActivate);
        }
        else
        {
            windows.MoveWindowAsync(w, to);
            windows.ShowWindowAsync(w, ShowCommand::ShowNoActivate);
            ++outcome.notAnswering;
        }
        ++outcome.shownHidden;
        outcome.log.push_back("showed " + HandleText(w) + " (" + entry->className + ") of desktop " +
                              PointText(entry->desktop) + " on the screen");
    }
    return outcome;
}

RecoveryOutcome BringOffScreenWindowsBack(const RecoveryScene& scene)
{
    RecoveryOutcome outcome;
    WindowSystem& windows = scene.windows;
    const Size screen = windows.GetScreenSize();
    if (screen.width <= 0 || screen.height <= 0)
    {
        return outcome;
    }
    std::vector<WindowHandle> all;
    windows.EnumWindows(
        [&](WindowHandle w)
        {
            all.push_back(w);
            return true;
        });
    for (const WindowHandle w : all)
    {
        if (!Eligible(scene, w))
        {
            continue;
        }
        const auto rect = windows.GetWindowRect(w);
        if (!rect)
        {
            continue;
        }
        const Point to = OnScreenPlace(*rect, screen, windows.GetResizeFrameWidth(), windows.GetCaptionFrameHeight());
        if (MoveTo(windows, w, {rect->left, rect->top}, to, outcome))
        {
            ++outcome.broughtOnScreen;
            outcome.log.push_back("brought " + HandleText(w) + " onto the screen");
        }
    }
    return outcome;
}

int GatherOntoScreenAsync(WindowSystem& windows, const HideWndEntries& held)
{
    int touched = 0;
    const Size screen = windows.GetScreenSize();
    if (screen.width > 0 && screen.height > 0)
    {
        const int frame = windows.GetResizeFrameWidth();
        const int caption = windows.GetCaptionFrameHeight();
        windows.EnumWindows(
            [&](WindowHandle w)
            {
                if (!windows.IsWindowVisible(w) || windows.IsIconic(w))
                {
                    return true;
                }
                const auto rect = windows.GetWindowRect(w);
                if (!rect)
                {
                    return true;
                }
                const Point to = OnScreenPlace(*rect, screen, frame, caption);
                if (to != Point{rect->left, rect->top})
                {
                    windows.MoveWindowAsync(w, to);
                    ++touched;
                }
                return true;
            });
    }
    for (const auto& [className, item] : held)
    {
        if (item && item->hidden && windows.IsWindow(item->wnd))
        {
            windows.ShowWindowAsync(item->wnd, ShowCommand::Show);
            ++touched;
        }
    }
    return touched;
}

PreviousRun RecoverPreviousRun(WindowSystem& windows, Registry& registry,
                               FunctionRef<bool(std::uint32_t, std::uint64_t)> ownerAlive,
                               FunctionRef<bool(WindowHandle)> alsoLeaveAlone, const std::string& key)
{
    PreviousRun run;
    run.read = ReadRecord(registry, key);
    if (run.read.status == RecordRead::Status::Missing)
    {
        return run;
    }
    const RecoveryRecord& record = run.read.record;
    if (run.read.status == RecordRead::Status::Ok && record.ownerProcess != 0 &&
        ownerAlive(record.ownerProcess, record.ownerStart))
    {
        run.ownerAlive = true;
        return run;
    }
    // The sticky and compatibility lists as stored; a damaged setting takes its
    // default without a message here, the program's own load reports it.
    Options options;
    SettingsStore quiet(registry);
    quiet.LoadPartOne(options);
    quiet.LoadPartTwo(options, std::string());
    const auto leaveAlone = [&](WindowHandle w) { return alsoLeaveAlone(w) || IsStickyWindow(windows, options, w); };
    const auto keepOnScreen = [&](WindowHandle w)
    { return options.hideAllWC || IsCompatibilityClass(windows, options, w); };
    const RecoveryScene scene{windows, leaveAlone, keepOnScreen, options.sizeX, options.sizeY};
    run.outcome = RecoverWindows(scene, run.read);
    RemoveRecord(registry, key);
    return run;
}

RecoveryRecorder::RecoveryRecorder(Registry& registry, WindowSystem& windows, DesktopGrid& grid,
                                   const HideMode& hideMode, std::uint32_t ownerProcess, std::uint64_t ownerStart,
                                   std::string key)
    : m_registry(registry), m_windows(windows), m_grid(grid), m_hideMode(hideMode), m_ownerProcess(ownerProcess),
      m_ownerStart(ownerStart), m_key(std::move(key))
{
}

RecoveryRecorder::~RecoveryRecorder()
{
    if (m_active)
    {
        m_grid.Unsubscribe(*this);
    }
}

void RecoveryRecorder::Start()
{
    if (m_active)
    {
        return;
    }
    m_active = true;
    m_shown = m_grid.Current();
    m_from = m_shown;
    m_grid.Subscribe(*this);
    Write();
}

void RecoveryRecorder::Finish()
{
    if (m_active)
    {
        m_grid.Unsubscribe(*this);
        m_active = false;
    }
    RemoveRecord(m_registry, m_key);
}

void RecoveryRecorder::HiddenChanged()
{
    if (!m_active)
    {
        return;
    }
    if (!m_switching)
    {
        Write();
        return;
    }
    // In a switch, shown or forgotten windows wait for the write at its end; a
    // newly hidden one cannot.
    for (const auto& [className, item] : m_hideMode.HideWndList())
    {
        if (item->hidden && !m_written.count(item->wnd))
        {
            Write();
            return;
        }
    }
    m_dirty = true;
}

void RecoveryRecorder::DesktopSwitching(Point from, Point to)
{
    m_switching = true;
    if (!m_active || to == m_shown)
    {
        return; // the shown desktop again: nothing moves
    }
    m_from = from;
    m_shown = to;
    Write();
}

void RecoveryRecorder::DesktopSwitched(Point, Point)
{
    m_switching = false;
    // Windows handed to movers by this switch are still where it found them.
    const bool pending = m_pendingSource && !m_pendingSource().empty();
    if (m_active && (m_dirty || pending || m_writtenPending))
    {
        Write();
    }
}

RecoveryRecord RecoveryRecorder::Snapshot() const
{
    RecoveryRecord record;
    record.ownerProcess = m_ownerProcess;
    record.ownerStart = m_ownerStart;
    record.shown = m_shown;
    record.from = m_from;
    record.columns = m_grid.Columns();
    record.rows = m_grid.Rows();
    record.screen = m_windows.GetScreenSize();
    for (const auto& [className, item] : m_hideMode.HideWndList())
    {
        if (!item->hidden || record.hidden.size() >= kMaxRecordedWindows)
        {
            continue;
        }
        auto rect = m_windows.GetWindowRect(item->wnd);
        if (!rect)
        {
            continue; // gone: nothing to bring back
        }
        if (item->parked.Width() > 0)
        {
            rect = item->parked; // the calls that park it may still wait for its thread
        }
        // The showing adds a screen for a parked place left of or above the
        // screen; the record names the desktop itself.
        const Point desktop{item->column + (rect->left < 0 ? 1 : 0), item->row + (rect->top < 0 ? 1 : 0)};
        record.hidden.push_back({item->wnd, className, desktop, *rect});
    }
    if (m_pendingSource)
    {
        for (const auto& [wnd, shift] : m_pendingSource())
        {
            const auto rect = m_windows.GetWindowRect(wnd);
            if (!rect || (shift.x == 0 && shift.y == 0) || record.pending.size() >= kMaxRecordedWindows)
            {
                continue;
            }
            record.pending.push_back(
                {wnd, text::TruncateChars(m_windows.GetClassName(wnd), kMaxNameChars), *rect, shift});
        }
    }
    return record;
}

void RecoveryRecorder::Write()
{
    const RecoveryRecord record = Snapshot();
    m_written.clear();
    for (const RecordedWindow& w : record.hidden)
    {
        m_written.insert(w.wnd);
    }
    m_writtenPending = !record.pending.empty();
    m_dirty = false;
    ++m_writes;
    // A refused write is not worth a message: the run goes on as before.
    WriteRecord(m_registry, record, m_key);
}

} // namespace zim
