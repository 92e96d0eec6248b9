// Sending a window to a desktop from its system menu, and placing the windows of
// an announced application start, against the simulated desktop.

#include "engine/window_events.h"
#include "engine_fixture.h"
#include "platform/hook_library.h"
#include "step_runner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace zim
{
namespace
{

using hookmsg::DesktopCommandId;

constexpr std::uint32_t kStartedProcess = 4242;

class WindowEventsTest : public testing::EngineTest
{
protected:
    WindowEventsTest()
    {
        inputTimer->SetEnabled(true);
        engine.SetInputTimer(inputTimer.get());
        events.SetInputTimer(inputTimer.get());
        frozen.SetMoverRunner(&runner);
        frozen.SetWarning([](const std::string&) {});
    }

    void Send(WindowHandle w, std::intptr_t command) { events.OnSendToDesktop(w, command); }
    void Send(WindowHandle w, int desktop) { Send(w, static_cast<std::intptr_t>(DesktopCommandId(desktop))); }

    WindowHandle AddOf(std::uint32_t processId, Rect rect = Rect::FromSize(100, 100, 400, 300))
    {
        sim::WindowSetup setup;
        setup.rect = rect;
        setup.processId = processId;
        return desktop.AddWindow(setup);
    }

    std::unique_ptr<Timer> inputTimer = desktop.CreateTimer(50, [] {});
    WindowEvents events{desktop, desktop, state, engine};
    testing::StepRunner runner{desktop};
};

TEST_F(WindowEventsTest, SystemMenuCommandsSendTheWindowToTheDesktopTheyNameInTheGrid)
{
    state.Grid.Apply({300, 225}, 2, 2);
    constexpr std::uint32_t kSystemBits = 0xF;
    struct Case
    {
        const char* name;
        std::intptr_t command;
        std::optional<Point> shift; // nothing: ignored
    };
    const Case cases[] = {
        {"desktop 4 of 2 x 2 is column 1, row 1", 16 * (3994 + 4), Point{W, H}},
        {"desktop 5 lies outside", 16 * (3994 + 5), std::nullopt},
        {"desktop 2, the system's low bits ignored", DesktopCommandId(2) | kSystemBits, Point{W, 0}},
        {"desktop 3 is the next row", DesktopCommandId(3), Point{0, H}},
        {"desktop 0", DesktopCommandId(0), std::nullopt},
        {"SC_CLOSE", 0xF060, std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Rect place = Rect::FromSize(100, 100, 300, 200);
        const WindowHandle w = Add("sent", place);
        Send(w, c.command);
        EXPECT_EQ(RectOf(w), place.Offset(c.shift.value_or(Point{}).x, c.shift.value_or(Point{}).y));
        if (!c.shift)
        {
            EXPECT_EQ(desktop.MoveCount(w), 0);
        }
        EXPECT_TRUE(inputTimer->IsEnabled());
        EXPECT_EQ(Current(), (Point{0, 0})) << "the view never moves";
        desktop.DestroyWindow(w);
    }
}

TEST_F(WindowEventsTest, TheTargetIsMeasuredFromTheWindowsOwnDesktopWhicheverIsShown)
{
    engine.DrawGrid1SelectCell(1, 1);
    // Lies on desktop (2, 0): one column right of and one row above the shown one.
    const Rect place = Rect::FromSize(W + 100, -H + 100, 300, 200);
    const WindowHandle w = Add("far", place);
    Send(w, 7); // column 0, row 2
    EXPECT_EQ(RectOf(w), place.Offset(-2 * W, 2 * H));
    EXPECT_EQ(engine.WindowDesktopOffset(w), (Point{-1, 1}));
}

TEST_F(WindowEventsTest, SendingToTheShownDesktopMovesByZeroAndStillActivatesTheTopWindow)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle sent = Add("sent", place);
    const WindowHandle top = Add("top", place);
    const WindowHandle away = Add("away", place.Offset(W, 0)); // on desktop (1, 0), topmost of all
    desktop.SetForegroundWindow(away);

    Send(sent, 1);
    EXPECT_EQ(RectOf(sent), place);
    EXPECT_EQ(desktop.GetForegroundWindow(), top);
}

TEST_F(WindowEventsTest, TheSentActiveWindowHandsTheForegroundToAWindowOfTheShownDesktop)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle stays = Add("stays", place);
    const WindowHandle sent = Add("sent", place);
    desktop.SetForegroundWindow(sent);

    Send(sent, 5); // (1, 1)
    EXPECT_EQ(RectOf(sent), place.Offset(W, H));
    EXPECT_EQ(desktop.GetForegroundWindow(), stays);
}

TEST_F(WindowEventsTest, AChildWindowsHandleFromAnotherProgramMovesNothing)
{
    sim::WindowSetup setup;
    setup.title = "a button";
    setup.child = true;
    setup.rect = Rect::FromSize(120, 140, 80, 24);
    const WindowHandle child = desktop.AddWindow(setup);
    ASSERT_TRUE(desktop.IsWindow(child));
    Send(child, 2);
    EXPECT_EQ(desktop.MoveCount(child), 0);
    EXPECT_EQ(RectOf(child), setup.rect);
}

TEST_F(WindowEventsTest, MinimisedAndStickyWindowsStayWhereTheyAre)
{
    options.Update([](Options& o) { o.stickyWindows.Add("Pinned", true); });
    const WindowHandle minimised = Add("min");
    desktop.SetMinimized(minimised, true);
    const Rect parked = RectOf(minimised);
    const WindowHandle sticky = Add("Pinned");
    const Rect pinned = RectOf(sticky);

    Send(minimised, 2);
    Send(sticky, 2);
    EXPECT_EQ(RectOf(minimised), parked);
    EXPECT_EQ(RectOf(sticky), pinned);
    EXPECT_EQ(desktop.MoveCount(minimised), 0);
    EXPECT_EQ(desktop.MoveCount(sticky), 0);
    EXPECT_TRUE(desktop.IsIconic(minimised)) << "not restored by the send";
}

TEST_F(WindowEventsTest, AHungWindowGoesToTheMoverWithItsPendingShiftReplaced)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle hung = Add("hung", place);
    desktop.HangUntil(hung, desktop.NowMs() + 3000);
    engine.DrawGrid1SelectCell(1, 0); // leaves it a pending shift of (-W, 0)
    ASSERT_EQ(frozen.PendingShift(hung), (Point{-W, 0}));

    // It has not moved yet, so it still lies on the shown desktop (1, 0).
    Send(hung, 9); // (2, 2)
    EXPECT_EQ(frozen.PendingShift(hung), (Point{W, 2 * H}));
    EXPECT_EQ(frozen.MoveThreadCount(), 1);
    EXPECT_EQ(RectOf(hung), place) << "never waited for";
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);

    while (runner.Running() > 0)
    {
        runner.Step();
    }
    EXPECT_EQ(RectOf(hung), place.Offset(W, 2 * H));
    EXPECT_EQ(engine.WindowDesktopOffset(hung), (Point{1, 2}));
}

