// record_bench: what keeping the recovery record costs a switch. A switch
// writes it once as it begins (and once more at its end when windows were shown
// again or movers still owe moves). Prints the time of one write for records of
// several sizes, against a floor measured in the same run: one DWORD written to
// the same volatile key, the least a registry write costs.
// A measurement, not a test: run it by hand under Wine.
//   record_bench.exe [ROUNDS]

#include "engine/recovery.h"
#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
constexpr const char* kKey = "Software\\Zim Desk\\RecordBench";

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double MedianMicroseconds(int rounds, F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i)
    {
        const auto start = Clock::now();
        f(i);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return Median(times);
}

zim::RecoveryRecord RecordOf(int held, int owed)
{
    zim::RecoveryRecord record;
    record.ownerProcess = 4242;
    record.ownerStart = 133000000000000000ull;
    record.shown = {1, 1};
    record.from = {0, 1};
    record.columns = 3;
    record.rows = 3;
    record.screen = {1024, 768};
    for (int i = 0; i < held; ++i)
    {
        record.hidden.push_back({static_cast<zim::WindowHandle>(0x10000 + i),
                                 "RollUpWindowClass",
                                 {i % 3, i / 3 % 3},
                                 zim::Rect::FromSize(100 + i, 120, 320, 240)});
    }
    for (int i = 0; i < owed; ++i)
    {
        record.pending.push_back({static_cast<zim::WindowHandle>(0x20000 + i),
                                  "Notepad",
                                  zim::Rect::FromSize(200 + i, 150, 400, 300),
                                  {-1024, 0}});
    }
    return record;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    zim::win32::Win32Registry registry;
    registry.CreateVolatileKey(kKey);

    const double floor = MedianMicroseconds(rounds,
                                            [&](int i)
                                            {
                                                registry.CreateVolatileKey(kKey);
                                                registry.WriteDword(kKey, "Floor", static_cast<std::uint32_t>(i));
                                            });
    std::printf("recovery record write, medians of %d rounds\n", rounds);
    std::printf("%-36s %8s %10s %8s\n", "record", "bytes", "us/write", "x floor");
    std::printf("%-36s %8d %10.1f %8.2f\n", "floor: one DWORD to the same key", 4, floor, 1.0);
    const struct
    {
        const char* name;
        int held;
        int owed;
    } cases[] = {{"nothing held", 0, 0}, {"5 held", 5, 0}, {"20 held, 5 owed moves", 20, 5}, {"100 held", 100, 0}};
    for (const auto& c : cases)
    {
        const zim::RecoveryRecord record = RecordOf(c.held, c.owed);
        const double us = MedianMicroseconds(rounds, [&](int) { zim::WriteRecord(registry, record, kKey); });
        std::printf("%-36s %8zu %10.1f %8.2f\n", c.name, zim::SerializeRecord(record).size(), us, us / floor);
    }
    zim::RemoveRecord(registry, kKey);
    return 0;
}
