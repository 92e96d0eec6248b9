#include "engine/classification.h"

#include "platform/text.h"

#include <algorithm>

namespace zim
{

bool IsStickyWindow(WindowSystem& windows, const Options& options, WindowHandle w)
{
    const std::string className = text::TruncateChars(windows.GetClassName(w), kMaxNameChars);
    if (options.stickyClasses.IsChecked(className))
    {
        return true;
    }
    if (std::find(kFixedStickyClasses.begin(), kFixedStickyClasses.end(), className) != kFixedStickyClasses.end())
    {
        return true;
    }
    return options.stickyWindows.IsChecked(text::TruncateChars(windows.GetWindowText(w), kMaxNameChars));
}

bool IsCompatibilityClass(WindowSystem& windows, const Options& options, WindowHandle w)
{
    return options.compatibilityClasses.IsChecked(text::TruncateChars(windows.GetClassName(w), kMaxNameChars));
}

} // namespace zim
