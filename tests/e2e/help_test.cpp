// The Help button with the real program: the shell is handed the HTML help page
// beside the program. The test prefix has no ".html" handler, and Wine's
// HKEY_CLASSES_ROOT does not take the user's classes, so the test registers one
// machine-wide (and removes it after): it opens a test window titled with the
// path it was given, which is what is checked.

#include "harness.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

const wchar_t* const kClasses = L"Software\\Classes";
const wchar_t* const kHandler = L"ZimDeskTestHelpViewer";

bool SetDefaultValue(const std::wstring& key, const std::wstring& value)
{
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring DefaultValue(const std::wstring& key)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    {
        return {};
    }
    return buffer;
}

class Help : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = DefaultValue(std::wstring(kClasses) + L"\\.html");
        ASSERT_TRUE(SetDefaultValue(std::wstring(kClasses) + L"\\.html", kHandler));
        ASSERT_TRUE(SetDefaultValue(std::wstring(kClasses) + L"\\" + kHandler + L"\\shell\\open\\command",
                                    L"\"" + BinDir() + L"\\testwin.exe\" open --title \"%1\""));
    }

    void TearDown() override
    {
        CloseProgram(m_app, m_monitor);
        for (const WindowInfo& w : TopLevelWindows())
        {
            if (w.title.ends_with(L"Zimdesk.html"))
            {
                PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
            }
        }
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + L"\\" + kHandler).c_str());
        if (m_previous.empty())
        {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + L"\\.html").c_str(), nullptr);
        }
        else
        {
            SetDefaultValue(std::wstring(kClasses) + L"\\.html", m_previous);
        }
    }

    // The shipped skin's Help button, in screen coordinates.
    POINT HelpButton() const
    {
        const std::wstring skin = BinDir() + L"\\skins\\silver.zim";
        const auto value = [&](const wchar_t* key)
        { return static_cast<int>(GetPrivateProfileIntW(L"Help Button", key, -1, skin.c_str())); };
        POINT p{value(L"Left") + value(L"Width") / 2, value(L"Top") + value(L"Height") / 2};
        ClientToScreen(m_monitor, &p);
        return p;
    }

    ChildProcess m_app;
    HWND m_monitor = nullptr;
    std::wstring m_previous;
};

TEST_F(Help, TheHelpButtonOpensTheHtmlPageBesideTheProgram)
{
    const std::wstring page = BinDir() + L"\\Zimdesk.html";
    ASSERT_NE(GetFileAttributesW(page.c_str()), INVALID_FILE_ATTRIBUTES) << "the build ships no help page";
    ASSERT_TRUE(StartZimDesk(m_app));
    ASSERT_TRUE(m_monitor = WaitForMonitor(m_app));
    Sleep(300);

    ClickAt(HelpButton());
    std::optional<WindowInfo> viewer;
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            for (const WindowInfo& w : TopLevelWindows())
            {
                if (w.visible && w.title.ends_with(L"Zimdesk.html"))
                {
                    viewer = w;
                    return true;
                }
            }
            return false;
        },
        10s))
        << "no viewer was started for the help page";
    if (!viewer)
    {
        SaveScreenshot(L"help-no-viewer"); // what lay under the button
    }
    else
    {
        EXPECT_EQ(CompareStringOrdinal(viewer->title.c_str(), -1, page.c_str(), -1, TRUE), CSTR_EQUAL)
            << "the viewer got another path";
        SaveScreenshot(L"help-opened");
    }
    EXPECT_TRUE(m_app.Running());
    EXPECT_TRUE(IsWindowVisible(m_monitor));
}

} // namespace
} // namespace zim::e2e
