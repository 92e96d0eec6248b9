#pragma once

// The miniatures of the monitor's grid area: one slot per listed window, reused
// in order from refresh to refresh. A slot is not an identity: slot i takes
// whatever window comes i-th, and only its bounds and window change, so a steady
// desktop creates, frees and repaints nothing.

#include "monitor/colors.h"
#include "platform/types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zim
{

struct Miniature
{
    std::string name;             // "Shape" + its index, given at creation and never changed
    WindowHandle tag = kNoWindow; // the window it stands for
    Rect bounds;                  // grid-area coordinates
    ColorValue color = 0;         // the fill colour when created or last recoloured
};

// What one pass over the slots changed, so that the window repaints only that
// and keeps its tool tips in step. Slots [previousCount, count) were created,
// slots [count, previousCount) freed.
struct MiniatureChanges
{
    std::size_t previousCount = 0;
    std::size_t count = 0;
    // Slots kept whose bounds or window changed.
    std::vector<std::size_t> changed;
    // Grid-area rectangles to repaint: old and new bounds of every change.
    std::vector<Rect> dirty;

    bool Empty() const { return previousCount == count && changed.empty() && dirty.empty(); }
};

class MiniatureList
{
public:
    static std::string SlotName(std::size_t index);

    // A refresh: BeginUpdate, Place for each listed window in painting order,
    // then EndUpdate, which frees the slots not filled and returns the changes.
    void BeginUpdate(ColorValue fillColor);
    void Place(WindowHandle tag, const Rect& bounds);
    const MiniatureChanges& EndUpdate();

    // Moves the first miniature standing for the window, outside a refresh (the
    // switch moves a sticky window's miniature this way); false when it has none.
    bool Move(WindowHandle tag, const Rect& bounds);
    // Changes since the last BeginUpdate or ClearChanges.
    const MiniatureChanges& Changes() const { return m_changes; }
    void ClearChanges() { ResetChanges(); }

    // The first miniature in list order whose window is `tag`.
    const Miniature* Find(WindowHandle tag) const;
    // The miniature painted on top at a grid-area point: the last one containing it.
    const Miniature* At(Point p) const;
    void Recolor(ColorValue color);

    const std::vector<Miniature>& Items() const { return m_items; }
    std::size_t Size() const { return m_items.size(); }

private:
    Miniature& CreateMiniature(std::string name, const Rect& bounds);
    void MarkChanged(std::size_t index, const Rect& before);
    void ResetChanges();

    std::vector<Miniature> m_items;
    std::size_t m_next = 0;
    ColorValue m_fillColor = 0;
    MiniatureChanges m_changes;
};

} // namespace zim
