// region_bench: the shaped monitor's region build for a 400 × 300 bitmap. The
// portable half, the run list, from a pixel buffer and through the per-pixel
// callback; in the Windows build also the region itself, one ExtCreateRegion of
// the whole list against one CombineRgn(RGN_OR) per run, each as a multiple of
// the floor measured in the same run (building the run list, which both need),
// and checked to give the same region. A measurement, not a test: run it by
// hand from a release build (under Wine for the Windows one). An optional
// argument names a 24-bit .bmp to measure too.

#include "components/region_runs.h"
#include "skins/bitmap_file.h"

#ifdef _WIN32
#include "components/win32/region_builder.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace
{

constexpr std::uint32_t kMask = 0xFF00FF;

// A monitor face: rounded corners of radius 24, a notch in the top edge and a
// row of transparent holes, so that many rows have more than one run.
std::vector<std::uint32_t> Face(int width, int height)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xC0C0C0);
    const int r = 24;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const int cx = std::clamp(x, r, width - 1 - r);
            const int cy = std::clamp(y, r, height - 1 - r);
            const bool outside = (x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r;
            const bool notch = y < 10 && x > width / 2 - 40 && x < width / 2 + 40;
            const bool hole = y > height - 40 && y < height - 30 && (x / 12) % 2 == 1 && x > 40 && x < width - 40;
            if (outside || notch || hole)
            {
                pixels[static_cast<std::size_t>(y) * width + x] = kMask;
            }
        }
    }
    return pixels;
}

template <typename F> double MicrosecondsPerCall(int rounds, F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
    {
        f();
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / rounds;
}

void Measure(const char* what, int width, int height, const std::vector<std::uint32_t>& pixels, std::uint32_t mask)
{
    constexpr int kRounds = 500;
    std::size_t runs = 0;
    const double buffer =
        MicrosecondsPerCall(kRounds, [&] { runs = zim::BuildRegionRuns(width, height, pixels, mask).size(); });
    const double callback = MicrosecondsPerCall(
        kRounds,
        [&]
        {
            runs =
                zim::BuildRegionRunsWith(
                    width, height, [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }, mask)
                    .size();
        });
    std::printf("%-22s %4d x %-4d %5zu runs   buffer %8.1f us   callback %8.1f us   (mean of %d)\n", what, width,
                height, runs, buffer, callback, kRounds);
#ifdef _WIN32
    const std::vector<zim::Rect> list = zim::BuildRegionRuns(width, height, pixels, mask);
    constexpr int kRegionRounds = 200;
    const double once = MicrosecondsPerCall(kRegionRounds, [&] { zim::win32::CreateRegionFromRuns(list); });
    const double perRun = MicrosecondsPerCall(kRegionRounds, [&] { zim::win32::CreateRegionByOrPerRun(list); });
    const zim::win32::UniqueRegion a = zim::win32::CreateRegionFromRuns(list);
    const zim::win32::UniqueRegion b = zim::win32::CreateRegionByOrPerRun(list);
    const bool same = (!a && !b) || (a && b && EqualRgn(a.Get(), b.Get()));
    std::printf("%-22s   one ExtCreateRegion %9.1f us (%6.2f x floor)   OR per run %9.1f us (%7.2f x floor)   "
                "OR / Ext %6.1f   %s\n",
                "", once, once / buffer, perRun, perRun / buffer, once > 0 ? perRun / once : 0.0,
                same ? "same region" : "REGIONS DIFFER");
#endif
}

} // namespace

int main(int argc, char** argv)
{
    Measure("synthetic face", 400, 300, Face(400, 300), kMask);
    std::vector<std::uint32_t> opaque(400 * 300, 0xC0C0C0);
    Measure("opaque rectangle", 400, 300, opaque, kMask);
    std::vector<std::uint32_t> stripes(400 * 300);
    for (std::size_t i = 0; i < stripes.size(); ++i)
    {
        stripes[i] = (i % 2) ? kMask : 0;
    }
    Measure("worst case (stripes)", 400, 300, stripes, kMask);

    if (argc > 1)
    {
        std::ifstream in(argv[1], std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::optional<zim::skins::Bitmap> bmp = zim::skins::DecodeBitmap(bytes.str());
        if (!bmp)
        {
            std::fprintf(stderr, "%s: not an uncompressed 24- or 32-bit bitmap\n", argv[1]);
            return 1;
        }
        const std::uint32_t mask = argc > 2 ? static_cast<std::uint32_t>(std::stoul(argv[2], nullptr, 0)) : kMask;
        Measure(argv[1], bmp->width, bmp->height, bmp->pixels, mask);
    }
    return 0;
}
