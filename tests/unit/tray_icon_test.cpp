// The notification-area icon's rules against a shell that records every call and
// a queue that holds posted messages until the test delivers them.

#include "components/tray_icon_model.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace zim
{
namespace
{

constexpr WindowHandle kOwnWindow = 0x4242;
constexpr std::uintptr_t kIconA = 0xA1;
constexpr std::uintptr_t kIconB = 0xB2;

struct ShellCall
{
    NotifyIconCommand command;
    NotifyIconRecord record;
};

class RecordingShell final : public NotifyIconShell
{
public:
    bool NotifyIcon(NotifyIconCommand command, const NotifyIconRecord& record) override
    {
        calls.push_back({command, record});
        return true;
    }
    void Post(WindowHandle window, std::uint32_t message) override { posted.emplace_back(window, message); }

    // Hands every queued message to the model, as the window's message loop would.
    void DeliverPosted(TrayIconModel& model)
    {
        while (!posted.empty())
        {
            const auto [window, message] = posted.front();
            posted.pop_front();
            EXPECT_EQ(window, kOwnWindow) << "posted to a window not the icon's own";
            model.OnMessage(message, 0);
        }
    }

    std::vector<ShellCall> calls;
    std::deque<std::pair<WindowHandle, std::uint32_t>> posted;
};

class TrayIconTest : public ::testing::Test
{
protected:
    TrayIconTest() { model.SetWindow(kOwnWindow); }

    RecordingShell shell;
    TrayIconModel model{shell};
};

TEST_F(TrayIconTest, ToolTipIsCutToItsFirst62CharactersWithoutSplittingOne)
{
    const std::string seventy(70, 'x');
    model.SetToolTip(seventy);
    EXPECT_EQ(model.ToolTip(), std::string(62, 'x'));

    std::string accented;
    for (int i = 0; i < 70; ++i)
    {
        accented += "\xC3\xA9"; // é, two bytes each
    }
    model.SetToolTip(accented);
    EXPECT_EQ(model.ToolTip(), accented.substr(0, 124)) << "62 characters, not 62 bytes";

    model.SetToolTip(std::string(62, 'y'));
    EXPECT_EQ(model.ToolTip(), std::string(62, 'y'));

    model.SetActive(true);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].record.toolTip, std::string(62, 'y'));
    model.SetToolTip(seventy + "tail");
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].command, NotifyIconCommand::Modify);
    EXPECT_EQ(shell.calls[1].record.toolTip, std::string(62, 'x')) << "the shell sees the cut text too";
}

TEST_F(TrayIconTest, WhileInactiveNothingReachesTheShellAndTheNextAddCarriesWhatWasStored)
{
    model.SetIcon(kIconA);
    model.SetToolTip("Zim Desk");
    model.SetActive(false); // unchanged
    EXPECT_TRUE(shell.calls.empty());

    model.SetActive(true);
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& add = shell.calls[0];
    EXPECT_EQ(add.command, NotifyIconCommand::Add);
    EXPECT_EQ(add.record.window, kOwnWindow);
    EXPECT_EQ(add.record.id, 0u);
    EXPECT_EQ(add.record.callbackMessage, 0x0401u);
    EXPECT_EQ(add.record.icon, kIconA);
    EXPECT_EQ(add.record.toolTip, "Zim Desk");
    EXPECT_TRUE(shell.posted.empty()) << "a tip was there: nothing to send again";
}

TEST_F(TrayIconTest, ActiveAddsOnceDeletesOnceAndIgnoresTheSameValue)
{
    model.SetToolTip("tip");
    model.SetActive(true);
    model.SetActive(true);
    model.SetIcon(kIconB);
    model.SetActive(false);
    model.SetActive(false);

    ASSERT_EQ(shell.calls.size(), 3u);
    EXPECT_EQ(shell.calls[0].command, NotifyIconCommand::Add);
    EXPECT_EQ(shell.calls[1].command, NotifyIconCommand::Modify);
    EXPECT_EQ(shell.calls[1].record.icon, kIconB);
    EXPECT_EQ(shell.calls[2].command, NotifyIconCommand::Delete);
    EXPECT_EQ(shell.calls[2].record, shell.calls[1].record) << "delete uses the record as last filled";

    // Changes after the delete wait for the next add again.
    model.SetIcon(kIconA);
    EXPECT_EQ(shell.calls.size(), 3u);
    model.SetActive(true);
    EXPECT_EQ(shell.calls.back().command, NotifyIconCommand::Add);
    EXPECT_EQ(shell.calls.back().record.icon, kIconA);
}

