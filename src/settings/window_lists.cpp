#include "settings/window_lists.h"

#include "engine/classification.h"
#include "platform/text.h"

#include <algorithm>
#include <vector>

namespace zim
{
namespace
{

constexpr unsigned kBringProbeMs = 1000;

std::vector<std::string> CheckedTexts(const CheckList& list)
{
    std::vector<std::string> texts;
    for (const CheckListEntry& entry : list.Entries())
    {
        if (entry.checked)
        {
            texts.push_back(entry.text);
        }
    }
    return texts;
}

void AddUnique(CheckList& list, const std::string& text)
{
    if (list.Find(text) < 0)
    {
        list.Add(text, false);
    }
}

// Each kept text checks the first entry equal to it, or comes back as a new one.
void Recheck(CheckList& list, std::vector<std::string> kept)
{
    for (std::string& text : kept)
    {
        const int index = list.Find(text);
        if (index >= 0)
        {
            list.SetChecked(static_cast<std::size_t>(index), true);
        }
        else
        {
            list.Add(std::move(text), true);
        }
    }
}

void RemoveUnchecked(CheckList& list)
{
    for (std::size_t i = list.Size(); i > 0; --i)
    {
        if (!list.Entries()[i - 1].checked)
        {
            list.RemoveAt(i - 1);
        }
    }
}

} // namespace

void RefreshWindowLists(WindowSystem& windows, Options& o)
{
    auto keptWindows = CheckedTexts(o.stickyWindows);
    auto keptClasses = CheckedTexts(o.stickyClasses);
    auto keptCompatibility = CheckedTexts(o.compatibilityClasses);
    o.stickyWindows.Clear();
    o.stickyClasses.Clear();
    o.compatibilityClasses.Clear();

    windows.EnumWindows(
        [&](WindowHandle w)
        {
            if (!windows.IsWindowVisible(w) || !windows.IsWindow(w))
            {
                return true;
            }
            const std::string className = text::TruncateChars(windows.GetClassName(w), kMaxNameChars);
            // An empty class name means the window died while being read.
            if (className.empty() ||
                std::find(kUnlistedClasses.begin(), kUnlistedClasses.end(), className) != kUnlistedClasses.end())
            {
                return true;
            }
            // Cut as classification cuts it, or a long caption checked here would never match.
            const std::string caption = text::TruncateChars(windows.GetWindowText(w), kMaxNameChars);
            if (!caption.empty())
            {
                o.stickyWindows.Add(caption, false);
            }
            AddUnique(o.stickyClasses, className);
            AddUnique(o.compatibilityClasses, className);
            return true;
        });

    Recheck(o.stickyWindows, std::move(keptWindows));
    Recheck(o.stickyClasses, std::move(keptClasses));
    Recheck(o.compatibilityClasses, std::move(keptCompatibility));
}

void PruneStickyLists(Options& o)
{
    RemoveUnchecked(o.stickyWindows);
    RemoveUnchecked(o.stickyClasses);
}

bool BringAppToCurrentDesktop(WindowSystem& windows, const std::string& caption)
{
    WindowHandle found = kNoWindow;
    windows.EnumWindows(
        [&](WindowHandle w)
        {
            if (text::EqualsNoCase(text::TruncateChars(windows.GetWindowText(w), kMaxNameChars), caption))
            {
                found = w;
                return false;
            }
            return true;
        });
    // A window that does not answer would stall the dialog; it is left where it is.
    if (found == kNoWindow || !windows.ProbeWindow(found, kBringProbeMs))
    {
        return false;
    }
    return windows.MoveWindow(found, {0, 0});
}

} // namespace zim
