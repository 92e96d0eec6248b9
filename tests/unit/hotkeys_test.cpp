#include "input/hotkeys.h"

#include "engine_fixture.h"
#include "monitor_fixture.h"
#include "platform/sim/sim_hot_keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace zim
{
namespace
{

using sim::SimHotKeys;
using Call = SimHotKeys::Call;
using enum HotKeyStatus;

constexpr unsigned kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kF9 = 0x78;

TEST(HotKeyCodes, TheControlsWordBecomesTheStoredCodeAndBack)
{
    // Flags in the control's high byte: Shift 1, Ctrl 2, Alt 4, extended key 8.
    EXPECT_EQ(HotKeyCodeFromControl(kRight), 0x27);
    EXPECT_EQ(HotKeyCodeFromControl(0x0600 | kRight), 0x27); // Ctrl+Alt: the bare key
    EXPECT_EQ(HotKeyCodeFromControl(0x0100 | kF9), 0x78);    // Shift alone too
    EXPECT_EQ(HotKeyCodeFromControl(0x0700 | kRight), 0xE000 + 0x27);
    EXPECT_EQ(HotKeyCodeFromControl(0x0F00 | kRight), 0xE000 + 0x27); // extended dropped
    EXPECT_EQ(HotKeyCodeFromControl(0x0800 | kRight), 0x27);
    EXPECT_EQ(HotKeyCodeFromControl(0), 0);

    EXPECT_EQ(HotKeyControlValue(0xE027), 0x0727u);
    EXPECT_EQ(HotKeyControlValue(0x78), 0x78u);
    EXPECT_EQ(HotKeyControlValue(0), 0u);
    // A code planted in the registry with Shift+Ctrl shows what it holds.
    EXPECT_EQ(HotKeyControlValue(0x6000 | kRight), 0x0327u);
    EXPECT_EQ(HotKeyCodeFromControl(HotKeyControlValue(0xE041)), 0xE041);

    // Registration uses the key alone.
    EXPECT_EQ(RegistrationKey(0xE027), 0x27u);
    EXPECT_EQ(RegistrationKey(0x41), 0x41u);
    EXPECT_EQ(RegistrationKey(0), 0u);
}

TEST(HotKeyCodes, TheFourBoxesGiveTheSharedModifiers)
{
    Options o;
    EXPECT_EQ(HotKeyModifiers(o), 0u);
    o.hotShift = true;
    EXPECT_EQ(HotKeyModifiers(o), kModShift);
    o.hotShift = false;
    o.hotControl = true;
    EXPECT_EQ(HotKeyModifiers(o), kModControl);
    o.hotControl = false;
    o.hotAlt = true;
    EXPECT_EQ(HotKeyModifiers(o), kModAlt);
    o.hotAlt = false;
    o.hotWin = true;
    EXPECT_EQ(HotKeyModifiers(o), kModWin);
    o.hotShift = o.hotControl = o.hotAlt = true;
    EXPECT_EQ(HotKeyModifiers(o), 15u);
}

class HotKeyRegistrationTest : public ::testing::Test
{
protected:
    HotKeyRegistrationTest()
    {
        o.hotKeys = true;
        o.hotControl = true;
        o.hotAlt = true;
        // Right as typed with Shift+Ctrl+Alt: its own modifier bits are never registered.
        o.hotKeyCodes = {kLeft, 0xE000 | kRight, kUp, kDown, kF9};
    }

    static std::vector<Call> UnregisterFive()
    {
        std::vector<Call> calls;
        for (int id = 0; id < 5; ++id)
        {
            calls.push_back({Call::kUnregister, id});
        }
        return calls;
    }
    static Call RegisterCall(int id, unsigned key, bool ok = true)
    {
        return {Call::kRegister, id, kModControl | kModAlt, key, ok};
    }

    SimHotKeys keys;
    Options o;
};

TEST_F(HotKeyRegistrationTest, UnregistersTheFiveThenRegistersThemInOrderWithTheSharedModifiers)
{
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Registered, Registered, Registered, Registered, Registered}));
    auto expected = UnregisterFive();
    for (const Call& call : {RegisterCall(0, kLeft), RegisterCall(1, kRight), RegisterCall(2, kUp),
                             RegisterCall(3, kDown), RegisterCall(4, kF9)})
    {
        expected.push_back(call);
    }
    EXPECT_EQ(keys.Calls(), expected);
    EXPECT_EQ(keys.RegisteredIds(), (std::vector<int>{0, 1, 2, 3, 4}));

    // Applying again works: the earlier registrations go first.
    keys.ClearCalls();
    o.hotControl = false;
    EXPECT_EQ(RegisterHotKeys(keys, o)[4], Registered);
    EXPECT_EQ(keys.Registered(4)->modifiers, kModAlt);
}

TEST_F(HotKeyRegistrationTest, ATakenKeyStopsItselfAndEveryLaterIdUntilTheNextApply)
{
    keys.TakeByOtherProgram(kModControl | kModAlt, kRight);
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Registered, Failed, NotTried, NotTried, NotTried}));
    auto expected = UnregisterFive();
    expected.push_back(RegisterCall(0, kLeft));
    expected.push_back(RegisterCall(1, kRight, false));
    EXPECT_EQ(keys.Calls(), expected);
    EXPECT_EQ(keys.RegisteredIds(), std::vector<int>{0});

    // The conflict gone, the next Apply brings all five.
    keys.ReleaseByOtherProgram(kModControl | kModAlt, kRight);
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Registered, Registered, Registered, Registered, Registered}));

    // The same key in two fields: the system refuses the second.
    o.hotKeyCodes[3] = kUp;
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Registered, Registered, Registered, Failed, NotTried}));
}

