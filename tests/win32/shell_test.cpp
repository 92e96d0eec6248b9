#include "platform/win32/win32_shell.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace zim::win32
{
namespace
{

TEST(ShellTest, EnvironmentStringsExpandAsUtf8AndUnknownNamesStay)
{
    ::SetEnvironmentVariableW(L"ZIM_TEST_FOLDER", L"C:\\D\u00e9j\u00e0 \u7a93");
    Win32Shell shell;
    EXPECT_EQ(shell.ExpandEnvironmentStrings("%ZIM_TEST_FOLDER%\\skins"), "C:\\D\xc3\xa9j\xc3\xa0 \xe7\xaa\x93\\skins");
    EXPECT_EQ(shell.ExpandEnvironmentStrings("%ZIM_NO_SUCH_VARIABLE%"), "%ZIM_NO_SUCH_VARIABLE%");
    EXPECT_EQ(shell.ExpandEnvironmentStrings(""), "");
    const std::string longText(5000, 'y');
    EXPECT_EQ(shell.ExpandEnvironmentStrings("%ZIM_TEST_FOLDER%" + longText),
              "C:\\D\xc3\xa9j\xc3\xa0 \xe7\xaa\x93" + longText);
    ::SetEnvironmentVariableW(L"ZIM_TEST_FOLDER", nullptr);
}

TEST(ShellTest, MissingSoundsAndDocumentsFailQuietly)
{
    Win32Shell shell;
    const ULONGLONG start = ::GetTickCount64();
    shell.PlaySoundAsync("");
    shell.PlaySoundAsync("C:\\no\\such\\switch.wav");
    EXPECT_LT(::GetTickCount64() - start, 2000u); // returns at once, no dialog
    EXPECT_FALSE(shell.ShellOpen("C:\\no\\such\\document.zim"));
    EXPECT_FALSE(shell.ShellOpen("C:\\no\\such\\document.zim", "C:\\no\\such\\", LaunchShow::Normal));
}

} // namespace
} // namespace zim::win32
