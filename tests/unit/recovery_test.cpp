// A run that dies leaves a record of what it did to other windows; the next
// start puts every window back from it. These tests build the record the way a
// real run does (switches and hide mode on the simulated desktop), "kill" the
// run by simply not ending it, and recover on the same desktop.

#include "engine/classification.h"
#include "engine/recovery.h"
#include "engine_fixture.h"
#include "platform/sim/sim_registry.h"
#include "step_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <functional>
#include <random>

namespace zim
{
namespace
{

class RecoveryTest : public testing::EngineTest
{
protected:
    static constexpr std::uint32_t kOwner = 4242;
    static constexpr std::uint64_t kOwnerStart = 133000000000000000ull;

    RecoveryTest()
    {
        options.Update([](Options& o) { o.compatibilityClasses.Add("RollUp", true); });
        hideMode.SetOnChanged([this] { recorder.HiddenChanged(); });
        recorder.Start();
    }

    // A window of desktop (column, row) at `local` on it, placed while (0, 0) is shown.
    WindowHandle On(int column, int row, Rect local, const std::string& className = "Notepad")
    {
        const auto w = AddWindow("window", local.Offset(column * W, row * H), className);
        placed.push_back({w, column, row, local});
        return w;
    }

    RecoveryOutcome Recover(const RecordRead& read)
    {
        const auto leaveAlone = [this](WindowHandle w) { return IsStickyWindow(desktop, options.Get(), w); };
        const auto keepOnScreen = [this](WindowHandle w) { return hideMode.UsesHideMode(w); };
        const RecoveryScene scene{desktop, leaveAlone, keepOnScreen, 3, 3};
        return RecoverWindows(scene, read);
    }
    RecoveryOutcome RecoverFromRegistry() { return Recover(ReadRecord(registry)); }

    // Every placed ordinary window is back at its place seen from (0, 0).
    void ExpectOrdinaryWindowsHome()
    {
        for (const Placed& p : placed)
        {
            if (desktop.GetClassName(p.w) == "Notepad")
            {
                EXPECT_EQ(RectOf(p.w), p.local.Offset(p.column * W, p.row * H))
                    << "desktop (" << p.column << "," << p.row << ")";
            }
        }
    }

