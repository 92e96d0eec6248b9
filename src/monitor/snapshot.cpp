#include "monitor/snapshot.h"

#include <algorithm>

namespace zim
{

std::string MiniatureList::SlotName(std::size_t index)
{
    std::string name = "Shape";
    name += std::to_string(index);
    return name;
}

void MiniatureList::ResetChanges()
{
    m_changes.previousCount = m_items.size();
    m_changes.count = m_items.size();
    // clear() keeps the capacity: a steady desktop allocates nothing here.
    m_changes.changed.clear();
    m_changes.dirty.clear();
}

void MiniatureList::BeginUpdate(ColorValue fillColor)
{
    ResetChanges();
    m_next = 0;
    m_fillColor = fillColor;
}

void MiniatureList::MarkChanged(std::size_t index, const Rect& before)
{
    if (std::find(m_changes.changed.begin(), m_changes.changed.end(), index) == m_changes.changed.end())
    {
        m_changes.changed.push_back(index);
    }
    m_changes.dirty.push_back(before);
    m_changes.dirty.push_back(m_items[index].bounds);
}

void MiniatureList::Place(WindowHandle tag, const Rect& bounds)
{
    const std::size_t index = m_next++;
    if (index < m_items.size())
    {
        Miniature& slot = m_items[index];
        if (slot.bounds == bounds && slot.tag == tag)
        {
            return;
        }
        // A new window in the same place is repainted too: it may have another
        // title and icon.
        const Rect before = slot.bounds;
        slot.bounds = bounds;
        slot.tag = tag;
        MarkChanged(index, before);
        return;
    }
    CreateMiniature(SlotName(index), bounds).tag = tag;
}

Miniature& MiniatureList::CreateMiniature(std::string name, const Rect& bounds)
{
    // Painted at once where it appears, in the fill colour of the moment.
    m_items.push_back({std::move(name), kNoWindow, bounds, m_fillColor});
    m_changes.dirty.push_back(bounds);
    return m_items.back();
}

const MiniatureChanges& MiniatureList::EndUpdate()
{
    for (std::size_t i = m_next; i < m_items.size(); ++i)
    {
        m_changes.dirty.push_back(m_items[i].bounds);
    }
    if (m_next < m_items.size())
    {
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(m_next), m_items.end());
    }
    m_changes.count = m_items.size();
    return m_changes;
}

bool MiniatureList::Move(WindowHandle tag, const Rect& bounds)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const Miniature& m) { return m.tag == tag; });
    if (it == m_items.end())
    {
        return false;
    }
    if (it->bounds != bounds)
    {
        const Rect before = it->bounds;
        it->bounds = bounds;
        MarkChanged(static_cast<std::size_t>(it - m_items.begin()), before);
    }
    return true;
}

const Miniature* MiniatureList::Find(WindowHandle tag) const
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const Miniature& m) { return m.tag == tag; });
    return it == m_items.end() ? nullptr : &*it;
}

const Miniature* MiniatureList::At(Point p) const
{
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
    {
        if (it->bounds.Contains(p))
        {
            return &*it;
        }
    }
    return nullptr;
}

void MiniatureList::Recolor(ColorValue color)
{
    m_fillColor = color;
    for (std::size_t i = 0; i < m_items.size(); ++i)
    {
        if (m_items[i].color != color)
        {
            m_items[i].color = color;
            m_changes.dirty.push_back(m_items[i].bounds);
        }
    }
}

} // namespace zim
