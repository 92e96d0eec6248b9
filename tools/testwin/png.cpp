#include "png.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zim::testwin
{
namespace
{

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n)
    {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
        {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr std::uint32_t kAdlerModulus = 65521;
// The most bytes that can be summed before the 32-bit sums could overflow.
constexpr std::size_t kAdlerBlock = 5552;
constexpr std::size_t kMaxStoredBlock = 65535;
// Several IDAT chunks keep every chunk far below the format's 2^31 - 1 length limit.
constexpr std::size_t kMaxIdatChunk = 1u << 20;

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutLittleEndian16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::uint8_t* data, std::size_t size)
{
    PutBigEndian32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data, data + size);
    PutBigEndian32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// A zlib stream of stored deflate blocks around the given bytes.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw)
{
    std::vector<std::uint8_t> out;
    const std::size_t blocks = std::max<std::size_t>(1, (raw.size() + kMaxStoredBlock - 1) / kMaxStoredBlock);
    out.reserve(raw.size() + blocks * 5 + 6);
    // CMF 0x78 (deflate, 32 KiB window) and FLG 0x01 make the header a multiple of 31, no dictionary.
    out.push_back(0x78);
    out.push_back(0x01);
    std::size_t offset = 0;
    do
    {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0); // BFINAL, BTYPE 00 (stored)
        PutLittleEndian16(out, static_cast<std::uint16_t>(length));
        PutLittleEndian16(out, static_cast<std::uint16_t>(~length));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    PutBigEndian32(out, Adler32(raw.data(), raw.size()));
    return out;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc)
{
    std::uint32_t c = ~crc;
    for (std::size_t i = 0; i < size; ++i)
    {
        c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    return ~c;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler)
{
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (size > 0)
    {
        const std::size_t block = std::min(size, kAdlerBlock);
        for (std::size_t i = 0; i < block; ++i)
        {
            a += data[i];
            b += a;
        }
        a %= kAdlerModulus;
        b %= kAdlerModulus;
        data += block;
        size -= block;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb)
{
    if (width <= 0 || height <= 0)
    {
        return {};
    }
    // Both sizes are below 2^31, so this product cannot overflow 64 bits.
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * 3;
    if (rgb.size() != rowBytes * static_cast<std::uint64_t>(height))
    {
        return {};
    }

    std::vector<std::uint8_t> raw;
    raw.reserve(rgb.size() + static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        raw.push_back(0); // filter type None
        const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::uint64_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    const std::vector<std::uint8_t> zlib = StoredZlib(raw);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.reserve(zlib.size() + zlib.size() / kMaxIdatChunk * 12 + 64);

    std::vector<std::uint8_t> header;
    PutBigEndian32(header, static_cast<std::uint32_t>(width));
    PutBigEndian32(header, static_cast<std::uint32_t>(height));
    header.push_back(8); // bits per sample
    header.push_back(2); // colour type: truecolour
    header.push_back(0); // compression: deflate
    header.push_back(0); // filter method 0
    header.push_back(0); // no interlace
    PutChunk(png, "IHDR", header.data(), header.size());

    for (std::size_t offset = 0; offset < zlib.size(); offset += kMaxIdatChunk)
    {
        PutChunk(png, "IDAT", zlib.data() + offset, std::min(kMaxIdatChunk, zlib.size() - offset));
    }
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

bool WritePng(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    if (file == nullptr || png.empty())
    {
        return false;
    }
    return std::fwrite(png.data(), 1, png.size(), file) == png.size() && std::fflush(file) == 0;
}

} // namespace zim::testwin