    struct Placed
    {
        WindowHandle w;
        int column;
        int row;
        Rect local;
    };
    std::vector<Placed> placed;
    sim::SimRegistry registry;
    RecoveryRecorder recorder{registry, desktop, state.Grid, hideMode, kOwner, kOwnerStart};
};

TEST_F(RecoveryTest, TheRecordLivesInAVolatileKeyOfItsOwnAndGoesAtACleanExitOrALogoff)
{
    EXPECT_TRUE(registry.IsVolatile(std::string(kRecoveryKey)));
    EXPECT_FALSE(registry.IsVolatile("Software\\Zim Desk")); // ordinary keys may still go under the parent
    EXPECT_FALSE(registry.KeyExists("Software\\zimdesk.ini"));
    const RecordRead read = ReadRecord(registry);
    ASSERT_EQ(read.status, RecordRead::Status::Ok);
    EXPECT_EQ(read.record.ownerProcess, kOwner);
    EXPECT_EQ(read.record.ownerStart, kOwnerStart);
    EXPECT_EQ(read.record.screen, (Size{W, H}));

    recorder.Finish();
    EXPECT_FALSE(registry.KeyExists(std::string(kRecoveryKey)));
    engine.DrawGrid1SelectCell(1, 1); // nothing is written after the exit
    EXPECT_FALSE(registry.KeyExists(std::string(kRecoveryKey)));

    RecoveryRecorder again{registry, desktop, state.Grid, hideMode, kOwner, kOwnerStart};
    again.Start();
    registry.Logoff();
    EXPECT_EQ(ReadRecord(registry).status, RecordRead::Status::Missing);
}

TEST_F(RecoveryTest, OneWriteASwitchAndDuringASwitchOnlyForANewlyHiddenWindow)
{
    for (int i = 0; i < 20; ++i)
    {
        On(i % 3, 0, Rect::FromSize(50 + i * 10, 60, 300, 200));
    }
    const auto rollUp = On(0, 0, Rect::FromSize(200, 200, 300, 200), "RollUp");
    const int atStart = recorder.Writes();

    engine.DrawGrid1SelectCell(1, 0); // as it begins, and when the roll-up window is hidden
    EXPECT_EQ(recorder.Writes(), atStart + 2);
    engine.DrawGrid1SelectCell(2, 0); // it stays hidden: one write
    EXPECT_EQ(recorder.Writes(), atStart + 3);
    engine.DrawGrid1SelectCell(2, 0); // the same desktop again: nothing new
    EXPECT_EQ(recorder.Writes(), atStart + 3);
    engine.DrawGrid1SelectCell(0, 0); // as it begins, and at its end for the window shown again
    EXPECT_EQ(recorder.Writes(), atStart + 5);
    EXPECT_TRUE(desktop.IsWindowVisible(rollUp));
    EXPECT_TRUE(ReadRecord(registry).record.hidden.empty());
}

TEST_F(RecoveryTest, AfterADeathOnDesktopTwoOneEveryWindowGoesHomeAndEveryHeldOneIsShown)
{
    for (int column = 0; column < 3; ++column)
    {
        for (int row = 0; row < 3; ++row)
        {
            On(column, row, Rect::FromSize(40 + 100 * column, 30 + 90 * row, 320, 240));
        }
    }
    const Rect here = Rect::FromSize(150, 120, 300, 200);
    const auto heldHome = On(0, 0, here, "RollUp");                               // held, of (0, 0)
    const auto heldAway = On(1, 1, Rect::FromSize(500, 300, 300, 200), "RollUp"); // held, of (1, 1)
    const auto shownRollUp = On(2, 1, Rect::FromSize(600, 400, 200, 150), "RollUp");
    const auto sticky = AddWindow("Task bar", Rect::FromSize(0, H - 30, W, 30), "Shell_TrayWnd");

    engine.DrawGrid1SelectCell(2, 1);
    ASSERT_FALSE(desktop.IsWindowVisible(heldHome));
    ASSERT_FALSE(desktop.IsWindowVisible(heldAway));
    const RecordRead read = ReadRecord(registry);
    ASSERT_EQ(read.status, RecordRead::Status::Ok);
    EXPECT_EQ(read.record.shown, (Point{2, 1}));
    ASSERT_EQ(read.record.hidden.size(), 2u);
    for (const RecordedWindow& entry : read.record.hidden)
    {
        EXPECT_EQ(entry.className, "RollUp");
        EXPECT_EQ(entry.desktop, (entry.wnd == heldHome ? Point{0, 0} : Point{1, 1}));
    }

    // The run dies here; the next start finds the record.
    const RecoveryOutcome outcome = Recover(read);
    ExpectOrdinaryWindowsHome();
    EXPECT_TRUE(desktop.IsWindowVisible(heldHome));
    EXPECT_EQ(RectOf(heldHome), here);
    EXPECT_TRUE(desktop.IsWindowVisible(heldAway)); // on the screen, at its place on (1, 1)
    EXPECT_EQ(RectOf(heldAway), Rect::FromSize(500, 300, 300, 200));
    EXPECT_EQ(RectOf(shownRollUp), Rect::FromSize(600, 400, 200, 150)); // not sent where it cannot stay
    EXPECT_EQ(RectOf(sticky), Rect::FromSize(0, H - 30, W, 30));
    EXPECT_EQ(outcome.shownHidden, 2);
    EXPECT_EQ(outcome.shifted, 9);
    EXPECT_EQ(outcome.stale, 0);
    EXPECT_FALSE(outcome.screenChanged);
}

// Written as the switch begins: a run that dies before the end of its switch has
// moved some windows and not others.
TEST_F(RecoveryTest, ADeathInTheMiddleOfASwitchStrandsNoWindow)
{
    const auto moved = On(0, 0, Rect::FromSize(100, 100, 300, 200));
    const auto farRight = On(2, 0, Rect::FromSize(100, 100, 300, 200));
    const auto notYet = On(0, 0, Rect::FromSize(500, 100, 300, 200));
    std::string atStartOfSwitch;
    struct Tap final : SwitchListener
    {
        std::function<void()> onSwitching;
        void DesktopSwitching(Point, Point) override { onSwitching(); }
    } tap;
    tap.onSwitching = [&]
    { registry.ReadString(std::string(kRecoveryKey), std::string(kRecoveryValue), atStartOfSwitch); };
    state.Grid.Subscribe(tap); // after the recorder: sees its write
    engine.DrawGrid1SelectCell(1, 0);
    state.Grid.Unsubscribe(tap);
    // The run dies with one window of (0, 0) moved and the others where they were.
    desktop.SetRect(farRight, Rect::FromSize(2 * W + 100, 100, 300, 200));
    desktop.SetRect(notYet, Rect::FromSize(500, 100, 300, 200));
    ASSERT_EQ(RectOf(moved), Rect::FromSize(100 - W, 100, 300, 200));

    const RecordRead read = ParseRecord(atStartOfSwitch);
    ASSERT_EQ(read.status, RecordRead::Status::Ok);
    EXPECT_EQ(read.record.shown, (Point{1, 0}));
    EXPECT_EQ(read.record.from, (Point{0, 0}));
    Recover(read);
    EXPECT_EQ(RectOf(moved), Rect::FromSize(100, 100, 300, 200));
    // Taken as moved it would lie beyond the grid: it is taken as not moved yet.
    EXPECT_EQ(RectOf(farRight), Rect::FromSize(2 * W + 100, 100, 300, 200));
    // Either way on a desktop of the grid; as moved, one desktop off.
    EXPECT_EQ(RectOf(notYet), Rect::FromSize(W + 500, 100, 300, 200));
}

TEST_F(RecoveryTest, StaleAndReusedHandlesAreSkippedAndAStrangersHiddenWindowStaysHidden)
{
    const auto gone = On(0, 0, Rect::FromSize(100, 100, 300, 200), "RollUp");
    const auto reused = On(0, 0, Rect::FromSize(300, 200, 300, 200), "RollUp");
    const auto kept = On(0, 0, Rect::FromSize(500, 300, 300, 200), "RollUp");
    engine.DrawGrid1SelectCell(1, 0);
    RecordRead read = ReadRecord(registry);
    ASSERT_EQ(read.record.hidden.size(), 3u);

    desktop.DestroyWindow(gone);
    // The same handle now names a window of another program, hidden by it.
    for (RecordedWindow& entry : read.record.hidden)
    {
        if (entry.wnd == reused)
        {
            entry.className = "OtherClass";
        }
    }
    const RecoveryOutcome outcome = Recover(read);
    EXPECT_EQ(outcome.stale, 2);
    EXPECT_FALSE(desktop.IsWindowVisible(reused));
    EXPECT_EQ(RectOf(reused), Rect::FromSize(300, 200, 300, 200));
    EXPECT_TRUE(desktop.IsWindowVisible(kept));
}

TEST_F(RecoveryTest, ARecordForAnotherScreenSizeKeepsEveryWindowOnItsDesktopAndWhollyReachable)
{
    On(0, 0, Rect::FromSize(100, 100, 300, 200));
    On(1, 0, Rect::FromSize(900, 600, 100, 100)); // beyond the smaller screen: pulled in
    On(2, 2, Rect::FromSize(10, 10, 500, 400));
    const auto wide = On(1, 2, Rect::FromSize(-8, -8, W + 16, H + 16)); // maximised
    const auto held = On(0, 1, Rect::FromSize(700, 500, 300, 200), "RollUp");
    engine.DrawGrid1SelectCell(1, 1);

    const Size small{800, 600};
    desktop.SetScreenSize(small, Rect::FromSize(0, 0, 800, 570));
    const RecoveryOutcome outcome = RecoverFromRegistry();
    EXPECT_TRUE(outcome.screenChanged);
    for (const Placed& p : placed)
    {
        const Rect r = RectOf(p.w);
        if (p.w == held)
        {
            EXPECT_TRUE(desktop.IsWindowVisible(held));
            EXPECT_EQ(r, Rect::FromSize(800 - 300, 600 - 200, 300, 200));
            continue;
        }
        // Its centre lies on its own desktop, and the window on that desktop's screen
        // as far as its size allows.
        EXPECT_EQ((r.left + r.Width() / 2) / small.width, p.column);
        EXPECT_EQ((r.top + 25) / small.height, p.row);
        if (p.w != wide)
        {
            EXPECT_GE(r.left, p.column * small.width);
            EXPECT_LE(r.right, (p.column + 1) * small.width);
            EXPECT_LE(r.bottom, (p.row + 1) * small.height);
        }
    }
    EXPECT_EQ(RectOf(placed[0].w), Rect::FromSize(100, 100, 300, 200)); // a place that fits is kept
}

TEST_F(RecoveryTest, AWindowIsInTheRecordBeforeItsThreadIsAskedToHideIt)
{
    const auto held = On(0, 0, Rect::FromSize(300, 200, 300, 200), "RollUp");
    std::map<WindowHandle, RecordRead> atHide;
    desktop.SetOnOperation(
        [&](const sim::SimDesktop::Operation& op)
        {
            if (op.what == "hide-async" || op.what == "hide")
            {
                atHide[op.w] = ReadRecord(registry);
            }
        });
    engine.DrawGrid1SelectCell(0, 1);
    desktop.SetOnOperation(nullptr);

    ASSERT_EQ(atHide.size(), 1u);
    for (const WindowHandle w : {held})
    {
        // A death right at the hiding still finds the window named, at the
        // place where it rests hidden.
        const RecordRead& read = atHide[w];
        ASSERT_EQ(read.status, RecordRead::Status::Ok);
        const auto entry = std::find_if(read.record.hidden.begin(), read.record.hidden.end(),
                                        [&](const RecordedWindow& e) { return e.wnd == w; });
        ASSERT_NE(entry, read.record.hidden.end());
        EXPECT_EQ(entry->place, RectOf(w));
        EXPECT_EQ(entry->desktop, (Point{0, 0}));
    }
}

TEST_F(RecoveryTest, AHeldWindowResizedWhileHiddenComesBackOnTheScreenWithItsPresentSize)
{
    // Held hidden while (1, 0) is shown, parked partly left of the screen.
    const Rect wide = Rect::FromSize(-600, 100, 1400, 300);
    const auto held = On(0, 0, wide, "RollUp");
    engine.DrawGrid1SelectCell(1, 0);
    ASSERT_FALSE(desktop.IsWindowVisible(held));
    RecordRead read = ReadRecord(registry);
    ASSERT_EQ(read.status, RecordRead::Status::Ok);
    ASSERT_EQ(read.record.hidden.size(), 1u);
    // Its application shrinks it while it is hidden; the run dies.
    const Rect parked = RectOf(held);
    desktop.SetRect(held, Rect::FromSize(parked.left, parked.top, 300, 200));

    Recover(read);
    EXPECT_TRUE(desktop.IsWindowVisible(held));
    const Rect r = RectOf(held);
    EXPECT_EQ(r.Width(), 300);
    EXPECT_GT(r.right, 8);
    EXPECT_LT(r.left, W - 8);

    // The same for a record written on a screen of another size.
    desktop.ShowWindow(held, ShowCommand::Hide);
    desktop.SetRect(held, Rect::FromSize(-900, 100, 300, 200));
    read.record.screen = {1280, 1024};
    read.record.hidden[0].place = Rect::FromSize(-900, 100, 2000, 300);
    Recover(read);
    const Rect again = RectOf(held);
    EXPECT_GE(again.left, 0);
    EXPECT_LE(again.right, W);
}

TEST_F(RecoveryTest, HungWindowsAreNeverWaitedForAndMoveWhenTheyWake)
{
    const auto hung = On(0, 0, Rect::FromSize(100, 100, 300, 200));
    const auto heldHung = On(0, 0, Rect::FromSize(400, 300, 300, 200), "RollUp");
    engine.DrawGrid1SelectCell(1, 0);
    desktop.HangUntil(hung, desktop.NowMs() + 60000);
    desktop.HangUntil(heldHung, desktop.NowMs() + 60000);

    const RecoveryOutcome outcome = RecoverFromRegistry();
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    EXPECT_EQ(outcome.notAnswering, 2);
    desktop.Advance(61000);
    EXPECT_EQ(RectOf(hung), Rect::FromSize(100, 100, 300, 200));
    EXPECT_TRUE(desktop.IsWindowVisible(heldHung));
}

// A window that did not answer keeps its place until its mover gets through to
// it; the record says what it still owes, so a death meanwhile does not leave
// the window one desktop off. A move made after the last write is not made twice.
TEST_F(RecoveryTest, AMoveStillOwedByAMoverAtTheDeathIsTakenIntoAccountButNeverMadeTwice)
{
    testing::StepRunner runner{desktop};
    frozen.SetMoverRunner(&runner);
    recorder.SetPendingSource([this] { return frozen.PendingShifts(); });
    const Rect first = Rect::FromSize(100, 100, 300, 200);
    const Rect second = Rect::FromSize(500, 300, 300, 200);
    const auto stillOwed = On(0, 0, first);
    const auto wokeLate = On(0, 0, second);
    const auto ordinary = On(1, 0, Rect::FromSize(200, 150, 300, 200));
    desktop.HangUntil(stillOwed, desktop.NowMs() + 60000);
    desktop.HangUntil(wokeLate, desktop.NowMs() + 60000);
    const int before = recorder.Writes();

    engine.DrawGrid1SelectCell(1, 0);
    engine.DrawGrid1SelectCell(2, 0);
    ASSERT_EQ(frozen.PendingShifts().size(), 2u);
    EXPECT_EQ(recorder.Writes(), before + 4); // as each switch begins, and as it ends with moves owed
    const RecordRead read = ReadRecord(registry);
    ASSERT_EQ(read.record.pending.size(), 2u);
    for (const RecordedShift& owed : read.record.pending)
    {
        EXPECT_EQ(owed.shift, (Point{-2 * W, 0}));
        EXPECT_EQ(owed.place, owed.wnd == stillOwed ? first : second);
    }

    // One wakes and its mover moves it after the last write; then the run dies.
    desktop.HangUntil(wokeLate, desktop.NowMs());
    runner.Step();
    ASSERT_EQ(RectOf(wokeLate), second.Offset(-2 * W, 0));
    ASSERT_EQ(RectOf(stillOwed), first);

    const RecoveryOutcome outcome = Recover(read);
    EXPECT_EQ(RectOf(stillOwed), first); // it never left (0, 0)
    EXPECT_EQ(RectOf(wokeLate), second);
    EXPECT_EQ(RectOf(ordinary), Rect::FromSize(W + 200, 150, 300, 200));
    EXPECT_EQ(outcome.owedMoves, 1);
    EXPECT_EQ(outcome.notAnswering, 0); // the one still hung needed no move

    // A window of another class now under the handle gets no owed move.
    RecordRead reused = read;
    for (RecordedShift& owed : reused.record.pending)
    {
        owed.className = "SomethingElse";
    }
    EXPECT_EQ(Recover(reused).owedMoves, 0);
}

TEST_F(RecoveryTest, DamagedRecordsMoveOnlyWindowsNoDesktopHolds)
{
    const auto home = On(0, 0, Rect::FromSize(100, 100, 300, 200));
    const auto right = On(1, 0, Rect::FromSize(100, 100, 300, 200));
    const auto lost = AddWindow("lost", Rect::FromSize(100 - W, 100 - H, 300, 200), "Notepad");
    const auto hidden = AddWindow("hidden", Rect::FromSize(100 - W, 100, 300, 200), "Notepad");
    desktop.ShowWindow(hidden, ShowCommand::Hide);

    const std::string good = SerializeRecord({1, 2, {1, 1}, {1, 1}, 3, 3, {W, H}, {}, {}});
    const std::vector<std::string> damaged = {
        "",
        "garbage\x01\xff",
        "zimdesk-recovery 2\nshown 0 0\ngrid 3 3\nscreen 1024 768\nhidden 0\n",
        "zimdesk-recovery 1\nshown 5 1\ngrid 3 3\nscreen 1024 768\nhidden 0\n",              // outside its grid
        "zimdesk-recovery 1\nshown 1 1\ngrid 30 3\nscreen 1024 768\nhidden 0\n",             // no such grid
        "zimdesk-recovery 1\nshown 1 1\ngrid 3 3\nscreen -1024 768\nhidden 0\n",             // no such screen
        "zimdesk-recovery 1\nshown 1 1\ngrid 3 3\nscreen 1024 768\nhidden 99999999999999\n", // huge count
        "zimdesk-recovery 1\nshown 1 1\ngrid 3 3\nscreen 1024 768\nhidden 2\n",              // entries missing
        "zimdesk-recovery 1\nshown 1 1 7\ngrid 3 3\nscreen 1024 768\nhidden 0\n",            // an extra number
        "zimdesk-recovery 1\nshown 1 1\nshown 0 0\ngrid 3 3\nscreen 1024 768\nhidden 0\n",   // twice
        "zimdesk-recovery 1\nshown 0x1 1\ngrid 3 3\nscreen 1024 768\nhidden 0\n",            // not decimal
        "zimdesk-recovery 1\nshown 1 1\ngrid 3 3\nscreen 1024 768\n",                        // no count
        good.substr(0, good.size() / 2),                                                     // cut short
    };
    for (const std::string& text : damaged)
    {
        SCOPED_TRACE(text);
        const RecordRead read = ParseRecord(text);
        ASSERT_EQ(read.status, RecordRead::Status::Damaged);
        desktop.SetRect(lost, Rect::FromSize(100 - W, 100 - H, 300, 200));
        const RecoveryOutcome outcome = Recover(read);
        EXPECT_TRUE(outcome.damaged);
        EXPECT_EQ(RectOf(home), Rect::FromSize(100, 100, 300, 200));
        EXPECT_EQ(RectOf(right), Rect::FromSize(W + 100, 100, 300, 200));
        EXPECT_EQ(RectOf(lost), Rect::FromSize(100, 100, 300, 200)); // beyond the grid: onto the screen
        EXPECT_EQ(RectOf(hidden), Rect::FromSize(100 - W, 100, 300, 200));
        EXPECT_FALSE(desktop.IsWindowVisible(hidden));
    }

    // The registry's own damage: a value of another type, or a key without it.
    registry.SetRaw(std::string(kRecoveryKey), std::string(kRecoveryValue), RegistryType::Dword, "7");
    EXPECT_EQ(ReadRecord(registry).status, RecordRead::Status::Damaged);
    registry.DeleteValue(std::string(kRecoveryKey), std::string(kRecoveryValue));
    EXPECT_EQ(ReadRecord(registry).status, RecordRead::Status::Damaged);
}

TEST_F(RecoveryTest, AnUnreadableEntryIsLeftOutAndTheRestOfTheRecordStillServes)
{
    const auto right = On(1, 0, Rect::FromSize(100, 100, 300, 200));
    const auto held = On(0, 0, Rect::FromSize(300, 300, 300, 200), "RollUp");
    engine.DrawGrid1SelectCell(1, 0);
    std::string text = SerializeRecord(ReadRecord(registry).record);
    text.replace(text.find("hidden 1"), 8, "hidden 3");
    text += "window 0xZZ 0 0 1 2 3 4 X\nwindow 0x1234 0 0 10 10 5 5 Backwards\n";

    const RecordRead read = ParseRecord(text);
    ASSERT_EQ(read.status, RecordRead::Status::Ok);
    EXPECT_EQ(read.badEntries, 2);
    Recover(read);
    EXPECT_EQ(RectOf(right), Rect::FromSize(W + 100, 100, 300, 200));
    EXPECT_TRUE(desktop.IsWindowVisible(held));
}

TEST_F(RecoveryTest, RecordsRoundTripAndMangledOnesNeverStrandAWindow)
{
    for (int i = 0; i < 6; ++i)
    {
        On(i % 3, i / 3, Rect::FromSize(60 * i, 40 * i, 250, 180));
    }
    RecoveryRecord record{7, 99, {2, 1}, {0, 1}, 3, 3, {W, H}, {}, {}};
    record.hidden.push_back({0x1234, "Odd \\ class\nname", {1, 2}, {1, 2, 300, 400}});
    record.hidden.push_back({0xffffffff, "RollUp", {0, 0}, {-100, 5, 200, 300}});
    // Owed moves of real windows, so that mangled shifts act on them.
    record.pending.push_back({placed[1].w, "Notepad", RectOf(placed[1].w), {-W, 0}});
    record.pending.push_back({placed[4].w, "Notepad", RectOf(placed[4].w), {-2 * W, -H}});
    const std::string text = SerializeRecord(record);
    const RecordRead back = ParseRecord(text);
    ASSERT_EQ(back.status, RecordRead::Status::Ok);
    EXPECT_EQ(back.record, record);
    // A record of a run without owed moves reads as before.
    RecoveryRecord plain = record;
    plain.pending.clear();
    EXPECT_EQ(ParseRecord(SerializeRecord(plain)).record, plain);
    EXPECT_EQ(SerializeRecord(plain).find("pending"), std::string::npos);
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round)
    {
        std::string mangled = text;
        for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits)
        {
            const std::size_t at = random() % mangled.size();
            mangled[at] = "0123456789- \n-x\\"[random() % 16];
        }
        const RecordRead read = ParseRecord(mangled);
        if (read.status == RecordRead::Status::Ok)
        {
            EXPECT_LT(read.record.shown.x, read.record.columns);
            EXPECT_GT(read.record.screen.width, 0);
        }
        Recover(read);
        // Whatever the record said, every window lies on a desktop of the grid.
        for (const Placed& p : placed)
        {
            const Rect r = RectOf(p.w);
            const int column = (r.left + r.Width() / 2) / W;
            const int row = (r.top + 25) / H;
            ASSERT_GE(r.left + r.Width() / 2, 0) << mangled;
            ASSERT_GE(r.top + 25, 0) << mangled;
            ASSERT_LT(column, 3) << mangled;
            ASSERT_LT(row, 3) << mangled;
        }
    }
}

