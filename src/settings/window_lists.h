#pragma once

// The options dialog's three window lists (sticky captions, sticky classes,
// compatibility classes): rebuilt from the open windows each time the dialog is
// shown, shortened to their checked entries each time it is hidden, so that
// between showings the sticky lists hold exactly what is sticky.

#include "platform/platform.h"
#include "settings/options.h"

#include <array>
#include <string>
#include <string_view>

namespace zim
{

// The classes never listed: the program's own windows and the shell's (exact, case-sensitive).
inline constexpr std::array<std::string_view, 7> kUnlistedClasses = {
    "TZIM", "TZIM2", "TZIMMonitor", "TOptionsDlg", "TOKBottomDlg", "Progman", "Shell_TrayWnd",
};

// The dialog's showing: the three lists rebuilt from the visible top-level
// windows, their checked entries kept (and checked) even when no such window is open.
void RefreshWindowLists(WindowSystem& windows, Options& o);
// The dialog's hiding: unchecked entries of the two sticky lists removed; the
// compatibility list keeps its unchecked entries.
void PruneStickyLists(Options& o);
// "Bring App To Current Desktop": the first top-level window in z-order whose
// caption equals `caption` (ignoring case, as FindWindow does), probed for
// 1000 ms; only when it answers is its top-left corner moved to (0, 0), with
// neither size, z-order nor activation changed. False when it was left alone.
bool BringAppToCurrentDesktop(WindowSystem& windows, const std::string& caption);

} // namespace zim
