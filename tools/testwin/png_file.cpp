#include "png.h"

#include <cstdio>
#include <memory>

namespace zim::testwin
{

bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    if (png.empty())
    {
        return false;
    }
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
    {
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    // fclose flushes, so its result counts too.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        _wremove(path.c_str());
        return false;
    }
    return true;
}

} // namespace zim::testwin
