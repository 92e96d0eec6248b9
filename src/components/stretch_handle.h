#pragma once

// The stretch handle's logic: a transparent control laid over one or more sibling
// controls (its children) that moves them with the mouse or the arrow keys, and
// resizes a single one by eight grips, optionally on a grid. Controls are opaque
// ids with their bounds; the window around this class turns messages into these
// calls, applies the children's new bounds and draws what it is told.

#include "monitor/colors.h"
#include "platform/mouse_button.h"
#include "platform/types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace zim
{

using ControlId = std::uintptr_t;
inline constexpr ControlId kNoControl = 0;

// Left, top, width and height, the way controls set their bounds in one go.
struct Bounds
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// A control offered to Attach, in its parent's client coordinates.
struct HandleChild
{
    ControlId id = kNoControl;
    ControlId parent = kNoControl;
    Bounds bounds;
    bool isForm = false;
};

inline constexpr const char* kBadChildMessage = "Handles can not be attached to a Form!";

class EBadChild : public std::runtime_error
{
public:
    EBadChild() : std::runtime_error(kBadChildMessage) {}
};

enum class DragStyle : std::uint8_t
{
    Move = 0,
    TopLeft = 1,
    TopRight = 2,
    BottomLeft = 3,
    BottomRight = 4,
    Top = 5,
    Left = 6,
    Bottom = 7,
    Right = 8,
};

// The framework's cursor numbers.
enum class HandleCursor : std::int16_t
{
    Default = 0,
    SizeNESW = -6,
    SizeNS = -7,
    SizeNWSE = -8,
    SizeWE = -9,
    Drag = -12,
    NoDrop = -13,
};

enum class ArrowKey
{
    Left,
    Up,
    Right,
    Down,
};

// What the window does after a mouse message.
struct HandleMouseResult
{
    HandleCursor cursor = HandleCursor::Default;
    bool forward = false;        // hand the press or release to the control under the point
    bool releaseCapture = false; // the left button is up, or a drag has ended
};

struct GripSquare
{
    Rect rect; // in the handle's own coordinates
    ColorValue color = 0;
    friend bool operator==(const GripSquare&, const GripSquare&) = default;
};

class TStretchHandle
{
public:
    static constexpr int kMinGrid = 1;
    static constexpr int kMaxGrid = 32;
    static constexpr int kSnapGrid = 8;
    static constexpr int kMinSize = 5;
    static constexpr int kGrip = 5;
    static constexpr ColorValue kDefaultColor = 0;                // black
    static constexpr ColorValue kDefaultSecondaryColor = 8421504; // grey
    static constexpr Bounds kDetachedBounds{0, 0, 24, 24};

    using Moved = std::function<void(TStretchHandle&)>;
    using ChildBoundsChanged = std::function<void(ControlId, const Bounds&)>;

    // Throws EBadChild for a form, leaving the handle as it was.
    void Attach(const HandleChild& control);
    void Detach();

    int ChildCount() const { return static_cast<int>(m_children.size()); }
    // None when the list is empty or the index negative; an index at or above the
    // count throws std::out_of_range, as the list does.
    std::optional<ControlId> Children(int index) const;
    int ChildIndex(ControlId control) const;
    // As this handle last set or was given them.
    Bounds ChildBounds(int index) const { return m_children.at(static_cast<std::size_t>(index)).bounds; }

    bool SnapToGrid() const { return m_gridX > 1 || m_gridY > 1; }
    void SetSnapToGrid(bool snap);
    int GridX() const { return m_gridX; }
    int GridY() const { return m_gridY; }
    // A value outside 1..32 is refused and the old one kept.
    bool SetGridX(int value);
    bool SetGridY(int value);

    bool Locked() const { return m_locked; }
    void SetLocked(bool locked) { m_locked = locked; }
    ColorValue Color() const { return m_color; }
    void SetColor(ColorValue color) { m_color = color; }
    ColorValue SecondaryColor() const { return m_secondaryColor; }
    void SetSecondaryColor(ColorValue color) { m_secondaryColor = color; }
    HandleCursor DragCursor() const { return m_dragCursor; }
    void SetDragCursor(HandleCursor cursor) { m_dragCursor = cursor; }

    void SetOnMoved(Moved onMoved) { m_onMoved = std::move(onMoved); }
    void SetOnChildBounds(ChildBoundsChanged onChild) { m_onChildBounds = std::move(onChild); }

    // The handle's own window, in the parent's client coordinates.
    Bounds GetBounds() const { return m_bounds; }
    ControlId Parent() const { return m_parent; }
    bool Visible() const { return m_visible; }
    bool Enabled() const { return m_enabled; }
    bool Dragging() const { return m_dragging; }
    DragStyle GetDragStyle() const { return m_style; }

    // Every child changes by the same amounts as the handle; nothing moves while locked.
    void SetBounds(const Bounds& bounds);
    // Where the current drag puts the handle for a pointer at p (handle coordinates).
    Bounds NewBounds(Point p) const;
    // p in the parent's coordinates.
    bool PointOverChild(Point p) const;

    // Points are in the handle's own coordinates; the parent's client size holds
    // a dragged pointer inside it.
    HandleMouseResult MouseDown(MouseButton button, Point p);
    HandleMouseResult MouseMove(bool leftHeld, Point p, Size parentClient);
    HandleMouseResult MouseUp(MouseButton button, Point p, Size parentClient);
    // True when the key moved the handle (and with it the children).
    bool KeyDown(ArrowKey key);
    // The window lost the mouse during a drag: the drag ends where it began.
    void CancelDrag();
    // The children's owner kept other bounds than the handle gave them (it fits
    // them into their parent): the handle takes them and lays itself over them
    // again, moving nothing.
    void Refit(const std::function<Bounds(ControlId)>& actual);

    // The dotted rectangle of the drag's preview, in the parent's coordinates;
    // none when no preview is shown.
    std::optional<Rect> PreviewRect() const;
    std::vector<GripSquare> Grips() const;

private:
    struct Child
    {
        ControlId id;
        Bounds bounds;
    };
    struct Grip
    {
        DragStyle style;
        HandleCursor cursor;
    };

    Grip DetectGrip(Point p) const;
    Point Clamp(Point p, Size parentClient) const;
    int SnapX(int v) const { return m_gridX * (v / m_gridX); }
    int SnapY(int v) const { return m_gridY * (v / m_gridY); }

    Point m_dragStart;
    DragStyle m_style = DragStyle::Move;
    bool m_dragging = false;
    std::optional<Bounds> m_preview;
    bool m_locked = false;
    ColorValue m_color = kDefaultColor;
    ColorValue m_secondaryColor = kDefaultSecondaryColor;
    int m_gridX = kMinGrid;
    int m_gridY = kMinGrid;
    HandleCursor m_dragCursor = HandleCursor::Drag;
    HandleCursor m_cursor = HandleCursor::Default;
    std::vector<Child> m_children;
    Moved m_onMoved;
    ChildBoundsChanged m_onChildBounds;

    Bounds m_bounds = kDetachedBounds;
    ControlId m_parent = kNoControl;
    bool m_visible = false;
    bool m_enabled = false;
};

} // namespace zim
