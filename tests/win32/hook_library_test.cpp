#include "hook_test_support.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_hook_library.h"
#include "probe/probe_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace zim::win32
{
namespace
{

using namespace test;
using namespace cbtprobe;

std::string ExeFolder()
{
    return Narrow(ExeFolderW());
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

// cbt_probe.exe and its window.
HWND StartProbe(std::optional<ChildProcess>& probe)
{
    probe.emplace(L"\"" + ExeFolderW() + L"cbt_probe.exe\"");
    if (!probe->Started())
    {
        return nullptr;
    }
    HWND found = nullptr;
    PumpUntil(
        [&]
        {
            found = ::FindWindowW(kProbeClass, nullptr);
            DWORD process = 0;
            ::GetWindowThreadProcessId(found, &process);
            return found != nullptr && process == probe->Id();
        },
        10000);
    return found;
}

void CloseProbe(std::optional<ChildProcess>& probe, HWND window)
{
    if (probe)
    {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        probe->Wait(5000);
        probe.reset();
    }
}

// A window of another process (cbt_probe.exe), the library installed by this one.
class SystemMenuHook : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_hooks.Loaded());
        ASSERT_TRUE(m_main.Handle());
        m_hooks.SetMainHandle(FromHwnd(m_main.Handle()));
        m_hooks.SetHook();
        m_probeWindow = StartProbe(m_probe);
        ASSERT_TRUE(m_probeWindow);
    }

    void TearDown() override
    {
        m_hooks.SetMainHandle(kNoWindow);
        m_hooks.UnSetHook();
        CloseProbe(m_probe, m_probeWindow);
    }

    LRESULT Ask(UINT message, WPARAM wParam = 0) const
    {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(m_probeWindow, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result))
        {
            ADD_FAILURE() << "the probe did not answer message " << message;
            return -100;
        }
        return static_cast<LRESULT>(result);
    }

    // Opens the probe's system menu for real and returns how many items it showed.
    LRESULT OpenMenu() const
    {
        Ask(kOpenMenu);
        PumpUntil([this] { return Ask(kItemsWhileOpen) != kNotYet; }, 5000);
        return Ask(kItemsWhileOpen);
    }

    std::wstring Captions() const
    {
        Ask(kPublishCaptions);
        wchar_t text[4096] = {};
        ::GetWindowTextW(m_probeWindow, text, 4096);
        return text;
    }

    std::vector<FakeMainWindow::Message> SendsReceived() const
    {
        std::vector<FakeMainWindow::Message> sends;
        for (const auto& m : m_main.Received())
        {
            if (m.message == ZIM_CBT_MSG_SEND_TO_DESKTOP)
            {
                sends.push_back(m);
            }
        }
        return sends;
    }

    // Waits for the library's one report to the main window: the probe sent to `desktop`.
    void ExpectOneSendOfTheProbe(int desktop) const
    {
        ASSERT_TRUE(PumpUntil([this] { return !SendsReceived().empty(); }, 5000));
        const auto sends = SendsReceived();
        ASSERT_EQ(sends.size(), 1u);
        EXPECT_EQ(reinterpret_cast<HWND>(sends[0].wParam), m_probeWindow);
        EXPECT_EQ(static_cast<unsigned>(sends[0].lParam), ZimCbtCommandId(desktop));
    }

    FakeMainWindow m_main;
    Win32HookLibrary m_hooks;
    std::optional<ChildProcess> m_probe;
    HWND m_probeWindow = nullptr;
};

TEST_F(SystemMenuHook, OpeningTheMenuAddsOneItemPerDesktopOfTheMainWindowsGrid)
{
    EXPECT_EQ(Ask(kCountItems), 0) << "items come when the menu opens";
    m_main.SetGrid(3, 2);
    EXPECT_EQ(OpenMenu(), 6);
    EXPECT_EQ(Ask(kCountSeparators), 1);
    EXPECT_EQ(Captions(), L"Send to desktop (0,0)|Send to desktop (1,0)|Send to desktop (2,0)|"
                          L"Send to desktop (0,1)|Send to desktop (1,1)|Send to desktop (2,1)");
}

TEST_F(SystemMenuHook, EveryOpeningRebuildsTheItemsForTheCurrentGrid)
{
    m_main.SetGrid(3, 2);
    EXPECT_EQ(OpenMenu(), 6);
    m_main.SetGrid(4, 2);
    EXPECT_EQ(OpenMenu(), 8) << "rebuilt, not appended";
    EXPECT_EQ(Ask(kCountSeparators), 1);
    m_main.SetGrid(1, 1);
    EXPECT_EQ(OpenMenu(), 1);
    EXPECT_EQ(Captions(), L"Send to desktop (0,0)");
}

TEST_F(SystemMenuHook, BusyMainWindowDoesNotHoldTheMenuAndTheLastGridIsOffered)
{
    m_main.SetGrid(2, 2);
    EXPECT_EQ(OpenMenu(), 4);
    m_main.SetGrid(5, 5);
    // This thread is the main window's: while it sleeps, the questions go unanswered.
    Ask(kOpenMenu);
    ::Sleep(2000);
    EXPECT_EQ(Ask(kItemsWhileOpen), 4) << "the menu opened and closed while the main window was busy";
}

