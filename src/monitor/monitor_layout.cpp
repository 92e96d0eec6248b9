#include "monitor/monitor_layout.h"

#include <algorithm>

namespace zim
{

MonitorLayout::MonitorLayout()
{
    m_skin.natural = true;
    m_skin.grid.colors = GridColors::Natural();
    m_skin.grid.font.color = m_skin.grid.colors.TextColor;
}

void MonitorLayout::ApplyNatural(const skins::SkinLayout& skin)
{
    // The rest of the layout stays as it was, for an editor to start from.
    m_skin.natural = true;
    m_elementsHidden = false;
    m_skin.grid.colors = GridColors::Natural();
    m_skin.grid.font.name = skin.grid.font.name;
    m_skin.grid.font.size = skin.grid.font.size;
    m_skin.grid.font.color = m_skin.grid.colors.TextColor;
    m_skin.grid.fillMiniWindows = true;
    m_client = {};
    Changed();
}

void MonitorLayout::ApplyBitmap(const skins::SkinLayout& skin, Size client)
{
    m_skin = skin;
    m_skin.natural = false;
    m_elementsHidden = false;
    m_skin.grid.font.color = m_skin.grid.colors.TextColor;
    m_client = client;
    skins::FitLayoutToBitmap(m_skin, m_client);
    Changed();
}

Rect MonitorLayout::GridBounds(Size client) const
{
    if (m_skin.natural)
    {
        return {0, 0, std::max(0, client.width), std::max(0, client.height)};
    }
    return m_skin.grid.bounds;
}

MonitorHit MonitorLayout::HitTest(Point client, Size clientSize) const
{
    MonitorHit hit;
    if (!Rect{0, 0, clientSize.width, clientSize.height}.Contains(client))
    {
        return hit;
    }
    const Rect grid = GridBounds(clientSize);
    if (GridVisible() && grid.Contains(client))
    {
        hit.part = MonitorPart::Grid;
        hit.grid = {client.x - grid.left, client.y - grid.top};
        return hit;
    }
    if (ButtonsVisible())
    {
        for (std::size_t n = 0; n < m_skin.buttons.size(); ++n)
        {
            if (m_skin.buttons[n].bounds.Contains(client))
            {
                hit.part = MonitorPart::Button;
                hit.button = n;
                return hit;
            }
        }
    }
    if (LabelVisible() && m_skin.coordinates.bounds.Contains(client))
    {
        hit.part = MonitorPart::Label;
        return hit;
    }
    hit.part = MonitorPart::Background;
    return hit;
}

void MonitorLayout::SetColor(GridColorCommand which, ColorValue value)
{
    GridColors& colors = m_skin.grid.colors;
    switch (which)
    {
    case GridColorCommand::Line:
        colors.LineColor = value;
        break;
    case GridColorCommand::Highlight:
        colors.HilightColor = value;
        break;
    case GridColorCommand::Text:
        // The grid area's font colour is the text colour.
        colors.TextColor = value;
        m_skin.grid.font.color = value;
        break;
    case GridColorCommand::Fill:
        colors.FillColor = value;
        break;
    }
    Changed();
}

void MonitorLayout::SetElementsHidden(bool hidden)
{
    m_elementsHidden = hidden;
    Changed();
}

void MonitorLayout::SetFillMiniWindows(bool fill)
{
    m_skin.grid.fillMiniWindows = fill;
    Changed();
}

void MonitorLayout::SetGridFont(const skins::SkinFont& font)
{
    m_skin.grid.font = font;
    m_skin.grid.colors.TextColor = font.color;
    Changed();
}

void MonitorLayout::SetGridBounds(const Rect& bounds)
{
    m_skin.grid.bounds = bounds;
    Changed();
}

void MonitorLayout::SetLabelBounds(const Rect& bounds)
{
    m_skin.coordinates.bounds = bounds;
    Changed();
}

void MonitorLayout::SetLabelFont(const skins::SkinFont& font)
{
    m_skin.coordinates.font = font;
    Changed();
}

void MonitorLayout::SetButtonBounds(std::size_t n, const Rect& bounds)
{
    m_skin.buttons.at(n).bounds = bounds;
    Changed();
}

void MonitorLayout::SetButtonFont(std::size_t n, const skins::SkinFont& font)
{
    m_skin.buttons.at(n).font = font;
    Changed();
}

void MonitorLayout::Changed()
{
    if (!m_skin.natural)
    {
        // Nothing may lie where the window's outline cannot show or reach it.
        skins::FitLayoutToBitmap(m_skin, m_client);
    }
    ++m_version;
}

CaptionColors EditorCaptionColors(bool active)
{
    return active ? CaptionColors{SystemColor(syscolor::kActiveCaption), SystemColor(syscolor::kCaptionText)}
                  : CaptionColors{SystemColor(syscolor::kInactiveCaption), SystemColor(syscolor::kInactiveCaptionText)};
}

Size SkinClientSize(Size bitmap, Size screen)
{
    const auto side = [](int wanted, int limit) { return std::max(1, limit > 0 ? std::min(wanted, limit) : wanted); };
    return {side(bitmap.width, screen.width), side(bitmap.height, screen.height)};
}

} // namespace zim
