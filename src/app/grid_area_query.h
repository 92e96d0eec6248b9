#pragma once

// The question the main window answers about the monitor's grid area, with
// nothing else in it, so that test programs with <windows.h> can ask it too.

#include "platform/types.h"

#include <algorithm>
#include <cstdint>

namespace zim
{

// Asked by test programs and tools: where the monitor's grid area lies in its
// client area, as PackGridArea gives it (0 before the monitor exists).
inline constexpr std::uint32_t kGetGridAreaMessage = 0x0400 + 20;

// Left, top, width and height as 16 bits each, from the lowest; a skin keeps
// each within 0..4096, and a value outside 0..65535 is cut to it. Four 16-bit
// fields need a 64-bit message result.
static_assert(sizeof(std::intptr_t) >= 8);
inline std::intptr_t PackGridArea(const Rect& area)
{
    const auto field = [](std::int32_t v) { return static_cast<std::uint64_t>(std::clamp(v, 0, 0xFFFF)); };
    const std::uint64_t packed =
        field(area.left) | field(area.top) << 16 | field(area.Width()) << 32 | field(area.Height()) << 48;
    return static_cast<std::intptr_t>(packed);
}
inline Rect UnpackGridArea(std::intptr_t packed)
{
    const auto bits = static_cast<std::uint64_t>(packed);
    const auto field = [&](int shift) { return static_cast<std::int32_t>((bits >> shift) & 0xFFFF); };
    return Rect::FromSize(field(0), field(16), field(32), field(48));
}

} // namespace zim