TEST_F(HotKeyRegistrationTest, WithHotkeysOffNothingIsRegisteredOrUnregistered)
{
    ASSERT_TRUE(RegisterHotKeys(keys, o)[0] == Registered);
    keys.ClearCalls();
    o.hotKeys = false;
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Off, Off, Off, Off, Off}));
    EXPECT_TRUE(keys.Calls().empty());
    EXPECT_EQ(keys.RegisteredIds().size(), 5u);
}

TEST_F(HotKeyRegistrationTest, EmptyFieldsAreSkippedAndStopNothing)
{
    o.hotKeyCodes = {};
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Empty, Empty, Empty, Empty, Empty}));
    EXPECT_EQ(keys.Calls(), UnregisterFive());

    // An empty first field: the later ids are still registered.
    o.hotKeyCodes = {0, kRight, 0, kDown, kF9};
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Empty, Registered, Empty, Registered, Registered}));
    EXPECT_EQ(keys.RegisteredIds(), (std::vector<int>{1, 3, 4}));

    // Only modifier bits in a field count as empty; a failure still stops past an empty field.
    o.hotKeyCodes = {kLeft, 0xE000, kRight, kDown, kF9};
    keys.TakeByOtherProgram(kModControl | kModAlt, kRight);
    EXPECT_EQ(RegisterHotKeys(keys, o), (HotKeyStatuses{Registered, Empty, Failed, NotTried, NotTried}));
}

TEST_F(HotKeyRegistrationTest, DisablingUnregistersIdsZeroToFive)
{
    RegisterHotKeys(keys, o);
    keys.ClearCalls();
    UnregisterHotKeys(keys);
    auto expected = UnregisterFive();
    expected.push_back({Call::kUnregister, 5});
    EXPECT_EQ(keys.Calls(), expected);
    EXPECT_TRUE(keys.RegisteredIds().empty());
}

class HotKeyDispatchTest : public testing::EngineTest
{
protected:
    HotKeyDispatchTest()
    {
        listener.onSwitching = [this] { timerDuringAction.push_back(timer->IsEnabled()); };
        commands.onToggleMonitor = [this] { timerDuringAction.push_back(timer->IsEnabled()); };
    }

    std::unique_ptr<Timer> timer = desktop.CreateTimer(50, [] {});
    testing::RecordingCommands commands;
    std::vector<bool> timerDuringAction;
};

TEST_F(HotKeyDispatchTest, TheFourIdsSwitchToTheNeighboursAndTheGridEdgeRefuses)
{
    const Rect place = Rect::FromSize(100, 100, 400, 300);
    const auto w = Add("Notepad", place);

    DispatchHotKey(0, engine, timer.get(), commands); // left of the leftmost column
    DispatchHotKey(2, engine, timer.get(), commands); // above the top row
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(RectOf(w), place);
    EXPECT_EQ(desktop.MoveCount(w), 0);

    DispatchHotKey(1, engine, timer.get(), commands);
    EXPECT_EQ(Current(), (Point{1, 0}));
    EXPECT_EQ(RectOf(w), place.Offset(-W, 0));
    DispatchHotKey(3, engine, timer.get(), commands);
    EXPECT_EQ(Current(), (Point{1, 1}));
    DispatchHotKey(2, engine, timer.get(), commands);
    EXPECT_EQ(Current(), (Point{1, 0}));
    DispatchHotKey(0, engine, timer.get(), commands);
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_EQ(RectOf(w), place);
    EXPECT_TRUE(commands.log.empty());
}

TEST_F(HotKeyDispatchTest, TheInputTimerIsOffDuringTheActionAndThenAsItWas)
{
    timer->SetEnabled(true);
    DispatchHotKey(1, engine, timer.get(), commands);
    EXPECT_TRUE(timer->IsEnabled());
    timer->SetEnabled(false);
    DispatchHotKey(0, engine, timer.get(), commands);
    EXPECT_FALSE(timer->IsEnabled());
    timer->SetEnabled(true);
    DispatchHotKey(4, engine, timer.get(), commands);
    EXPECT_TRUE(timer->IsEnabled());
    EXPECT_EQ(timerDuringAction, (std::vector<bool>{false, false, false}));

    // Without a timer the keys still act.
    DispatchHotKey(1, engine, nullptr, commands);
    EXPECT_EQ(Current(), (Point{1, 0}));
}

TEST_F(HotKeyDispatchTest, IdFourTogglesTheMonitorAndOtherIdsDoNothing)
{
    timer->SetEnabled(true);
    DispatchHotKey(4, engine, timer.get(), commands);
    DispatchHotKey(4, engine, timer.get(), commands);
    EXPECT_EQ(commands.log, (std::vector<std::string>{"toggle monitor", "toggle monitor"}));

    commands.log.clear();
    for (const int id : {5, -1, 0x312})
    {
        DispatchHotKey(id, engine, timer.get(), commands);
    }
    EXPECT_TRUE(commands.log.empty());
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(Current(), (Point{0, 0}));
    EXPECT_TRUE(timer->IsEnabled());
}

} // namespace
} // namespace zim
