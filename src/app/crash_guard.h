#pragma once

// The last resort when the program itself fails: an unhandled exception (or a
// C++ terminate) first sends every window back onto the screen and shows every
// window held hidden, with asynchronous calls only, then lets the failure take
// its usual course. Without it a crash would leave windows on desktops nobody
// can reach and hidden windows hidden for good.

#include "engine/hide_mode.h"
#include "platform/platform.h"

#include <string>

namespace zim::win32
{

// Set once, before the first switch. `recordKey` names the record to remove
// once the windows are gathered (empty: none is kept by this process).
void InstallCrashGuard(WindowSystem& windows, const HideMode& hideMode, Registry& registry, std::string recordKey);

// A test-only fault: with ZIM_TEST_FAULT=1 in the environment at start, this
// registered message posted to the main window raises an access violation.
inline constexpr const char* kTestFaultMessage = "ZimDeskTestFault";
bool TestFaultEnabled();
[[noreturn]] void RaiseTestFault();

} // namespace zim::win32
