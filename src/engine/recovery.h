#pragma once

// Surviving a crash or a kill. While the program runs, a record of what it has
// done to other programs' windows (the shown desktop, the grid and screen it was
// computed with, and every window held hidden) is kept in a volatile registry
// key of its own; a clean exit removes it. A record found at start means that an
// earlier run died: its windows are put back as if it had switched to desktop
// (0, 0) first, and every window it held hidden is shown. The rescue command
// does the same from outside.

#include "engine/desktop_grid.h"
#include "engine/hide_mode.h"
#include "platform/function_ref.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zim
{

inline constexpr std::string_view kRecoveryKey = "Software\\Zim Desk\\Recovery";
inline constexpr std::string_view kRecoveryValue = "State";
// More entries than this are taken as damage, not as windows.
inline constexpr std::size_t kMaxRecordedWindows = 1000;

// One window held hidden: shown at `place` when its desktop is shown.
struct RecordedWindow
{
    WindowHandle wnd = kNoWindow;
    std::string className;
    Point desktop;
    Rect place;
    friend bool operator==(const RecordedWindow&, const RecordedWindow&) = default;
};

// A window whose move a mover still owes: it was at `place` when recorded and
// is to move by `shift`. Taken into account only while it is still at `place`,
// so a move made after the record was written is never made twice.
struct RecordedShift
{
    WindowHandle wnd = kNoWindow;
    std::string className;
    Rect place;
    Point shift;
    friend bool operator==(const RecordedShift&, const RecordedShift&) = default;
};

struct RecoveryRecord
{
    // The process that keeps the record and when it started (system time units),
    // so that a second start never undoes what a live first one did.
    std::uint32_t ownerProcess = 0;
    std::uint64_t ownerStart = 0;
    Point shown;
    // The desktop shown before the last switch. The record is written as a
    // switch begins, so a run that dies in the middle of one leaves some windows
    // moved and some not: a window that no desktop holds when taken as moved is
    // taken as not moved yet.
    Point from;
    int columns = 0;
    int rows = 0;
    Size screen;
    std::vector<RecordedWindow> hidden;
    std::vector<RecordedShift> pending;
    friend bool operator==(const RecoveryRecord&, const RecoveryRecord&) = default;
};

struct RecordRead
{
    enum class Status
    {
        Missing, // no record: the last run ended cleanly
        Ok,
        Damaged, // a record that cannot be trusted as a whole
    };
    Status status = Status::Missing;
    RecoveryRecord record;
    // Entries of an otherwise sound record that were unreadable and left out.
    int badEntries = 0;
};

std::string SerializeRecord(const RecoveryRecord& record);
// Never throws; anything unexpected makes the record Damaged or drops one entry.
RecordRead ParseRecord(std::string_view text);

RecordRead ReadRecord(Registry& registry, const std::string& key = std::string(kRecoveryKey));
bool WriteRecord(Registry& registry, const RecoveryRecord& record, const std::string& key = std::string(kRecoveryKey));
void RemoveRecord(Registry& registry, const std::string& key = std::string(kRecoveryKey));

struct RecoveryOutcome
{
    int shifted = 0;         // windows put back on their own desktops
    int shownHidden = 0;     // held windows shown
    int broughtOnScreen = 0; // windows beyond every desktop, brought onto the screen
    int stale = 0;           // recorded held windows gone, or now of another class
    int notAnswering = 0;    // moved or shown without waiting for them
    int owedMoves = 0;       // windows that had not yet made a move a mover owed them
    bool screenChanged = false;
    bool damaged = false;
    // What was done, one line a window, for the rescue command to print.
    std::vector<std::string> log;

    int Recovered() const { return shifted + shownHidden + broughtOnScreen; }
};

// What a recovery works on.
struct RecoveryScene
{
    WindowSystem& windows;
    // Windows to leave where they are: sticky ones never left the screen, and
    // the caller's own.
    FunctionRef<bool(WindowHandle)> leaveAlone;
    // Windows hide mode handles (compatibility classes, or every window with
    // "hide all"): the new run cannot hold them hidden for a desktop it never
    // saw, and they must not be left off the screen, so they stay on it, at
    // their place on their own desktop.
    FunctionRef<bool(WindowHandle)> keepOnScreen;
    // The grid the coming start uses; a window beyond it comes onto the screen.
    int columns = 0;
    int rows = 0;
};

// A window that does not answer this fast is moved and shown without waiting.
inline constexpr unsigned kRecoveryProbeMs = 100;

// From a record read at start: with a sound record every window goes back to
// its own desktop as seen from (0, 0) and every held window is shown at its
// place on the screen; with a damaged one only windows that no desktop of the
// grid holds are brought onto the screen. A missing record does nothing.
RecoveryOutcome RecoverWindows(const RecoveryScene& scene, const RecordRead& read);
// Without any record: every visible window lying wholly off the screen is
// brought back by whole screens; hidden windows are not touched.
RecoveryOutcome BringOffScreenWindowsBack(const RecoveryScene& scene);

// The last thing a crashing process does: every visible window lying off the
// screen is sent onto it and every held window is shown, all with asynchronous
// calls, so that nothing waits on another program. Returns the windows touched.
int GatherOntoScreenAsync(WindowSystem& windows, const HideWndEntries& held);

// What the start found of an earlier run.
struct PreviousRun
{
    RecordRead read;
    // The record's owner still runs: it was left alone.
    bool ownerAlive = false;
    RecoveryOutcome outcome;
};

// The recovery at start and in the rescue command: reads the record; unless
// its owner still runs (ownerAlive(process, start)), recovers from it with the
// classification of the stored settings (read without messages) and removes it.
// `alsoLeaveAlone` names the caller's own windows.
PreviousRun RecoverPreviousRun(WindowSystem& windows, Registry& registry,
                               FunctionRef<bool(std::uint32_t, std::uint64_t)> ownerAlive,
                               FunctionRef<bool(WindowHandle)> alsoLeaveAlone,
                               const std::string& key = std::string(kRecoveryKey));

// Keeps the record current: one write as a switch begins (its target, before
// any window moves), one when the held windows change outside a switch, and
// during a switch only when a window not in the written record was hidden (it
// could otherwise stay hidden for good); windows shown again during a switch
// are written once at its end.
class RecoveryRecorder final : public SwitchListener
{
public:
    RecoveryRecorder(Registry& registry, WindowSystem& windows, DesktopGrid& grid, const HideMode& hideMode,
                     std::uint32_t ownerProcess, std::uint64_t ownerStart, std::string key = std::string(kRecoveryKey));
    ~RecoveryRecorder() override;

    // Writes the first record and follows the switches from now on.
    void Start();
    // The moves still owed to windows that did not answer in time, by window;
    // written with every record, and once more at the end of a switch that
    // leaves any.
    void SetPendingSource(std::function<std::vector<std::pair<WindowHandle, Point>>()> source)
    {
        m_pendingSource = std::move(source);
    }
    // The clean exit: the record goes and no more is written.
    void Finish();
    // HideMode's change notification.
    void HiddenChanged();

    void DesktopSwitching(Point from, Point to) override;
    void DesktopSwitched(Point from, Point to) override;

    int Writes() const { return m_writes; }
    RecoveryRecord Snapshot() const;

private:
    void Write();

    Registry& m_registry;
    WindowSystem& m_windows;
    DesktopGrid& m_grid;
    const HideMode& m_hideMode;
    std::uint32_t m_ownerProcess;
    std::uint64_t m_ownerStart;
    std::string m_key;
    bool m_active = false;
    bool m_switching = false;
    bool m_dirty = false;
    Point m_shown;
    Point m_from;
    std::set<WindowHandle> m_written;
    bool m_writtenPending = false;
    std::function<std::vector<std::pair<WindowHandle, Point>>()> m_pendingSource;
    int m_writes = 0;
};

} // namespace zim
