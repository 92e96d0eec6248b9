#pragma once

// A table in named shared memory where test windows stamp their own moves, so
// that a benchmark in another process can time a switch by the windows' clock
// rather than by polling: `testwin open --stamps NAME --stamp-base K` gives its
// i-th window slot K + i. QueryPerformanceCounter is one clock for every
// process of the machine (and of a Wine prefix).

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace zim::testwin
{

inline constexpr std::uint32_t kMoveStampsMagic = 0x5A4D5354; // "ZMST"
inline constexpr int kMoveStampSlots = 1024;

struct MoveStampSlot
{
    std::atomic<std::int64_t> window;    // the window's handle, once it exists
    std::atomic<std::int64_t> moveStamp; // QueryPerformanceCounter at its last WM_WINDOWPOSCHANGED that moved it
    std::atomic<std::int64_t> wakeStamp; // QueryPerformanceCounter when its thread last woke from a hang
    std::atomic<std::int32_t> x;         // where that move put it (screen coordinates)
    std::atomic<std::int32_t> y;
    std::atomic<std::int32_t> moves; // moves stamped so far; written last
    std::atomic<std::int32_t> wakes;
};
static_assert(std::atomic<std::int64_t>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free,
              "the slots are shared between processes");

struct MoveStampTable
{
    std::uint32_t magic;
    std::uint32_t slotCount;
    MoveStampSlot slots[kMoveStampSlots];
};

inline std::int64_t PerformanceCounterNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The table of that name, mapped into this process: created (zeroed) by the
// first caller, opened by the others. Null when it cannot be mapped. The
// mapping lives as long as the process; that is all its users need.
inline MoveStampTable* MapMoveStampTable(const std::wstring& name)
{
    const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              static_cast<DWORD>(sizeof(MoveStampTable)), name.c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping == nullptr)
    {
        return nullptr;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MoveStampTable));
    if (view == nullptr)
    {
        CloseHandle(mapping);
        return nullptr;
    }
    auto* table = static_cast<MoveStampTable*>(view);
    if (!existed)
    {
        table->slotCount = kMoveStampSlots;
        table->magic = kMoveStampsMagic;
    }
    return table->magic == kMoveStampsMagic ? table : nullptr;
}

} // namespace zim::testwin
