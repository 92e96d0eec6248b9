#include "components/win32/region_builder.h"

#include "components/region_runs.h"

#include <cstdint>
#include <vector>

namespace zim::win32
{

UniqueRegion CreateRegionFromRuns(std::span<const Rect> runs)
{
    if (runs.empty())
    {
        return {};
    }
    const std::size_t bytes = sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT);
    if (bytes > MAXDWORD)
    {
        return {};
    }
    // 8-byte units keep the header and the rectangles aligned.
    std::vector<std::uint64_t> buffer((bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    const Rect box = RegionRunsBox(runs);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(runs.size());
    data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    data->rdh.rcBound = {box.left, box.top, box.right, box.bottom};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < runs.size(); ++i)
    {
        rects[i] = {runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
    }
    return UniqueRegion(::ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data));
}

UniqueRegion CreateRegionByOrPerRun(std::span<const Rect> runs)
{
    if (runs.empty())
    {
        return {};
    }
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    for (const Rect& r : runs)
    {
        const UniqueRegion run(::CreateRectRgn(r.left, r.top, r.right, r.bottom));
        ::CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
    }
    return region;
}

} // namespace zim::win32
