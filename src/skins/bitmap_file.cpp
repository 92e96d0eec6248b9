#include "skins/bitmap_file.h"

#include "skins/skin_file.h"

#include <cstdlib>

namespace zim::skins
{
namespace
{

std::uint32_t U16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

std::uint32_t U32(std::string_view b, std::size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

// Bytes per row: rows are padded to four bytes.
std::uint64_t Stride(int width, int bitsPerPixel)
{
    return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
}

} // namespace

std::optional<BitmapHeader> ReadBitmapHeader(std::string_view bytes)
{
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M')
    {
        return std::nullopt;
    }
    BitmapHeader header;
    header.pixelOffset = U32(bytes, 10);
    const std::uint32_t infoSize = U32(bytes, kFileHeader);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    if (infoSize == 12)
    {
        width = U16(bytes, kFileHeader + 4);
        height = U16(bytes, kFileHeader + 6);
        planes = U16(bytes, kFileHeader + 8);
        header.bitsPerPixel = static_cast<int>(U16(bytes, kFileHeader + 10));
    }
    else if (infoSize >= 40 && infoSize <= 4096 && bytes.size() >= kFileHeader + 40)
    {
        width = static_cast<std::int32_t>(U32(bytes, kFileHeader + 4));
        height = static_cast<std::int32_t>(U32(bytes, kFileHeader + 8));
        planes = U16(bytes, kFileHeader + 12);
        header.bitsPerPixel = static_cast<int>(U16(bytes, kFileHeader + 14));
        header.compression = U32(bytes, kFileHeader + 16);
    }
    else
    {
        return std::nullopt;
    }
    header.topDown = height < 0;
    height = std::llabs(height);
    const int bpp = header.bitsPerPixel;
    const bool knownDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    if (planes != 1 || !knownDepth || width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
        header.compression > 3 || header.pixelOffset < kFileHeader + infoSize || header.pixelOffset > bytes.size())
    {
        return std::nullopt;
    }
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);
    const bool uncompressed = header.compression == 0 || header.compression == 3;
    if (uncompressed && bytes.size() - header.pixelOffset < Stride(header.width, bpp) * header.height)
    {
        return std::nullopt;
    }
    return header;
}

std::optional<Bitmap> DecodeBitmap(std::string_view bytes)
{
    const std::optional<BitmapHeader> header = ReadBitmapHeader(bytes);
    if (!header || header->compression != 0 || (header->bitsPerPixel != 24 && header->bitsPerPixel != 32))
    {
        return std::nullopt;
    }
    Bitmap bitmap{header->width, header->height, {}};
    bitmap.pixels.resize(static_cast<std::size_t>(bitmap.width) * bitmap.height);
    const std::size_t stride = Stride(bitmap.width, header->bitsPerPixel);
    const std::size_t step = static_cast<std::size_t>(header->bitsPerPixel / 8);
    for (int y = 0; y < bitmap.height; ++y)
    {
        const int fileRow = header->topDown ? y : bitmap.height - 1 - y;
        const std::size_t row = header->pixelOffset + static_cast<std::size_t>(fileRow) * stride;
        for (int x = 0; x < bitmap.width; ++x)
        {
            const std::size_t at = row + static_cast<std::size_t>(x) * step;
            const auto byte = [&](std::size_t i)
            { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
            // Files hold blue, green, red; the colour value is 0x00BBGGRR.
            bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x] =
                byte(at + 2) | byte(at + 1) << 8 | byte(at) << 16;
        }
    }
    return bitmap;
}

} // namespace zim::skins
