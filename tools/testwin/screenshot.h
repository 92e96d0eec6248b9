#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zim::testwin
{

struct Screenshot
{
    int width;
    int height;
    std::vector<std::uint8_t> rgb; // rows top to bottom, three bytes per pixel
};

// The whole virtual screen as it is shown now; nothing when the capture fails.
std::optional<Screenshot> CaptureVirtualScreen();

} // namespace zim::testwin
