#include "platform/win32/fonts.h"

namespace zim::win32
{

UniqueFont CreatePointFont(const wchar_t* faceName, int points)
{
    return CreatePointFont(faceName, points, FW_NORMAL, DEFAULT_CHARSET);
}

UniqueFont CreatePointFont(const wchar_t* faceName, int points, int weight, BYTE charset)
{
    const WindowDc screen(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    return UniqueFont(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, faceName));
}

} // namespace zim::win32
