#include "platform/win32/win32_hook_library.h"

#include "platform/win32/handles.h"
#include "platform/win32/program_folder.h"
#include "platform/win32/utf.h"

namespace zim::win32
{

namespace
{
// The exports' types come from the library's own declarations.
using SetMainHandleFunction = decltype(&::SetMainHandle);
using SetHookFunction = decltype(&::SetHook);
using UnSetHookFunction = decltype(&::UnSetHook);

constexpr wchar_t kLibraryName[] = L"cbt.dll";
constexpr wchar_t kHostName[] = L"cbthost32.exe";
// The host's start-up is loading one DLL and installing a hook.
constexpr DWORD kHostStartMs = 5000;
constexpr DWORD kHostStopMs = 3000;
constexpr DWORD kHostStopPollMs = 50;

std::wstring FileNextToExe(const wchar_t* name)
{
    return ProgramFolder() + L"\\" + name;
}

template <typename Function> Function Export(HMODULE module, const char* name)
{
    // Through void*: a direct cast between function pointer types warns.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
} // namespace

struct Win32HookLibrary::Module
{
    UniqueModule handle;
    SetMainHandleFunction setMainHandle = nullptr;
    SetHookFunction setHook = nullptr;
    UnSetHookFunction unSetHook = nullptr;
};

std::unique_ptr<Win32HookLibrary::Module> Win32HookLibrary::Load(const std::wstring& path)
{
    auto module = std::make_unique<Win32HookLibrary::Module>();
    module->handle.Reset(::LoadLibraryW(path.c_str()));
    if (!module->handle)
    {
        return nullptr;
    }
    module->setMainHandle = Export<SetMainHandleFunction>(module->handle.Get(), "SetMainHandle");
    module->setHook = Export<SetHookFunction>(module->handle.Get(), "SetHook");
    module->unSetHook = Export<UnSetHookFunction>(module->handle.Get(), "UnSetHook");
    // Half a library is no library: hooking without being able to unhook is worse than no hook.
    if (!module->setMainHandle || !module->setHook || !module->unSetHook)
    {
        return nullptr;
    }
    return module;
}

Win32HookLibrary::Win32HookLibrary() : m_module(Load(FileNextToExe(kLibraryName))) {}

Win32HookLibrary::Win32HookLibrary(const std::string& dllPath) : m_module(Load(Widen(dllPath))) {}

Win32HookLibrary::~Win32HookLibrary() = default;

bool Win32HookLibrary::Loaded() const
{
    return m_module != nullptr;
}

void Win32HookLibrary::SetMainHandle(WindowHandle mainWindow)
{
    if (m_module)
    {
        m_module->setMainHandle(ToHwnd(mainWindow));
    }
}

void Win32HookLibrary::SetHook()
{
    if (m_module)
    {
        m_module->setHook();
    }
}

void Win32HookLibrary::UnSetHook()
{
    if (m_module)
    {
        m_module->unSetHook();
    }
}

struct HookHost::Process
{
    UniqueKernelHandle process;
    DWORD processId = 0;
    DWORD threadId = 0;
};

HookHost::HookHost() = default;

HookHost::~HookHost()
{
    Stop();
}

std::string HookHost::DefaultPath()
{
    return Narrow(FileNextToExe(kHostName));
}

bool HookHost::Start(const std::string& exePath, WindowHandle mainWindow)
{
    Stop();
    const std::wstring path = Widen(exePath);
    std::wstring commandLine = L"\"" + path + L"\" " + std::to_wstring(static_cast<unsigned long long>(mainWindow));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info))
    {
        return false;
    }
    ::CloseHandle(info.hThread);
    auto process = std::make_unique<Process>();
    process->process.Reset(info.hProcess);
    process->processId = info.dwProcessId;
    process->threadId = info.dwThreadId;
    // Idle means its message queue exists, so that Stop's WM_QUIT reaches it.
    ::WaitForInputIdle(info.hProcess, kHostStartMs);
    if (::WaitForSingleObject(info.hProcess, 0) != WAIT_TIMEOUT)
    {
        return false;
    }
    m_process = std::move(process);
    return true;
}

void HookHost::Stop()
{
    if (!m_process)
    {
        return;
    }
    const HANDLE process = m_process->process.Get();
    const ULONGLONG deadline = ::GetTickCount64() + kHostStopMs;
    // Retried: a thread without a message queue yet refuses thread messages.
    while (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT && ::GetTickCount64() < deadline)
    {
        ::PostThreadMessageW(m_process->threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(process, kHostStopPollMs);
    }
    if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
    {
        // The system removes a dead thread's hooks.
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, kHostStopMs);
    }
    m_process.reset();
}

bool HookHost::Running() const
{
    return m_process && ::WaitForSingleObject(m_process->process.Get(), 0) == WAIT_TIMEOUT;
}

std::uint32_t HookHost::ProcessId() const
{
    return m_process ? m_process->processId : 0;
}

} // namespace zim::win32