// Times the input timer's changes against the window's moves.
class RecordingTimer final : public Timer
{
public:
    explicit RecordingTimer(std::function<int()> moves) : m_moves(std::move(moves)) {}
    void SetEnabled(bool enabled) override
    {
        m_enabled = enabled;
        changes.push_back({enabled, m_moves()});
    }
    bool IsEnabled() const override { return m_enabled; }
    void SetInterval(unsigned ms) override { m_interval = ms; }
    unsigned Interval() const override { return m_interval; }

    struct Change
    {
        bool enabled;
        int movesSoFar;
        friend bool operator==(const Change&, const Change&) = default;
    };
    std::vector<Change> changes;

private:
    std::function<int()> m_moves;
    bool m_enabled = true;
    unsigned m_interval = 50;
};

TEST_F(WindowEventsTest, TheInputTimerIsOffWhileWindowsMoveAndComesBackAsItWas)
{
    const WindowHandle sent = Add("sent");
    const WindowHandle started = AddOf(kStartedProcess);
    RecordingTimer timer([&] { return desktop.MoveCount(sent) + desktop.MoveCount(started); });
    events.SetInputTimer(&timer);

    Send(sent, 2);
    events.OnAppStarting();
    events.OnAppStarted(3, kStartedProcess);
    using Change = RecordingTimer::Change;
    EXPECT_EQ(timer.changes, (std::vector<Change>{{false, 0}, {true, 1}, {false, 1}, {true, 2}}));

    timer.SetEnabled(false);
    timer.changes.clear();
    Send(sent, 1);
    EXPECT_FALSE(timer.IsEnabled()) << "a timer that was off stays off";
}

