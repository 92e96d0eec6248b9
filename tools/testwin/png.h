#pragma once

// A small PNG writer for screenshots: 8-bit truecolour, no interlace, filter 0 on every row and
// stored (uncompressed) deflate blocks, which every decoder reads. No Windows headers here, so the
// encoder can be checked natively.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zim::testwin
{

// CRC-32 as PNG and zlib use it; pass a previous result to continue over more bytes.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

// Adler-32 of the zlib trailer; pass a previous result to continue over more bytes.
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// rgb holds width * height pixels of three bytes each, rows top to bottom. Returns the complete file,
// or nothing when a size is not positive or rgb does not match it.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// Writes the encoded image to an open file; false when encoding or writing fails.
bool WritePng(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgb);

// Creates or replaces the file at path (Windows only: png_file.cpp). A failed write leaves no file.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb);

} // namespace zim::testwin
