#pragma once

namespace zim
{

// The mouse button of a press or a release.
enum class MouseButton
{
    Left,
    Right,
    Middle,
};

} // namespace zim