TEST_F(WindowEventsTest, BogusSendsFromOtherProcessesAreIgnored)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle w = Add("w", place);
    const WindowHandle gone = Add("gone", place);
    desktop.DestroyWindow(gone);
    constexpr auto kHigh = std::intptr_t{1} << 32;

    Send(gone, 2);
    Send(kNoWindow, 2);
    Send(w, std::intptr_t{-1});
    Send(w, -static_cast<std::intptr_t>(DesktopCommandId(2)));
    if constexpr (sizeof(std::intptr_t) > 4)
    {
        // Cut to 32 bits this would name desktop 2.
        Send(w, kHigh | static_cast<std::intptr_t>(DesktopCommandId(2)));
    }
    Send(w, std::numeric_limits<std::intptr_t>::max());
    EXPECT_EQ(RectOf(w), place);
    EXPECT_EQ(desktop.MoveCount(w), 0);
    EXPECT_EQ(frozen.MoveThreadCount(), 0);
}

TEST_F(WindowEventsTest, AStartedApplicationsWindowsAllGoToTheAnnouncedDesktopWhileTheViewStays)
{
    options.Update([](Options& o) { o.stickyWindows.Add("Pinned", true); });
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle active = Add("active", place);
    desktop.SetForegroundWindow(active);

    events.OnAppStarting();
    EXPECT_EQ(state.AppStarting, 1);
    EXPECT_EQ(state.LastActiveWnd[0][0], active);
    EXPECT_FALSE(engine.DrawGrid1SelectCell(1, 0)) << "the view holds still meanwhile";

    const WindowHandle main = AddOf(kStartedProcess, place);
    const WindowHandle second = AddOf(kStartedProcess, place.Offset(50, 50));
    const WindowHandle sticky = AddOf(kStartedProcess, place);
    desktop.SetTitle(sticky, "Pinned");
    const WindowHandle other = AddOf(kStartedProcess + 1, place);
    desktop.SetForegroundWindow(main); // a new program takes the foreground

    events.OnAppStarted(6, kStartedProcess); // (2, 1)
    EXPECT_EQ(RectOf(main), place.Offset(2 * W, H));
    EXPECT_EQ(RectOf(second), place.Offset(50 + 2 * W, 50 + H));
    EXPECT_EQ(RectOf(sticky), place) << "a sticky window stays visible";
    EXPECT_EQ(RectOf(other), place) << "another process";
    EXPECT_EQ(desktop.GetForegroundWindow(), active) << "the window active at the announcement again";
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(state.AppStarting, 0);
    EXPECT_TRUE(engine.DrawGrid1SelectCell(2, 1));
    EXPECT_EQ(RectOf(main), place);
}

TEST_F(WindowEventsTest, AStartIsPlacedRelativeToTheShownDesktopAndItsHungWindowsGoToTheMover)
{
    engine.DrawGrid1SelectCell(1, 1);
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    events.OnAppStarting();
    const WindowHandle w = AddOf(kStartedProcess, place);
    const WindowHandle hung = AddOf(kStartedProcess, place);
    desktop.HangUntil(hung, desktop.NowMs() + 3000);

    events.OnAppStarted(1, kStartedProcess); // (0, 0)
    EXPECT_EQ(RectOf(w), place.Offset(-W, -H));
    EXPECT_EQ(RectOf(hung), place);
    EXPECT_EQ(frozen.PendingShift(hung), (Point{-W, -H}));
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    while (runner.Running() > 0)
    {
        runner.Step();
    }
    EXPECT_EQ(RectOf(hung), place.Offset(-W, -H));
}

