#include "platform/win32/process_identity.h"

#include "platform/win32/handles.h"

#include <windows.h>

namespace zim::win32
{

std::uint64_t ProcessStartTime(std::uint32_t processId)
{
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user))
    {
        return 0;
    }
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

bool ProcessAlive(std::uint32_t processId, std::uint64_t startTime)
{
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process || ::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT)
    {
        return false;
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user))
    {
        return false;
    }
    return ((std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime) == startTime;
}

} // namespace zim::win32
