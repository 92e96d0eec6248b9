#pragma once

// The five system-wide hotkeys: switch left, right, up and down, and show or
// hide the monitor. One set of modifier keys serves all five; each field keeps
// the key as the hot key control reports it, but only the key itself is
// registered.

#include "app/program_commands.h"
#include "engine/desktop_engine.h"
#include "platform/hot_keys.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <array>

namespace zim
{

// Ids 0..4: left, right, up, down, show/hide monitor; also the order of registration.
constexpr int kHotKeyCount = 5;

// The modifiers argument of RegisterHotKey.
constexpr unsigned kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;

// The stored code and the hot key control's HKM_GETHOTKEY / HKM_SETHOTKEY word
// (virtual key in the low byte; HOTKEYF_SHIFT 1, CONTROL 2, ALT 4 in the high
// byte). Code = key | flags << 13; HOTKEYF_EXT (8) is dropped. The control's
// rules let only Shift+Ctrl+Alt together through and record any other
// combination as the bare key; the conversion applies the same rule, so a
// control that ignores its rules stores nothing else either.
int HotKeyCodeFromControl(unsigned controlValue);
unsigned HotKeyControlValue(int code);
// What is registered: the code without its modifier bits (code & 0x1FFF); 0 = none.
unsigned RegistrationKey(int code);
// From hotShift, hotControl, hotAlt and hotWin, the same for all five keys.
unsigned HotKeyModifiers(const Options& o);

enum class HotKeyStatus
{
    Off,        // hotkeys are disabled: nothing was touched
    Registered, // this id is in force
    Empty,      // no key in its field
    Failed,     // refused by the system
    NotTried,   // an earlier id failed
};
using HotKeyStatuses = std::array<HotKeyStatus, kHotKeyCount>;

// Apply, Close and every hiding of the options dialog. Nothing at all when
// o.hotKeys is off; else ids 0..4 unregistered, then registered in order,
// empty fields skipped, and the first refusal stops the later ids (they stay
// unregistered until the next run). An empty first field stops nothing.
HotKeyStatuses RegisterHotKeys(HotKeyService& service, const Options& o);
// "Enable shortcut keys" unchecked: ids 0..5 unregistered at once.
void UnregisterHotKeys(HotKeyService& service);
// WM_HOTKEY with its id: the input timer is held off during the action and
// then left as it was; an unknown id does nothing. inputTimer may be null.
void DispatchHotKey(int id, DesktopEngine& engine, Timer* inputTimer, ProgramCommands& commands);

} // namespace zim
