#include "monitor/programs_list.h"

#include "platform/text.h"

#include <algorithm>

namespace zim
{
namespace
{

bool Excluded(const std::string& title)
{
    // Exact and case-sensitive: another program's "zim desk monitor" is listed.
    return title.empty() || title == kProgramsPopupCaption || title == kMonitorCaption || title == "Desker";
}

} // namespace

std::vector<std::string> ListProgramsInScreen(WindowSystem& windows, Point current, Cell cell)
{
    const Size screen = windows.GetScreenSize();
    const Rect area{screen.width * (cell.column - current.x), screen.height * (cell.row - current.y),
                    screen.width * (cell.column - current.x + 1), screen.height * (cell.row - current.y + 1)};
    std::vector<std::string> titles;
    WindowHandle w = windows.GetTopWindow();
    for (int steps = 0; w != kNoWindow && steps < kMaxZOrderWalk; ++steps, w = windows.GetNextWindow(w))
    {
        const std::optional<Rect> r = windows.GetWindowRect(w);
        if (!r || !(r->left < area.right && r->bottom > area.top && r->right > area.left && r->top < area.bottom) ||
            !windows.IsWindowVisible(w))
        {
            continue;
        }
        std::string title = text::TruncateChars(windows.GetWindowText(w), kProgramsTitleLength);
        if (!Excluded(title))
        {
            titles.push_back(std::move(title));
        }
    }
    // Case decides only between titles that are otherwise equal, so the order is
    // the same every time.
    std::sort(titles.begin(), titles.end(),
              [](const std::string& a, const std::string& b)
              {
                  const int order = text::CompareNoCase(a, b);
                  return order != 0 ? order < 0 : a < b;
              });
    return titles;
}

Rect ProgramsPopupBounds(Point screen, std::size_t count)
{
    const int left = std::max(0, screen.x - kProgramsPopupWidth);
    return Rect::FromSize(left, screen.y, kProgramsPopupWidth, static_cast<int>(count) * kProgramsItemHeight);
}

} // namespace zim