TEST_F(WindowEventsTest, TheMonitorIsNotRememberedAsTheWindowToComeBackTo)
{
    const WindowHandle active = Add("active");
    state.LastActiveWnd[0][0] = active;
    sim::WindowSetup monitorSetup;
    monitorSetup.className = "TZIMMonitor";
    const WindowHandle monitorWindow = desktop.AddWindow(monitorSetup);
    engine.SetMonitorWindow(monitorWindow);
    desktop.SetForegroundWindow(monitorWindow);
    events.OnAppStarting();
    EXPECT_EQ(state.LastActiveWnd[0][0], active);

    events.OnAppStarted(2, kStartedProcess);
    EXPECT_EQ(desktop.GetForegroundWindow(), active) << "the start hands the foreground back";
}

TEST_F(WindowEventsTest, TheStartCounterNeverGoesBelowZeroAndAForgottenStartExpires)
{
    // Reports without an announcement.
    events.OnAppStarted(1, 0);
    events.OnAppStarted(1, 0);
    EXPECT_EQ(state.AppStarting, 0);
    events.OnAppStarting();
    EXPECT_EQ(state.AppStarting, 1) << "the next announced start is still guarded";

    // The announcer dies before its report: switches work again after the expiry.
    desktop.Advance(WindowEvents::kAppStartExpiryMs - 1);
    EXPECT_FALSE(engine.DrawGrid1SelectCell(1, 0));
    desktop.Advance(1);
    EXPECT_EQ(state.AppStarting, 0);
    EXPECT_TRUE(engine.DrawGrid1SelectCell(1, 0));

    // Each start expires on its own, counted from its own announcement.
    events.OnAppStarting();
    desktop.Advance(5000);
    events.OnAppStarting();
    desktop.Advance(WindowEvents::kAppStartExpiryMs - 5000);
    EXPECT_EQ(state.AppStarting, 1);
    desktop.Advance(5000);
    EXPECT_EQ(state.AppStarting, 0);

    // A report that comes after all, late, still places the windows and leaves the count at 0.
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle late = AddOf(kStartedProcess, place);
    events.OnAppStarted(1, kStartedProcess); // (0, 0), seen from (1, 0)
    EXPECT_EQ(RectOf(late), place.Offset(-W, 0));
    EXPECT_EQ(state.AppStarting, 0);
}

TEST_F(WindowEventsTest, AReportedStartStopsItsExpiry)
{
    events.OnAppStarting();
    desktop.Advance(6000);
    events.OnAppStarted(1, 0);
    events.OnAppStarting(); // a second start, 6 s after the first announcement
    desktop.Advance(WindowEvents::kAppStartExpiryMs - 1000);
    EXPECT_EQ(state.AppStarting, 1) << "the first start's deadline went with its report";
    desktop.Advance(1000);
    EXPECT_EQ(state.AppStarting, 0);
}

TEST_F(WindowEventsTest, BogusStartReportsPlaceNothingButStillEndTheStart)
{
    const Rect place = Rect::FromSize(100, 100, 300, 200);
    const WindowHandle w = AddOf(kStartedProcess, place);
    const WindowHandle active = Add("active", place);
    desktop.SetForegroundWindow(active);
    constexpr auto kHigh = std::intptr_t{1} << 32;
    struct Case
    {
        const char* name;
        std::uintptr_t desktopNumber;
        std::intptr_t processId;
    };
    std::vector<Case> cases = {
        {"desktop 0", 0, kStartedProcess},
        {"desktop 10 of 3 x 3", 10, kStartedProcess},
        {"huge desktop number", std::numeric_limits<std::uintptr_t>::max(), kStartedProcess},
        {"process id 0: a start that failed", 2, 0},
        {"negative process id", 2, -static_cast<std::intptr_t>(kStartedProcess)},
    };
    if constexpr (sizeof(std::intptr_t) > 4)
    {
        cases.push_back({"process id beyond 32 bits", 2, kHigh | kStartedProcess});
        cases.push_back({"desktop beyond 32 bits", static_cast<std::uintptr_t>(kHigh) | 2, kStartedProcess});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        desktop.SetForegroundWindow(active);
        events.OnAppStarting();
        desktop.SetForegroundWindow(w);
        events.OnAppStarted(c.desktopNumber, c.processId);
        EXPECT_EQ(RectOf(w), place);
        EXPECT_EQ(state.AppStarting, 0);
        EXPECT_EQ(desktop.GetForegroundWindow(), w) << "nothing placed, nothing activated";
    }
    EXPECT_EQ(desktop.MoveCount(w), 0);
}

} // namespace
} // namespace zim
