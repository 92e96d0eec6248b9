#include "components/region_runs.h"

#include <algorithm>

namespace zim
{
namespace
{

constexpr std::uint32_t kColorBytes = 0x00FFFFFFu;

template <typename PixelAt> std::vector<Rect> Runs(int width, int height, const PixelAt& pixelAt, std::uint32_t maskRgb)
{
    std::vector<Rect> runs;
    const std::uint32_t mask = maskRgb & kColorBytes;
    for (int y = 0; y < height; ++y)
    {
        int start = -1; // no run open
        for (int x = 0; x < width; ++x)
        {
            const bool opaque = (pixelAt(x, y) & kColorBytes) != mask;
            if (opaque && start < 0)
            {
                start = x;
            }
            else if (!opaque && start >= 0)
            {
                runs.push_back({start, y, x, y + 1});
                start = -1;
            }
        }
        if (start >= 0)
        {
            runs.push_back({start, y, width, y + 1}); // the run includes the last column
        }
    }
    return runs;
}

} // namespace

std::vector<Rect> BuildRegionRunsWith(int width, int height, FunctionRef<std::uint32_t(int x, int y)> pixel,
                                      std::uint32_t maskRgb)
{
    return Runs(width, height, pixel, maskRgb);
}

std::vector<Rect> BuildRegionRuns(int width, int height, std::span<const std::uint32_t> pixels, std::uint32_t maskRgb)
{
    if (width < 1 || height < 1 || pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height))
    {
        return {};
    }
    const std::uint32_t* data = pixels.data();
    const std::size_t stride = static_cast<std::size_t>(width);
    return Runs(
        width, height, [data, stride](int x, int y) { return data[static_cast<std::size_t>(y) * stride + x]; },
        maskRgb);
}

Rect RegionRunsBox(std::span<const Rect> runs)
{
    if (runs.empty())
    {
        return {};
    }
    Rect box = runs.front();
    for (const Rect& r : runs)
    {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

} // namespace zim