TEST_F(RecoveryTest, AtStartTheStoredListsDecideAndALiveOwnersRecordIsLeftAlone)
{
    const auto home = On(0, 0, Rect::FromSize(100, 100, 300, 200));
    const auto pinned = On(0, 0, Rect::FromSize(400, 100, 300, 200), "Pinned");
    options.Update([](Options& o) { o.stickyClasses.Add("Pinned", true); });
    engine.DrawGrid1SelectCell(1, 1);
    ASSERT_EQ(RectOf(pinned), Rect::FromSize(400, 100, 300, 200)); // sticky while the run lived

    const auto none = [](WindowHandle) { return false; };
    const auto alive = [](std::uint32_t process, std::uint64_t start)
    { return process == kOwner && start == kOwnerStart; };
    const PreviousRun running = RecoverPreviousRun(desktop, registry, alive, none);
    EXPECT_TRUE(running.ownerAlive);
    EXPECT_EQ(RectOf(home), Rect::FromSize(100 - W, 100 - H, 300, 200));
    EXPECT_EQ(ReadRecord(registry).status, RecordRead::Status::Ok);

    // Dead now; its settings named the sticky class.
    const std::string sticky = "Software\\zimdesk.ini\\Sticky";
    registry.WriteString(sticky, "NbrOfStickyWC", "1");
    registry.WriteString(sticky, "StickyWC1", "Pinned");
    const auto dead = [](std::uint32_t, std::uint64_t) { return false; };
    const PreviousRun died = RecoverPreviousRun(desktop, registry, dead, none);
    EXPECT_FALSE(died.ownerAlive);
    EXPECT_EQ(died.outcome.shifted, 1);
    EXPECT_EQ(RectOf(home), Rect::FromSize(100, 100, 300, 200));
    EXPECT_EQ(RectOf(pinned), Rect::FromSize(400, 100, 300, 200));
    EXPECT_EQ(ReadRecord(registry).status, RecordRead::Status::Missing); // used once
}

