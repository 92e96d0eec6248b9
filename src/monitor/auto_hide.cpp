#include "monitor/auto_hide.h"

namespace zim
{

bool PointerLeftMonitor(const Rect& monitor, Point cursor)
{
    const bool inside =
        monitor.left < cursor.x && cursor.x < monitor.right && monitor.top < cursor.y && cursor.y < monitor.bottom;
    return !inside;
}

} // namespace zim
