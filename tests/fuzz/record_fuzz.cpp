// A recovery record of any bytes, recovered on a desktop of windows spread over
// a 3 x 3 grid: the parser either refuses it or hands out a sound record, and
// whatever it says, every visible window ends on a desktop of the grid.

#include "engine/recovery.h"
#include "platform/sim/sim_desktop.h"

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
    constexpr int W = 1024;
    constexpr int H = 768;
    const zim::RecordRead read = zim::ParseRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    if (read.status == zim::RecordRead::Status::Ok)
    {
        const zim::RecoveryRecord& r = read.record;
        Check(r.columns >= 1 && r.columns <= 10 && r.rows >= 1 && r.rows <= 10);
        Check(r.shown.x >= 0 && r.shown.x < r.columns && r.shown.y >= 0 && r.shown.y < r.rows);
        Check(r.screen.width > 0 && r.screen.height > 0 && r.hidden.size() <= zim::kMaxRecordedWindows);
        // Its serialised form parses back to itself.
        const zim::RecordRead again = zim::ParseRecord(zim::SerializeRecord(r));
        Check(again.status == zim::RecordRead::Status::Ok && again.record == r);
    }

    zim::sim::SimDesktop desktop{{W, H}};
    std::vector<zim::WindowHandle> windows;
    for (int i = 0; i < 9; ++i)
    {
        zim::sim::WindowSetup setup;
        setup.rect = zim::Rect::FromSize((i % 3) * W - W + 100 + 37 * i, (i / 3) * H - H + 50 + 23 * i, 300, 200);
        setup.className = i % 4 == 0 ? "RollUp" : "Notepad";
        windows.push_back(desktop.AddWindow(setup));
    }
    const auto none = [](zim::WindowHandle) { return false; };
    const auto rollUps = [&](zim::WindowHandle w) { return desktop.GetClassName(w) == "RollUp"; };
    zim::RecoverWindows({desktop, none, rollUps, 3, 3}, read);
    for (const zim::WindowHandle w : windows)
    {
        const zim::Rect r = desktop.GetWindowRect(w).value();
        const int cx = r.left + r.Width() / 2;
        const int cy = r.top + desktop.GetCaptionFrameHeight();
        Check(cx >= 0 && cy >= 0 && cx < 3 * W && cy < 3 * H);
    }
    Check(desktop.BlockedMoveCount() == 0);
    return 0;
}
