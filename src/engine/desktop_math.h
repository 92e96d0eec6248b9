#pragma once

// Arithmetic of the desktop plane, shared by the engine and the monitor.

#include "platform/types.h"

#include <cmath>
#include <cstdint>

namespace zim
{

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline std::int32_t RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
    {
        result = floor + 1.0;
    }
    return static_cast<std::int32_t>(result);
}

// Desktops are numbered from 1, row by row.
inline int DesktopNumber(int column, int row, int columns)
{
    return row * columns + column + 1;
}

inline Point DesktopFromNumber(int number, int columns)
{
    int x = (number % columns) - 1;
    if (x < 0)
    {
        x += columns;
    }
    return {x, (number - 1) / columns};
}

} // namespace zim
