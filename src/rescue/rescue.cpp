// zimdesk-rescue.exe [--force]: puts back the windows of a Zim Desk that died,
// from outside. With the record the program keeps while it runs, every window
// goes back to its desktop as seen from desktop (0, 0) and every window it held
// hidden is shown; without one, every visible window lying wholly off the screen
// is brought back by whole screens and hidden windows are left alone. A running
// Zim Desk's record is left to it unless --force is given (for one that hangs).
// Prints what it did.

#include "engine/recovery.h"
#include "platform/win32/handles.h"
#include "platform/win32/process_identity.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_window_system.h"

#include <windows.h>

#include <string>

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitOwnerRuns = 1;
constexpr int kExitUsage = 2;

void Print(const std::string& text)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
    {
        return;
    }
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    bool force = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::wstring(argv[i]) == L"--force")
        {
            force = true;
        }
        else
        {
            Print("usage: zimdesk-rescue.exe [--force]\n"
                  "  brings back the windows a Zim Desk that died left off the screen or hidden\n");
            return kExitUsage;
        }
    }

    zim::win32::Win32WindowSystem windows;
    zim::win32::Win32Registry registry;
    // Its own console must not be taken for a window to bring back.
    const zim::WindowHandle console = zim::win32::FromHwnd(GetConsoleWindow());
    const auto ownConsole = [console](zim::WindowHandle w) { return console != zim::kNoWindow && w == console; };
    const auto alive = [force](std::uint32_t process, std::uint64_t start)
    { return !force && zim::win32::ProcessAlive(process, start); };

    const zim::PreviousRun run = zim::RecoverPreviousRun(windows, registry, alive, ownConsole);
    if (run.ownerAlive)
    {
        Print("Zim Desk is running (process " + std::to_string(run.read.record.ownerProcess) +
              ") and keeps its windows itself; exit it first, or use --force if it hangs.\n");
        return kExitOwnerRuns;
    }
    zim::RecoveryOutcome outcome;
    if (run.read.status == zim::RecordRead::Status::Missing)
    {
        Print("No record of a Zim Desk run: bringing back windows that lie off the screen.\n");
        const auto none = [](zim::WindowHandle) { return false; };
        outcome = zim::BringOffScreenWindowsBack({windows, ownConsole, none, 0, 0});
    }
    else
    {
        outcome = run.outcome;
        if (outcome.damaged)
        {
            Print("The record of the last Zim Desk run was unreadable: only windows beyond every desktop were "
                  "moved.\n");
        }
        else
        {
            const zim::RecoveryRecord& record = run.read.record;
            Print("Zim Desk (process " + std::to_string(record.ownerProcess) + ") died on desktop (" +
                  std::to_string(record.shown.x) + "," + std::to_string(record.shown.y) + ") of " +
                  std::to_string(record.columns) + "x" + std::to_string(record.rows) + ", " +
                  std::to_string(record.hidden.size()) + " windows held hidden.\n");
        }
        if (outcome.screenChanged)
        {
            Print("The screen size has changed since: windows keep their desktops, moved as far onto the screen "
                  "as they fit.\n");
        }
    }
    for (const std::string& line : outcome.log)
    {
        Print(line + "\n");
    }
    Print("Recovered " + std::to_string(outcome.Recovered()) + " windows (" + std::to_string(outcome.shifted) +
          " to their desktops, " + std::to_string(outcome.shownHidden) + " shown, " +
          std::to_string(outcome.broughtOnScreen) + " onto the screen; " + std::to_string(outcome.stale) + " stale, " +
          std::to_string(outcome.notAnswering) + " not answering).\n");
    return kExitOk;
}
