// cbthost32.exe: holds the 32-bit hook. A hook reaches only processes of its own
// bitness, so the 64-bit program starts this small 32-bit process beside it:
//
//   cbthost32.exe MAIN_WINDOW
//
// MAIN_WINDOW is the main window's handle, decimal or 0x-hexadecimal. The host
// loads the library of its own bitness from its folder, installs the hook and
// pumps messages (the system runs the hook in this thread for some windows)
// until the main window goes away or WM_QUIT arrives; then it removes the hook.

#include "cbt/cbt_api.h"
#include "platform/win32/handles.h"

namespace
{

#ifdef _WIN64
constexpr wchar_t kLibraryName[] = L"cbt.dll";
#else
constexpr wchar_t kLibraryName[] = L"cbt32.dll";
#endif

constexpr int kExitOk = 0;
constexpr int kExitLibrary = 1;
constexpr int kExitUsage = 2;
constexpr UINT kWatchIntervalMs = 500;

// Skips the program's own name, quoted or not, and the blanks after it.
const wchar_t* Arguments(const wchar_t* commandLine)
{
    const wchar_t* c = commandLine;
    if (*c == L'"')
    {
        for (++c; *c != L'\0' && *c != L'"'; ++c)
        {
        }
        if (*c == L'"')
        {
            ++c;
        }
    }
    else
    {
        for (; *c != L'\0' && *c != L' ' && *c != L'\t'; ++c)
        {
        }
    }
    for (; *c == L' ' || *c == L'\t'; ++c)
    {
    }
    return c;
}

// A window handle, decimal or 0x-hexadecimal, followed by nothing but blanks.
bool ParseHandle(const wchar_t* text, HWND& handle)
{
    unsigned long long value = 0;
    unsigned base = 10;
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
    {
        base = 16;
        text += 2;
    }
    int digits = 0;
    for (; *text != L'\0' && *text != L' ' && *text != L'\t'; ++text, ++digits)
    {
        unsigned digit = 0;
        if (*text >= L'0' && *text <= L'9')
        {
            digit = static_cast<unsigned>(*text - L'0');
        }
        else if (base == 16 && *text >= L'a' && *text <= L'f')
        {
            digit = static_cast<unsigned>(*text - L'a' + 10);
        }
        else if (base == 16 && *text >= L'A' && *text <= L'F')
        {
            digit = static_cast<unsigned>(*text - L'A' + 10);
        }
        else
        {
            return false;
        }
        if (digits >= 16)
        {
            return false;
        }
        value = value * base + digit;
    }
    for (; *text == L' ' || *text == L'\t'; ++text)
    {
    }
    if (digits == 0 || *text != L'\0' || value == 0)
    {
        return false;
    }
    handle = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return true;
}

HMODULE LoadLibraryBesideExe()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
    {
        return nullptr;
    }
    DWORD folder = length;
    while (folder > 0 && path[folder - 1] != L'\\' && path[folder - 1] != L'/')
    {
        --folder;
    }
    const DWORD nameLength = sizeof(kLibraryName) / sizeof(kLibraryName[0]);
    if (folder + nameLength > MAX_PATH)
    {
        return nullptr;
    }
    for (DWORD i = 0; i < nameLength; ++i)
    {
        path[folder + i] = kLibraryName[i];
    }
    return LoadLibraryW(path);
}

template <typename Function> Function Export(HMODULE module, const char* name)
{
    // Through void*: a direct cast between function pointer types warns.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    HWND mainWindow = nullptr;
    if (!ParseHandle(Arguments(GetCommandLineW()), mainWindow) || !IsWindow(mainWindow))
    {
        return kExitUsage;
    }
    const zim::win32::UniqueModule library(LoadLibraryBesideExe());
    if (!library)
    {
        return kExitLibrary;
    }
    const auto setMainHandle = Export<decltype(&SetMainHandle)>(library.Get(), "SetMainHandle");
    const auto setHook = Export<decltype(&SetHook)>(library.Get(), "SetHook");
    const auto unSetHook = Export<decltype(&UnSetHook)>(library.Get(), "UnSetHook");
    if (setMainHandle == nullptr || setHook == nullptr || unSetHook == nullptr)
    {
        return kExitLibrary;
    }

    setMainHandle(mainWindow);
    setHook();
    // A thread timer: the host has no window of its own.
    const UINT_PTR timer = SetTimer(nullptr, 0, kWatchIntervalMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && !IsWindow(mainWindow))
        {
            break;
        }
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
    setMainHandle(nullptr);
    unSetHook();
    return kExitOk;
}
