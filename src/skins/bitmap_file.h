#pragma once

// Just enough of the BMP format for skins: telling a bitmap from anything else
// before the system loads it, its size, and the pixels of the uncompressed
// 24- and 32-bit files the shipped skins are. The bytes are untrusted.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zim::skins
{

struct BitmapHeader
{
    int width = 0;
    int height = 0; // always positive; topDown tells the row order
    int bitsPerPixel = 0;
    bool topDown = false;
    std::uint32_t compression = 0; // BI_RGB 0, BI_RLE8 1, BI_RLE4 2, BI_BITFIELDS 3
    std::uint32_t pixelOffset = 0;
};

// The header of a Windows bitmap file (BITMAPFILEHEADER followed by a
// BITMAPCOREHEADER, BITMAPINFOHEADER or a later version); nothing when the bytes
// are no bitmap, its sides are not 1 to kMaxBitmapSide (skin_file.h), or an
// uncompressed file is shorter than its pixels.
std::optional<BitmapHeader> ReadBitmapHeader(std::string_view bytes);

// Pixels as 0x00BBGGRR, rows from the top.
struct Bitmap
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Uncompressed 24- and 32-bit bitmaps only; nothing for every other file.
std::optional<Bitmap> DecodeBitmap(std::string_view bytes);

} // namespace zim::skins
