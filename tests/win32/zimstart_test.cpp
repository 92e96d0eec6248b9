#include "hook_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::win32::test
{
namespace
{

constexpr wchar_t kStartedClass[] = L"ZimStartTestWindow";

HWND FindStartedWindow()
{
    return ::FindWindowW(kStartedClass, nullptr);
}

class ZimStart : public ::testing::Test
{
protected:
    void TearDown() override
    {
        while (const HWND window = FindStartedWindow())
        {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
            PumpUntil([window] { return !::IsWindow(window); }, 5000);
        }
    }

    // Runs zimstart.exe with `arguments`; the exit code, or nothing if it did not end.
    std::optional<DWORD> Run(const std::wstring& arguments)
    {
        ChildProcess zimstart(L"\"" + ExeFolderW() + L"zimstart.exe\" " + arguments);
        EXPECT_TRUE(zimstart.Started());
        const auto code = zimstart.Wait(20000);
        m_output = zimstart.Output();
        return code;
    }

    FakeMainWindow m_main;
    std::string m_output;
};

TEST_F(ZimStart, BadArgumentsPrintTheUsageAndAnnounceNothing)
{
    for (const wchar_t* arguments : {L"", L"3", L"x notepad.exe", L"0 notepad.exe", L"101 notepad.exe",
                                     L"-1 notepad.exe", L"2x notepad.exe", L"2 \"\""})
    {
        SCOPED_TRACE(testing::Message() << "arguments: " << std::string(arguments, arguments + wcslen(arguments)));
        EXPECT_EQ(Run(arguments), 2u);
        EXPECT_NE(m_output.find("usage: zimstart.exe N program"), std::string::npos) << m_output;
    }
    EXPECT_TRUE(m_main.Received().empty());
}

TEST_F(ZimStart, ProgramThatCannotStartFailsButStillEndsTheAnnouncedStart)
{
    EXPECT_EQ(Run(L"2 no-such-program-zim.exe"), 1u);
    EXPECT_NE(m_output.find("cannot start no-such-program-zim.exe"), std::string::npos) << m_output;
    ASSERT_EQ(m_main.Received().size(), 2u);
    EXPECT_EQ(m_main.Received()[0].message, m_main.AppStarting());
    EXPECT_EQ(m_main.Received()[1].message, m_main.AppStarted());
    EXPECT_EQ(m_main.Received()[1].wParam, 2u);
    EXPECT_EQ(m_main.Received()[1].lParam, 0) << "no process";
}

TEST_F(ZimStart, AnnouncesTheStartThenReportsTheProcessOnceItsWindowIsUp)
{
    bool windowAtAnnouncement = true;
    HWND windowAtReport = nullptr;
    m_main.onMessage = [&](const FakeMainWindow::Message& m)
    {
        if (m.message == m_main.AppStarting())
        {
            windowAtAnnouncement = FindStartedWindow() != nullptr;
        }
        else if (m.message == m_main.AppStarted())
        {
            windowAtReport = FindStartedWindow();
        }
    };
    // The title has a blank and a quote, which must reach the program unchanged.
    EXPECT_EQ(Run(L"4 \"" + ExeFolderW() +
                  L"testwin.exe\" open --class ZimStartTestWindow --title \"Two words \\\"quoted\\\"\""),
              0u)
        << m_output;

    ASSERT_EQ(m_main.Received().size(), 2u);
    EXPECT_EQ(m_main.Received()[0].message, m_main.AppStarting());
    EXPECT_FALSE(windowAtAnnouncement);
    EXPECT_EQ(m_main.Received()[1].message, m_main.AppStarted());
    EXPECT_EQ(m_main.Received()[1].wParam, 4u);
    ASSERT_NE(windowAtReport, nullptr) << "reported before the program's window was up";
    DWORD process = 0;
    ::GetWindowThreadProcessId(windowAtReport, &process);
    EXPECT_EQ(static_cast<DWORD>(m_main.Received()[1].lParam), process);
    wchar_t title[64] = {};
    ::GetWindowTextW(windowAtReport, title, 64);
    EXPECT_STREQ(title, L"Two words \"quoted\"");
}

TEST_F(ZimStart, WithoutARunningZimDeskTheProgramStillStarts)
{
    m_main.Destroy();
    EXPECT_EQ(Run(L"1 \"" + ExeFolderW() + L"testwin.exe\" open --class ZimStartTestWindow"), 0u) << m_output;
    EXPECT_NE(FindStartedWindow(), nullptr);
}

} // namespace
} // namespace zim::win32::test