TEST_F(RecoveryTest, TheCrashGatheringSendsEverythingOnScreenWithoutWaitingOnAnyone)
{
    const auto away = On(1, 0, Rect::FromSize(100, 100, 300, 200));
    const auto held = On(0, 0, Rect::FromSize(200, 200, 300, 200), "RollUp");
    engine.DrawGrid1SelectCell(2, 0);
    desktop.HangUntil(away, desktop.NowMs() + 60000);
    desktop.HangUntil(held, desktop.NowMs() + 60000);

    EXPECT_EQ(GatherOntoScreenAsync(desktop, hideMode.HideWndList()), 2);
    EXPECT_EQ(desktop.BlockedMoveCount(), 0);
    desktop.Advance(61000);
    EXPECT_EQ(RectOf(away), Rect::FromSize(100, 100, 300, 200));
    EXPECT_TRUE(desktop.IsWindowVisible(held));
}

TEST(RescueWithoutRecord, BringsBackVisibleWindowsLyingOffTheScreenAndLeavesHiddenOnesAlone)
{
    sim::SimDesktop desktop{{1024, 768}};
    sim::WindowSetup setup;
    setup.rect = Rect::FromSize(100 - 2 * 1024, 100 + 768, 300, 200);
    const auto far = desktop.AddWindow(setup);
    setup.rect = Rect::FromSize(-50, 100, 300, 200);
    const auto halfOn = desktop.AddWindow(setup);
    setup.rect = Rect::FromSize(2000, 100, 300, 200);
    setup.visible = false;
    const auto hidden = desktop.AddWindow(setup);

    const auto none = [](WindowHandle) { return false; };
    const RecoveryOutcome outcome = BringOffScreenWindowsBack({desktop, none, none, 3, 3});
    EXPECT_EQ(outcome.broughtOnScreen, 1);
    EXPECT_EQ(desktop.GetWindowRect(far), Rect::FromSize(100, 100, 300, 200));
    EXPECT_EQ(desktop.GetWindowRect(halfOn), Rect::FromSize(-50, 100, 300, 200));
    EXPECT_EQ(desktop.GetWindowRect(hidden), Rect::FromSize(2000, 100, 300, 200));
}

} // namespace
} // namespace zim
