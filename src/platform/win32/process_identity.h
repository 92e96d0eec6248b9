#pragma once

// Telling one process from a later one that got the same id.

#include <cstdint>

namespace zim::win32
{

// When the process started (FILETIME units), or 0 when it cannot be opened.
std::uint64_t ProcessStartTime(std::uint32_t processId);
// Whether the process with this id still runs and is the one that started then.
bool ProcessAlive(std::uint32_t processId, std::uint64_t startTime);

} // namespace zim::win32
