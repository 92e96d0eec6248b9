#pragma once

// Which windows stay on every desktop (sticky) and which are hidden rather than
// moved (compatibility classes). Asked anew for every window at every use, so a
// window that changes its caption changes its answer at the next switch.

#include "platform/platform.h"
#include "settings/options.h"

#include <array>
#include <string>
#include <string_view>

namespace zim
{

// The program's own windows and the shell's: sticky whatever the lists say,
// compared exactly, case included.
inline constexpr std::array<std::string_view, 7> kFixedStickyClasses = {
    "TZIM", "TZIM2", "TZIMMonitor", "TOptionsDlg", "TOKBottomDlg", "Progman", "Shell_TrayWnd",
};

// Class names and captions are compared in the form a 255-byte buffer cuts them to.
inline constexpr std::size_t kMaxNameChars = 254;

bool IsStickyWindow(WindowSystem& windows, const Options& options, WindowHandle w);
// The same for a class name already known; the caption is read only when a
// checked caption could make the window sticky.
bool IsStickyWindow(const Options& options, const std::string& className, FunctionRef<std::string()> caption);
bool IsCompatibilityClass(WindowSystem& windows, const Options& options, WindowHandle w);
// A window's class name as the lists compare it.
std::string ComparedClassName(WindowSystem& windows, WindowHandle w);

} // namespace zim
