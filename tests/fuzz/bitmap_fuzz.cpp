// A skin bitmap of any bytes: the header reader and the decoder accept only
// what they can read in full, and the shaped window's run list of any decoded
// bitmap stays inside it.

#include "components/region_runs.h"
#include "skins/bitmap_file.h"
#include "skins/skin_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace
{

void Check(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto header = zim::skins::ReadBitmapHeader(bytes))
    {
        Check(header->width >= 1 && header->width <= zim::skins::kMaxBitmapSide);
        Check(header->height >= 1 && header->height <= zim::skins::kMaxBitmapSide);
    }
    const auto bitmap = zim::skins::DecodeBitmap(bytes);
    if (!bitmap)
    {
        return 0;
    }
    Check(bitmap->pixels.size() == static_cast<std::size_t>(bitmap->width) * bitmap->height);
    const std::uint32_t mask = bitmap->pixels.empty() ? 0 : bitmap->pixels[size % bitmap->pixels.size()];
    const auto runs = zim::BuildRegionRuns(bitmap->width, bitmap->height, bitmap->pixels, mask);
    for (const zim::Rect& r : runs)
    {
        Check(r.left >= 0 && r.top >= 0 && r.right <= bitmap->width && r.bottom <= bitmap->height);
        Check(r.left < r.right && r.top < r.bottom);
    }
    const zim::Rect box = zim::RegionRunsBox(runs);
    Check(box.left >= 0 && box.top >= 0 && box.right <= bitmap->width && box.bottom <= bitmap->height);
    return 0;
}
