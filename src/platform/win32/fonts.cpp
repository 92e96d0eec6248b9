#include "platform/win32/fonts.h"

namespace zim::win32
{

UniqueFont CreatePointFont(const wchar_t* faceName, int points)
{
    const WindowDc screen(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, faceName));
}

} // namespace zim::win32
