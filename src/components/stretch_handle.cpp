#include "components/stretch_handle.h"

#include <algorithm>
#include <cstdlib>

namespace zim
{

namespace
{
// The box around a child lies this far outside it; the handle is 3 wider and
// taller than the box's far edge, so a grip square ends one pixel inside it.
constexpr int kMargin = 2;
constexpr int kFarMargin = 3;
// How near to a corner or an edge's middle the pointer selects a grip.
constexpr int kCornerReach = 5;
constexpr int kMiddleReach = 3;
} // namespace

void TStretchHandle::Attach(const HandleChild& control)
{
    if (control.isForm)
    {
        throw EBadChild();
    }
    if (control.id == kNoControl || ChildIndex(control.id) >= 0)
    {
        return;
    }
    if (!m_children.empty() && control.parent != m_parent)
    {
        Detach(); // a selection never spans two parents
    }
    const Bounds& c = control.bounds;
    if (!m_children.empty())
    {
        // Grows over the union without moving anything already attached.
        const int left = std::min(m_bounds.left, c.left - kMargin);
        const int top = std::min(m_bounds.top, c.top - kMargin);
        const int right = std::max(m_bounds.left + m_bounds.width - kFarMargin, c.left + c.width);
        const int bottom = std::max(m_bounds.top + m_bounds.height - kFarMargin, c.top + c.height);
        m_bounds = {left, top, right - left + kFarMargin, bottom - top + kFarMargin};
    }
    else
    {
        m_parent = control.parent;
        m_preview.reset();
        m_enabled = true;
        m_visible = true;
        m_bounds = {c.left - kMargin, c.top - kMargin, c.width + kMargin + kFarMargin, c.height + kMargin + kFarMargin};
    }
    m_children.push_back({control.id, c});
    m_style = DragStyle::Move;
}

void TStretchHandle::Detach()
{
    m_children.clear();
    m_locked = false;
    m_bounds.width = kDetachedBounds.width;
    m_bounds.height = kDetachedBounds.height;
    m_enabled = false;
    m_visible = false;
    m_parent = kNoControl;
    m_preview.reset();
    // A release after the selection went must not move a later one.
    m_dragging = false;
}

std::optional<ControlId> TStretchHandle::Children(int index) const
{
    if (m_children.empty() || index < 0)
    {
        return std::nullopt;
    }
    return m_children.at(static_cast<std::size_t>(index)).id;
}

int TStretchHandle::ChildIndex(ControlId control) const
{
    const auto found =
        std::find_if(m_children.begin(), m_children.end(), [control](const Child& c) { return c.id == control; });
    return found == m_children.end() ? -1 : static_cast<int>(found - m_children.begin());
}

void TStretchHandle::SetSnapToGrid(bool snap)
{
    m_gridX = m_gridY = snap ? kSnapGrid : kMinGrid;
}

bool TStretchHandle::SetGridX(int value)
{
    if (value < kMinGrid || value > kMaxGrid)
    {
        return false;
    }
    m_gridX = value;
    return true;
}

bool TStretchHandle::SetGridY(int value)
{
    if (value < kMinGrid || value > kMaxGrid)
    {
        return false;
    }
    m_gridY = value;
    return true;
}

void TStretchHandle::SetBounds(const Bounds& b)
{
    if (m_locked)
    {
        return;
    }
    const int dl = b.left - m_bounds.left;
    const int dt = b.top - m_bounds.top;
    const int dw = b.width - m_bounds.width;
    const int dh = b.height - m_bounds.height;
    for (Child& child : m_children)
    {
        child.bounds = {child.bounds.left + dl, child.bounds.top + dt, child.bounds.width + dw,
                        child.bounds.height + dh};
        if (m_onChildBounds)
        {
            m_onChildBounds(child.id, child.bounds);
        }
    }
    m_bounds = b;
}

Bounds TStretchHandle::NewBounds(Point p) const
{
    const Bounds& b = m_bounds;
    const int sx = m_dragStart.x;
    const int sy = m_dragStart.y;
    // The snapped value is the child's edge; the handle lies the margin outside it.
    const int movedLeft = SnapX(p.x + b.left - sx) - kMargin;
    const int movedTop = SnapY(p.y + b.top - sy) - kMargin;
    const int movedWidth = SnapX(p.x + b.width - sx) - kFarMargin;
    const int movedHeight = SnapY(p.y + b.height - sy) - kFarMargin;

    Bounds n = b;
    switch (m_style)
    {
    case DragStyle::Move:
        n.left = movedLeft;
        n.top = movedTop;
        break;
    case DragStyle::TopLeft:
        n.left = movedLeft;
        n.top = movedTop;
        n.width = b.width + b.left - n.left;
        n.height = b.height + b.top - n.top;
        break;
    case DragStyle::TopRight:
        n.top = movedTop;
        n.width = movedWidth;
        n.height = b.height + b.top - n.top;
        break;
    case DragStyle::BottomLeft:
        n.left = movedLeft;
        n.width = b.width + b.left - n.left;
        n.height = movedHeight;
        break;
    case DragStyle::BottomRight:
        n.width = movedWidth;
        n.height = movedHeight;
        break;
    case DragStyle::Top:
        n.top = movedTop;
        n.height = b.height + b.top - n.top;
        break;
    case DragStyle::Left:
        n.left = movedLeft;
        n.width = b.width + b.left - n.left;
        break;
    case DragStyle::Bottom:
        n.height = movedHeight;
        break;
    case DragStyle::Right:
        n.width = movedWidth;
        break;
    }
    n.width = std::max(n.width, kMinSize);
    n.height = std::max(n.height, kMinSize);
    return n;
}

bool TStretchHandle::PointOverChild(Point p) const
{
    return std::any_of(m_children.begin(), m_children.end(),
                       [p](const Child& c)
                       {
                           return Rect::FromSize(c.bounds.left - kMargin, c.bounds.top - kMargin,
                                                 c.bounds.width + 2 * kMargin, c.bounds.height + 2 * kMargin)
                               .Contains(p);
                       });
}

TStretchHandle::Grip TStretchHandle::DetectGrip(Point p) const
{
    Grip grip{DragStyle::Move, HandleCursor::Default};
    if (m_children.size() != 1)
    {
        return grip;
    }
    const int w = m_bounds.width;
    const int h = m_bounds.height;
    const auto within = [](int a, int b, int reach) { return std::abs(a - b) < reach; };
    // The middles are exact halves: compare doubled values so that .5 counts.
    const auto atMiddle = [](int a, int size) { return std::abs(2 * a - size) < 2 * kMiddleReach; };
    const bool left = within(p.x, 0, kCornerReach);
    const bool right = within(p.x, w, kCornerReach);
    const bool top = within(p.y, 0, kCornerReach);
    const bool bottom = within(p.y, h, kCornerReach);
    // In this order, a later match replacing an earlier one (a tiny handle has overlapping grips).
    const struct
    {
        bool match;
        Grip grip;
    } tests[] = {
        {left && top, {DragStyle::TopLeft, HandleCursor::SizeNWSE}},
        {right && bottom, {DragStyle::BottomRight, HandleCursor::SizeNWSE}},
        {right && top, {DragStyle::TopRight, HandleCursor::SizeNESW}},
        {left && bottom, {DragStyle::BottomLeft, HandleCursor::SizeNESW}},
        {atMiddle(p.x, w) && top, {DragStyle::Top, HandleCursor::SizeNS}},
        {atMiddle(p.x, w) && bottom, {DragStyle::Bottom, HandleCursor::SizeNS}},
        {atMiddle(p.y, h) && left, {DragStyle::Left, HandleCursor::SizeWE}},
        {atMiddle(p.y, h) && right, {DragStyle::Right, HandleCursor::SizeWE}},
    };
    for (const auto& t : tests)
    {
        if (t.match)
        {
            grip = t.grip;
        }
    }
    return grip;
}

Point TStretchHandle::Clamp(Point p, Size parentClient) const
{
    return {std::clamp(m_bounds.left + p.x, 0, std::max(parentClient.width, 0)) - m_bounds.left,
            std::clamp(m_bounds.top + p.y, 0, std::max(parentClient.height, 0)) - m_bounds.top};
}

HandleMouseResult TStretchHandle::MouseDown(MouseButton button, Point p)
{
    if (PointOverChild({m_bounds.left + p.x, m_bounds.top + p.y}))
    {
        if (button == MouseButton::Left && !m_locked)
        {
            m_dragStart = p;
            m_dragging = true;
        }
        return {m_cursor, false, false};
    }
    m_cursor = HandleCursor::Default;
    return {m_cursor, true, false};
}

HandleMouseResult TStretchHandle::MouseMove(bool leftHeld, Point p, Size parentClient)
{
    if (leftHeld && !m_dragging && !m_locked)
    {
        // The press that attached the handle went to the element: the drag starts here.
        m_dragStart = p;
        m_dragging = true;
        return {m_cursor, false, false};
    }
    HandleMouseResult result;
    result.releaseCapture = !leftHeld;
    const Grip grip = DetectGrip(p);
    m_cursor = grip.cursor;
    if (m_dragging)
    {
        if (m_style == DragStyle::Move)
        {
            m_cursor = m_dragCursor;
        }
        m_preview = NewBounds(Clamp(p, parentClient));
    }
    else
    {
        m_style = grip.style;
    }
    if (m_locked)
    {
        m_cursor = HandleCursor::NoDrop;
    }
    result.cursor = m_cursor;
    return result;
}

HandleMouseResult TStretchHandle::MouseUp(MouseButton button, Point p, Size parentClient)
{
    if (!m_dragging || button != MouseButton::Left)
    {
        return {m_cursor, true, false};
    }
    p = Clamp(p, parentClient);
    if (p != m_dragStart)
    {
        const Bounds before = m_bounds;
        const Bounds after = NewBounds(p);
        SetBounds(after);
        // Only a move that changes both left and top counts; a resize or a
        // one-axis move does not.
        const bool moved = m_bounds == after && after.left != before.left && after.top != before.top &&
                           after.width == before.width && after.height == before.height;
        if (moved && m_onMoved)
        {
            m_onMoved(*this);
        }
    }
    m_preview.reset();
    m_dragging = false;
    m_cursor = HandleCursor::Default;
    return {m_cursor, false, true};
}

bool TStretchHandle::KeyDown(ArrowKey key)
{
    if (m_locked)
    {
        return false;
    }
    Bounds b = m_bounds;
    switch (key)
    {
    case ArrowKey::Left:
        --b.left;
        break;
    case ArrowKey::Right:
        ++b.left;
        break;
    case ArrowKey::Up:
        --b.top;
        break;
    case ArrowKey::Down:
        ++b.top;
        break;
    }
    SetBounds(b);
    return true;
}

void TStretchHandle::CancelDrag()
{
    m_dragging = false;
    m_preview.reset();
    m_cursor = HandleCursor::Default;
}

void TStretchHandle::Refit(const std::function<Bounds(ControlId)>& actual)
{
    if (m_children.empty())
    {
        return;
    }
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    for (std::size_t i = 0; i < m_children.size(); ++i)
    {
        Child& child = m_children[i];
        child.bounds = actual(child.id);
        const Bounds& c = child.bounds;
        // The same box as attaching the children one by one gives.
        left = i == 0 ? c.left - kMargin : std::min(left, c.left - kMargin);
        top = i == 0 ? c.top - kMargin : std::min(top, c.top - kMargin);
        right = i == 0 ? c.left + c.width : std::max(right, c.left + c.width);
        bottom = i == 0 ? c.top + c.height : std::max(bottom, c.top + c.height);
    }
    m_bounds = {left, top, right - left + kFarMargin, bottom - top + kFarMargin};
}

std::optional<Rect> TStretchHandle::PreviewRect() const
{
    if (!m_preview)
    {
        return std::nullopt;
    }
    const Bounds& b = *m_preview;
    return Rect{b.left + kMargin, b.top + kMargin, b.left + b.width - kFarMargin, b.top + b.height - kFarMargin};
}

std::vector<GripSquare> TStretchHandle::Grips() const
{
    std::vector<GripSquare> grips;
    const bool single = m_children.size() == 1;
    const ColorValue color = single ? m_color : m_secondaryColor;
    const auto square = [&](int left, int top) { grips.push_back({Rect::FromSize(left, top, kGrip, kGrip), color}); };
    for (const Child& c : m_children)
    {
        const int left = c.bounds.left - m_bounds.left - kMargin;
        const int top = c.bounds.top - m_bounds.top - kMargin;
        const int right = c.bounds.left - m_bounds.left + c.bounds.width + kMargin;
        const int bottom = c.bounds.top - m_bounds.top + c.bounds.height + kMargin;
        square(left, top);
        square(right - kGrip, top);
        square(left, bottom - kGrip);
        square(right - kGrip, bottom - kGrip);
        if (single)
        {
            const int midX = left + (right - left) / 2 - 2;
            const int midY = top + (bottom - top) / 2 - 2;
            square(midX, top);
            square(midX, bottom - kGrip);
            square(left, midY);
            square(right - kGrip, midY);
        }
    }
    return grips;
}

} // namespace zim
