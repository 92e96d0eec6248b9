#include "platform/win32/win32_hook_library.h"

#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

namespace zim::win32
{

namespace
{
using SetMainHandleFunction = void(__stdcall*)(HWND);
using HookFunction = void(__stdcall*)();

constexpr wchar_t kLibraryName[] = L"cbt.dll";

std::wstring LibraryNextToExe()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
        {
            return kLibraryName;
        }
        if (length < path.size())
        {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // truncated
    }
    path.erase(path.find_last_of(L"\\/") + 1); // npos + 1 == 0: no folder at all
    return path + kLibraryName;
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
    HookFunction setHook = nullptr;
    HookFunction unSetHook = nullptr;
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
    module->setHook = Export<HookFunction>(module->handle.Get(), "SetHook");
    module->unSetHook = Export<HookFunction>(module->handle.Get(), "UnSetHook");
    // Half a library is no library: hooking without being able to unhook is worse than no hook.
    if (!module->setMainHandle || !module->setHook || !module->unSetHook)
    {
        return nullptr;
    }
    return module;
}

Win32HookLibrary::Win32HookLibrary() : m_module(Load(LibraryNextToExe())) {}

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

} // namespace zim::win32