TEST_F(SystemMenuHook, ChoosingAnItemSendsTheWindowAndCommandToTheMainWindow)
{
    m_main.SetGrid(3, 3);
    OpenMenu();
    Ask(kChoose, 5);
    ExpectOneSendOfTheProbe(5);
    EXPECT_EQ(Ask(kCommandsSeen), 0) << "the application never sees the library's command";
}

TEST_F(SystemMenuHook, ACommandSentAndPassedOnByTheApplicationReachesTheMainWindow)
{
    m_main.SetGrid(3, 3);
    OpenMenu();
    Ask(kPassOnCommand, 4);
    ExpectOneSendOfTheProbe(4);
}

TEST_F(SystemMenuHook, TheTaskBarsRequestForTheMenuOffersTheItemsOfTheCurrentGrid)
{
    m_main.SetGrid(2, 3);
    Ask(kCountNextMenu);
    Ask(kRequestSystemMenu);
    PumpUntil([this] { return Ask(kItemsWhileOpen) != kNotYet; }, 5000);
    EXPECT_EQ(Ask(kItemsWhileOpen), 6);
}

TEST_F(SystemMenuHook, NothingIsSentOrOfferedWhileTheMainHandleIsZero)
{
    m_main.SetGrid(3, 3);
    EXPECT_EQ(OpenMenu(), 9);
    m_hooks.SetMainHandle(kNoWindow);
    Ask(kChoose, 2);
    PumpFor(500);
    EXPECT_TRUE(SendsReceived().empty());
    EXPECT_EQ(Ask(kCommandsSeen), 1) << "an item left over from before does nothing";
    EXPECT_EQ(OpenMenu(), 0);
    EXPECT_EQ(Ask(kCountSeparators), 0);
}

TEST_F(SystemMenuHook, UnSetHookRemovesTheItemsAndStopsAddingThem)
{
    m_main.SetGrid(2, 1);
    EXPECT_EQ(OpenMenu(), 2);
    m_hooks.UnSetHook();
    EXPECT_EQ(Ask(kCountItems), 0);
    EXPECT_EQ(Ask(kCountSeparators), 0);
    EXPECT_EQ(OpenMenu(), 0);
    Ask(kChoose, 1);
    PumpFor(500);
    EXPECT_TRUE(SendsReceived().empty());
}

// The host, built for 64 bits here as the 32-bit one cannot run on these machines.
class HookHostTest : public ::testing::Test
{
protected:
    void TearDown() override { m_main.Destroy(); }

    static std::string TestHost() { return ExeFolder() + "cbthost64.exe"; }

    FakeMainWindow m_main;
};

TEST_F(HookHostTest, HostInstallsTheHookForTheMainWindowAndRemovesItOnStop)
{
    HookHost host;
    ASSERT_TRUE(host.Start(TestHost(), FromHwnd(m_main.Handle())));
    EXPECT_TRUE(host.Running());
    EXPECT_NE(host.ProcessId(), 0u);

    std::optional<ChildProcess> probe;
    const HWND window = StartProbe(probe);
    ASSERT_TRUE(window);
    auto ask = [window](UINT message, WPARAM wParam = 0)
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
        return static_cast<LRESULT>(result);
    };
    m_main.SetGrid(2, 3);
    ask(kOpenMenu);
    PumpUntil([&] { return ask(kItemsWhileOpen) != kNotYet; }, 5000);
    EXPECT_EQ(ask(kItemsWhileOpen), 6);
    ask(kChoose, 6);
    EXPECT_TRUE(PumpUntil([&] { return !m_main.Received().empty(); }, 5000)) << "the host's main handle is shared";

    host.Stop();
    EXPECT_FALSE(host.Running());
    EXPECT_EQ(host.ProcessId(), 0u);
    EXPECT_EQ(ask(kCountItems), 0) << "the host's UnSetHook removed them";
    CloseProbe(probe, window);
}

TEST_F(HookHostTest, HostEndsWhenTheMainWindowGoesAway)
{
    HookHost host;
    ASSERT_TRUE(host.Start(TestHost(), FromHwnd(m_main.Handle())));
    m_main.Destroy();
    EXPECT_TRUE(PumpUntil([&] { return !host.Running(); }, 5000));
}

TEST_F(HookHostTest, HostThatCannotStartOrEndsAtOnceLeavesNothingRunning)
{
    HookHost host;
    EXPECT_FALSE(host.Start(ExeFolder() + "no-such-folder\\cbthost32.exe", FromHwnd(m_main.Handle())));
    EXPECT_FALSE(host.Running());
    // Without a live main window the host refuses to start.
    EXPECT_FALSE(host.Start(TestHost(), 0x7FFFFFF0));
    EXPECT_FALSE(host.Running());
    EXPECT_EQ(host.ProcessId(), 0u);
    host.Stop(); // nothing to stop
    // The real 32-bit host: it runs on Windows, and cannot on a 64-bit-only Wine;
    // either way the helper's answer is the truth and nothing is left behind.
    const bool started = host.Start(HookHost::DefaultPath(), FromHwnd(m_main.Handle()));
    EXPECT_EQ(host.Running(), started);
    host.Stop();
    EXPECT_FALSE(host.Running());
    EXPECT_EQ(HookHost::DefaultPath(), ExeFolder() + "cbthost32.exe");
}

} // namespace
} // namespace zim::win32
