#include "app/crash_guard.h"

#include "engine/recovery.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <exception>

namespace zim::win32
{
namespace
{

struct Guarded
{
    WindowSystem* windows = nullptr;
    const HideMode* hideMode = nullptr;
    Registry* registry = nullptr;
    std::string recordKey;
};

Guarded g_guarded;
std::atomic<bool> g_gathered{false};
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

void GatherOnce()
{
    // Whichever thread fails first gathers; a second failure during it must not
    // start over.
    if (g_gathered.exchange(true) || !g_guarded.windows)
    {
        return;
    }
    GatherOntoScreenAsync(*g_guarded.windows, g_guarded.hideMode->HideWndList());
    // The windows are on the screen now: a record left behind would make the
    // next start shift them once more.
    if (!g_guarded.recordKey.empty())
    {
        RemoveRecord(*g_guarded.registry, g_guarded.recordKey);
    }
}

LONG WINAPI Filter(EXCEPTION_POINTERS* exception)
{
    GatherOnce();
    // The failure is reported as it would have been without this filter.
    return g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

void Terminate()
{
    GatherOnce();
    if (g_previousTerminate)
    {
        g_previousTerminate();
    }
    std::abort();
}

} // namespace

void InstallCrashGuard(WindowSystem& windows, const HideMode& hideMode, Registry& registry, std::string recordKey)
{
    g_guarded = Guarded{&windows, &hideMode, &registry, std::move(recordKey)};
    g_previousFilter = ::SetUnhandledExceptionFilter(Filter);
    g_previousTerminate = std::set_terminate(Terminate);
}

bool TestFaultEnabled()
{
    wchar_t value[8]{};
    const DWORD length = ::GetEnvironmentVariableW(L"ZIM_TEST_FAULT", value, static_cast<DWORD>(std::size(value)));
    return length == 1 && value[0] == L'1';
}

void RaiseTestFault()
{
    ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort(); // not reached: the exception does not continue
}

} // namespace zim::win32
