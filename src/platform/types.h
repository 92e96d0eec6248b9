#pragma once

#include <cstdint>

namespace zim
{

// A top-level window of any process. An integer-sized id, not a pointer: the
// engine never dereferences it and must re-check IsWindow before every use.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

struct Point
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Offset(std::int32_t dx, std::int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    static Rect FromSize(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
    {
        return {x, y, x + w, y + h};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace zim