TEST_F(TrayIconTest, ActivatingWithAnEmptyTipSendsWhatIsCurrentWhenThePostedMessageArrives)
{
    // The order in which stored properties come back: Active, then Icon, then ToolTip.
    model.SetActive(true);
    ASSERT_EQ(shell.posted.size(), 1u);
    EXPECT_EQ(shell.posted.front().second, 0x0402u);
    model.SetIcon(kIconA);
    model.SetToolTip("Zim Desk");
    model.SetIcon(kIconB);
    const std::size_t before = shell.calls.size();

    shell.DeliverPosted(model);
    ASSERT_EQ(shell.calls.size(), before + 1);
    const ShellCall& resend = shell.calls.back();
    EXPECT_EQ(resend.command, NotifyIconCommand::Modify);
    EXPECT_EQ(resend.record.icon, kIconB);
    EXPECT_EQ(resend.record.toolTip, "Zim Desk");
    EXPECT_TRUE(shell.posted.empty()) << "only one re-send";
}

TEST_F(TrayIconTest, AResendThatArrivesAfterDeactivationStaysAwayFromTheShell)
{
    model.SetActive(true);
    model.SetActive(false);
    const std::size_t before = shell.calls.size();
    shell.DeliverPosted(model);
    EXPECT_EQ(shell.calls.size(), before);
}

TEST_F(TrayIconTest, AShellRestartAddsTheIconAgainOnlyWhenActive)
{
    model.SetIcon(kIconA);
    model.SetToolTip("Zim Desk");
    model.Readd();
    EXPECT_TRUE(shell.calls.empty());

    model.SetActive(true);
    model.Readd();
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].command, NotifyIconCommand::Add);
    EXPECT_EQ(shell.calls[1].record, shell.calls[0].record);
}

TEST_F(TrayIconTest, DestructionTakesTheIconOutOfTheTrayOnlyWhenItIsThere)
{
    {
        TrayIconModel inactive(shell);
        inactive.SetWindow(kOwnWindow);
    }
    EXPECT_TRUE(shell.calls.empty());
    {
        TrayIconModel active(shell);
        active.SetWindow(kOwnWindow);
        active.SetToolTip("tip");
        active.SetActive(true);
    }
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].command, NotifyIconCommand::Delete);
    EXPECT_EQ(shell.calls[1].record.window, kOwnWindow);
}

TEST_F(TrayIconTest, MouseNotificationsBecomeEvents)
{
    int clicks = 0;
    int doubleClicks = 0;
    model.OnClick = [&] { ++clicks; };
    model.OnDblClick = [&] { ++doubleClicks; };

    struct Case
    {
        std::uint32_t message;
        std::intptr_t lParam;
        TrayMessage expected;
        int clicks;
        int doubleClicks;
    };
    // A double click arrives as up, double-click, up: two clicks and one double click.
    const Case cases[] = {
        {0x0401, 0x0202, TrayMessage::Handled, 1, 0},    // left button up
        {0x0401, 0x0203, TrayMessage::Handled, 1, 1},    // left double click
        {0x0401, 0x0202, TrayMessage::Handled, 2, 1},    // left button up
        {0x0401, 0x0205, TrayMessage::RightClick, 2, 1}, // right button up: the menu's job
        {0x0401, 0x0200, TrayMessage::Handled, 2, 1},    // a move: nothing
        {0x0401, 0x0201, TrayMessage::Handled, 2, 1},    // left button down: nothing
        {0x0400, 0x0202, TrayMessage::NotMine, 2, 1},    // another message number
        {0x000F, 0, TrayMessage::NotMine, 2, 1},         // WM_PAINT
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(model.OnMessage(c.message, c.lParam), c.expected) << c.message << " " << c.lParam;
        EXPECT_EQ(clicks, c.clicks) << c.message << " " << c.lParam;
        EXPECT_EQ(doubleClicks, c.doubleClicks) << c.message << " " << c.lParam;
    }
    EXPECT_TRUE(shell.calls.empty()) << "clicks never talk to the shell";
}

} // namespace
} // namespace zim
