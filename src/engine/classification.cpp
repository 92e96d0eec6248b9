#include "engine/classification.h"

#include "platform/text.h"

#include <algorithm>

namespace zim
{

bool IsStickyWindow(WindowSystem& windows, const Options& options, WindowHandle w)
{
    return IsStickyWindow(options, ComparedClassName(windows, w),
                          [&] { return text::TruncateChars(windows.GetWindowText(w), kMaxNameChars); });
}

bool IsStickyWindow(const Options& options, const std::string& className, FunctionRef<std::string()> caption)
{
    if (options.stickyClasses.IsChecked(className) ||
        std::find(kFixedStickyClasses.begin(), kFixedStickyClasses.end(), className) != kFixedStickyClasses.end())
    {
        return true;
    }
    const std::vector<CheckListEntry>& captions = options.stickyWindows.Entries();
    if (std::none_of(captions.begin(), captions.end(), [](const CheckListEntry& e) { return e.checked; }))
    {
        return false;
    }
    return options.stickyWindows.IsChecked(caption());
}

bool IsCompatibilityClass(WindowSystem& windows, const Options& options, WindowHandle w)
{
    return options.compatibilityClasses.IsChecked(ComparedClassName(windows, w));
}

std::string ComparedClassName(WindowSystem& windows, WindowHandle w)
{
    return text::TruncateChars(windows.GetClassName(w), kMaxNameChars);
}

} // namespace zim
