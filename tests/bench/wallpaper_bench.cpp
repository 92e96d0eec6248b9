// wallpaper_bench: what a wallpaper change costs the thread that asks for it,
// with every window answering and with a window that does not pump its
// messages (freshly stuck, and stuck long enough to count as hung). The change
// broadcasts a setting change to every top-level window; the program's switch
// hands it to a worker thread, so the switch pays only the hand-over.
// A measurement, not a test: run it by hand under Wine.
//   wallpaper_bench.exe [ROUNDS]

#include "platform/win32/win32_shell.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A 2 × 2 24-bit bitmap of one colour.
void WriteBitmap(const std::wstring& path, unsigned char blue)
{
    const unsigned char file[] = {'B',  'M', 70, 0,    0, 0, 0, 0, 0,    0, 54, 0,    0, 0, 40, 0, 0,  0,
                                  2,    0,   0,  0,    2, 0, 0, 0, 1,    0, 24, 0,    0, 0, 0,  0, 16, 0,
                                  0,    0,   0,  0,    0, 0, 0, 0, 0,    0, 0,  0,    0, 0, 0,  0, 0,  0,
                                  blue, 0,   0,  blue, 0, 0, 0, 0, blue, 0, 0,  blue, 0, 0, 0,  0};
    HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(out, file, sizeof file, &written, nullptr);
    ::CloseHandle(out);
}

std::wstring CurrentWallpaper()
{
    wchar_t buffer[MAX_PATH] = {};
    ::SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0);
    return buffer;
}

double DirectChange(const std::wstring& path)
{
    std::wstring copy = path;
    const auto start = Clock::now();
    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, copy.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    return MsSince(start);
}

struct Figures
{
    double direct = 0;   // the system call on the asking thread
    double handOver = 0; // the program's call, as the switch makes it
    double applied = 0;  // until the worker's change shows
};

Figures Measure(const std::wstring& a, const std::wstring& b, int rounds)
{
    std::vector<double> direct, handOver, applied;
    zim::win32::Win32Shell shell;
    for (int i = 0; i < rounds; ++i)
    {
        direct.push_back(DirectChange(i % 2 ? a : b));
        const std::wstring& next = i % 2 ? b : a;
        std::string narrow(next.begin(), next.end());
        const auto start = Clock::now();
        shell.SetWallpaper(narrow, true);
        handOver.push_back(MsSince(start));
        while (CurrentWallpaper() != next && MsSince(start) < 30000)
        {
            ::Sleep(1);
        }
        applied.push_back(MsSince(start));
    }
    return {Median(direct), Median(handOver), Median(applied)};
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring a = std::wstring(temp) + L"zim-bench-a.bmp";
    const std::wstring b = std::wstring(temp) + L"zim-bench-b.bmp";
    WriteBitmap(a, 0x40);
    WriteBitmap(b, 0xC0);
    const std::wstring before = CurrentWallpaper();

    std::printf("wallpaper change, medians of %d rounds (ms)\n", rounds);
    std::printf("%-34s %10s %10s %10s\n", "case", "direct", "hand-over", "applied");
    const auto row = [](const char* name, const Figures& f)
    { std::printf("%-34s %10.2f %10.3f %10.2f\n", name, f.direct, f.handOver, f.applied); };
    row("every window answers", Measure(a, b, rounds));

    // A top-level window on a thread that stops pumping: it takes no sent message.
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZimBenchStuck";
    ::RegisterClassW(&wc);
    HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread stuck(
        [&]
        {
            HWND w = ::CreateWindowExW(0, wc.lpszClassName, L"stuck", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                       100, nullptr, nullptr, wc.hInstance, nullptr);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            {
                ::DispatchMessageW(&msg);
            }
            ::SetEvent(created);
            ::WaitForSingleObject(release, INFINITE); // no messages meanwhile
            ::DestroyWindow(w);
        });
    ::WaitForSingleObject(created, INFINITE);
    row("one window stuck (fresh)", Measure(a, b, rounds));
    ::Sleep(6000);
    row("one window stuck for over 5 s", Measure(a, b, rounds));
    ::SetEvent(release);
    stuck.join();

    std::wstring restore = before;
    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, restore.data(), SPIF_UPDATEINIFILE);
    ::DeleteFileW(a.c_str());
    ::DeleteFileW(b.c_str());
    ::CloseHandle(created);
    ::CloseHandle(release);
    return 0;
}
