#pragma once

// Colour values as skins and the colour menu keep them: 0x00BBGGRR for an RGB
// colour, or 0x80000000 plus a system-colour index, so that a skin can follow
// the user's system colours.

#include "platform/function_ref.h"

#include <cstdint>

namespace zim
{

using ColorValue = std::int32_t;

// System-colour indexes as GetSysColor numbers them.
namespace syscolor
{
inline constexpr int kActiveCaption = 2;
inline constexpr int kInactiveCaption = 3;
inline constexpr int kWindowText = 8;
inline constexpr int kCaptionText = 9;
inline constexpr int kBtnFace = 15;
inline constexpr int kHighlightText = 14;
inline constexpr int kInactiveCaptionText = 19;
} // namespace syscolor

inline constexpr ColorValue SystemColor(int index)
{
    return static_cast<ColorValue>(0x80000000u | static_cast<std::uint32_t>(index & 0xFF));
}

inline constexpr bool IsSystemColor(ColorValue value)
{
    return (static_cast<std::uint32_t>(value) & 0x80000000u) != 0;
}

// The RGB value (0x00BBGGRR) to draw with. System colours are looked up by their
// index (the low byte); of an RGB value only the three colour bytes count, so a
// stray high byte never reaches the drawing calls as a palette index.
std::uint32_t ColorToRgb(ColorValue value, FunctionRef<std::uint32_t(int)> systemColor);

inline constexpr ColorValue ColorFromRgb(std::uint32_t rgb)
{
    return static_cast<ColorValue>(rgb & 0x00FFFFFFu);
}

// The four colours of the desktop grid, program-wide; a skin sets them.
struct GridColors
{
    ColorValue LineColor = 16777215; // white: grid lines and the frames of the miniatures
    ColorValue HilightColor = 255;   // red: the frame around the shown desktop's cell
    ColorValue TextColor = 0;        // black: the miniatures' titles
    ColorValue FillColor = 16777215; // white: inside the miniatures
    friend bool operator==(const GridColors&, const GridColors&) = default;

    // A skin without a bitmap draws in the system's colours.
    static constexpr GridColors Natural()
    {
        return {SystemColor(syscolor::kWindowText), SystemColor(syscolor::kHighlightText),
                SystemColor(syscolor::kCaptionText), SystemColor(syscolor::kActiveCaption)};
    }
};

// The monitor's colour menu, in its order.
enum class GridColorCommand
{
    Line,
    Highlight,
    Text,
    Fill,
};

inline constexpr GridColorCommand kGridColorCommands[] = {GridColorCommand::Line, GridColorCommand::Highlight,
                                                          GridColorCommand::Text, GridColorCommand::Fill};

// The menu item's caption; the fourth has two blanks before "Windows".
const char* GridColorCaption(GridColorCommand command);

} // namespace zim
