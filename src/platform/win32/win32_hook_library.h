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

} // namespace zim::win32
