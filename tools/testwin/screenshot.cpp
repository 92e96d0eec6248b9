#include "screenshot.h"

#include "handles.h"

namespace zim::testwin
{

std::optional<Screenshot> CaptureVirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0)
    {
        return std::nullopt;
    }

    WindowDc screen(nullptr);
    if (screen.Get() == nullptr)
    {
        return std::nullopt;
    }
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || bits == nullptr)
    {
        return std::nullopt;
    }
    {
        SelectGuard select(memory.Get(), bitmap.Get());
        if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY | CAPTUREBLT))
        {
            return std::nullopt;
        }
    }
    GdiFlush();

    // DIB rows are padded to four bytes and hold blue, green, red.
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    const auto* source = static_cast<const std::uint8_t*>(bits);
    Screenshot shot{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    std::uint8_t* target = shot.rgb.data();
    for (int y = 0; y < height; ++y)
    {
        const std::uint8_t* pixel = source + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x, pixel += 3, target += 3)
        {
            target[0] = pixel[2];
            target[1] = pixel[1];
            target[2] = pixel[0];
        }
    }
    return shot;
}

} // namespace zim::testwin
