#include "platform/win32/utf.h"
#include "platform/win32/win32_hook_library.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::win32
{
namespace
{

std::string ExeFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return Narrow(folder);
}

void CallEverything(HookLibrary& hooks)
{
    hooks.SetMainHandle(0x1234);
    hooks.SetHook();
    hooks.SetMainHandle(kNoWindow);
    hooks.UnSetHook();
}

TEST(HookLibraryTest, MissingLibraryMakesEveryCallANoOp)
{
    Win32HookLibrary hooks(ExeFolder() + "no-such-folder\\cbt.dll");
    EXPECT_FALSE(hooks.Loaded());
    CallEverything(hooks);
}

TEST(HookLibraryTest, LibraryWithoutTheExportsIsNotUsed)
{
    // A real DLL that exports none of the three functions.
    Win32HookLibrary hooks("version.dll");
    EXPECT_FALSE(hooks.Loaded());
    CallEverything(hooks);
}

TEST(HookLibraryTest, DefaultLookupIsTheFolderOfTheExe)
{
    const bool present = ::GetFileAttributesW(Widen(ExeFolder() + "cbt.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
    const Win32HookLibrary hooks;
    EXPECT_EQ(hooks.Loaded(), present);
    if (!present)
    {
        Win32HookLibrary absent;
        CallEverything(absent);
    }
}

} // namespace
} // namespace zim::win32
