#include "monitor/colors.h"

namespace zim
{

std::uint32_t ColorToRgb(ColorValue value, FunctionRef<std::uint32_t(int)> systemColor)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if (IsSystemColor(value))
    {
        return systemColor(static_cast<int>(bits & 0xFFu)) & 0x00FFFFFFu;
    }
    return bits & 0x00FFFFFFu;
}

const char* GridColorCaption(GridColorCommand command)
{
    switch (command)
    {
    case GridColorCommand::Line:
        return "Desktop Grid Line Color";
    case GridColorCommand::Highlight:
        return "Desktop Grid Highlight Color";
    case GridColorCommand::Text:
        return "Desktop Grid Text Color";
    case GridColorCommand::Fill:
        return "Desktop Grid  Windows Fill Color";
    }
    return "";
}

} // namespace zim
