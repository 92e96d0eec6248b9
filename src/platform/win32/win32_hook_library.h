#pragma once

#include "platform/hook_library.h"

#include <memory>
#include <string>

namespace zim::win32
{

// The hook library "cbt.dll" loaded at run time. Without the DLL, or without one
// of its exports, every call does nothing: the program runs without the
// system-menu command.
class Win32HookLibrary final : public HookLibrary
{
public:
    // Loads cbt.dll from the folder of the running exe.
    Win32HookLibrary();
    // Loads the library at `dllPath` (UTF-8).
    explicit Win32HookLibrary(const std::string& dllPath);
    ~Win32HookLibrary() override;

    bool Loaded() const;

    void SetMainHandle(WindowHandle mainWindow) override;
    void SetHook() override;
    void UnSetHook() override;

private:
    struct Module;
    static std::unique_ptr<Module> Load(const std::wstring& path);

    std::unique_ptr<Module> m_module;
};

// The 32-bit hook's host process "cbthost32.exe": a 64-bit hook reaches only
// 64-bit programs, so the host installs the 32-bit one beside it. It ends by
// itself when the main window goes away; Stop ends it sooner.
class HookHost
{
public:
    HookHost();
    HookHost(const HookHost&) = delete;
    HookHost& operator=(const HookHost&) = delete;
    ~HookHost();

    // "cbthost32.exe" in the folder of the running exe.
    static std::string DefaultPath();

    // Starts the host at `exePath` (UTF-8) for `mainWindow`, stopping any host
    // started before. Returns false, and leaves nothing running, when it cannot
    // start or ends at once (no 32-bit support, library missing, bad handle).
    bool Start(const std::string& exePath, WindowHandle mainWindow);
    // Asks the host to remove its hook and end; ends it outright after a few seconds.
    void Stop();
    bool Running() const;
    // 0 while none runs.
    std::uint32_t ProcessId() const;

private:
    struct Process;
    std::unique_ptr<Process> m_process;
};

} // namespace zim::win32
