#include "monitor/skin_editor_session.h"

namespace zim
{

ControlId ButtonControl(std::size_t n)
{
    return kFirstButtonControl + n;
}

std::optional<SkinElement> ElementKindOf(ControlId element)
{
    if (element == kGridAreaControl)
    {
        return SkinElement::GridArea;
    }
    if (element == kLabelControl)
    {
        return SkinElement::CoordinatesLabel;
    }
    if (element >= kFirstButtonControl && element < kFirstButtonControl + skins::kSkinButtons.size())
    {
        return skins::kSkinButtons[element - kFirstButtonControl].kind == skins::SkinButtonKind::IconDesktop
                   ? SkinElement::IconDesktopButton
                   : SkinElement::CommandButton;
    }
    return std::nullopt;
}

std::optional<ControlId> ElementAt(const MonitorHit& hit)
{
    switch (hit.part)
    {
    case MonitorPart::Grid:
        return kGridAreaControl;
    case MonitorPart::Label:
        return kLabelControl;
    case MonitorPart::Button:
        return ButtonControl(hit.button);
    case MonitorPart::Background:
    case MonitorPart::None:
        break;
    }
    return std::nullopt;
}

Bounds ToBounds(const Rect& r)
{
    return {r.left, r.top, r.Width(), r.Height()};
}

Rect ToRect(const Bounds& b)
{
    return Rect::FromSize(b.left, b.top, b.width, b.height);
}

SkinEditorSession::SkinEditorSession(MonitorLayout& layout, TStretchHandle& handle) : m_layout(layout), m_handle(handle)
{
    m_handle.SetOnChildBounds([this](ControlId id, const Bounds& b) { SetElementRect(id, ToRect(b)); });
}

void SkinEditorSession::Open()
{
    m_handle.Detach();
    Select(kGridAreaControl, false);
}

void SkinEditorSession::Close()
{
    if (m_picking)
    {
        EndPick(std::nullopt);
    }
    m_handle.Detach();
    m_colorEnabled = false;
    m_fontEnabled = false;
}

HandleChild SkinEditorSession::ChildFor(ControlId element) const
{
    return {element, kEditorPanel, ToBounds(ElementRect(element)), false};
}

void SkinEditorSession::Select(ControlId element, bool add)
{
    const std::optional<SkinElement> kind = ElementKindOf(element);
    if (!kind || m_picking)
    {
        return;
    }
    if (!add)
    {
        m_handle.Detach();
    }
    m_handle.Attach(ChildFor(element));
    m_colorEnabled = true;
    // The font button follows the element just pressed; the font then goes to
    // every selected element that takes one.
    m_fontEnabled = TakesFont(*kind);
}

void SkinEditorSession::SelectNone()
{
    m_handle.Detach();
    m_colorEnabled = false;
    m_fontEnabled = false;
}

Rect SkinEditorSession::ElementRect(ControlId element) const
{
    if (element == kGridAreaControl)
    {
        return m_layout.GridBounds(m_layout.BitmapClient());
    }
    if (element == kLabelControl)
    {
        return m_layout.LabelBounds();
    }
    return m_layout.ButtonBounds(element - kFirstButtonControl);
}

void SkinEditorSession::SetElementRect(ControlId element, const Rect& r)
{
    if (element == kGridAreaControl)
    {
        m_layout.SetGridBounds(r);
    }
    else if (element == kLabelControl)
    {
        m_layout.SetLabelBounds(r);
    }
    else if (ElementKindOf(element))
    {
        m_layout.SetButtonBounds(element - kFirstButtonControl, r);
    }
}

bool SkinEditorSession::HandleChanged()
{
    m_handle.Refit([this](ControlId id) { return ToBounds(ElementRect(id)); });
    return m_handle.ChildIndex(kGridAreaControl) >= 0;
}

ColorButtonAction SkinEditorSession::ColorAction() const
{
    return ColorButtonActionFor(m_handle.ChildCount(), m_handle.ChildIndex(kGridAreaControl));
}

ColorValue SkinEditorSession::PresetColor() const
{
    const std::optional<ControlId> first = m_handle.Children(0);
    if (!first || *first == kGridAreaControl)
    {
        return m_layout.Colors().LineColor;
    }
    if (*first == kLabelControl)
    {
        return m_layout.LabelFont().color;
    }
    return m_layout.ButtonFont(*first - kFirstButtonControl).color;
}

void SkinEditorSession::ApplyColor(ColorValue color)
{
    for (int i = 0; i < m_handle.ChildCount(); ++i)
    {
        const ControlId id = *m_handle.Children(i);
        if (id == kGridAreaControl)
        {
            m_layout.SetColor(GridColorCommand::Line, color);
        }
        else if (id == kLabelControl)
        {
            skins::SkinFont font = m_layout.LabelFont();
            font.color = color;
            m_layout.SetLabelFont(font);
        }
        else
        {
            const std::size_t n = id - kFirstButtonControl;
            skins::SkinFont font = m_layout.ButtonFont(n);
            font.color = color;
            m_layout.SetButtonFont(n, font);
        }
    }
}

skins::SkinFont SkinEditorSession::PresetFont() const
{
    const std::optional<ControlId> first = m_handle.Children(0);
    if (!first || *first == kGridAreaControl)
    {
        return m_layout.GridFont();
    }
    if (*first == kLabelControl)
    {
        return m_layout.LabelFont();
    }
    return m_layout.ButtonFont(*first - kFirstButtonControl);
}

void SkinEditorSession::ApplyFont(const std::string& name, int size)
{
    const auto changed = [&](skins::SkinFont font)
    {
        font.size = size;
        font.name = name;
        return font;
    };
    for (int i = 0; i < m_handle.ChildCount(); ++i)
    {
        const ControlId id = *m_handle.Children(i);
        const std::optional<SkinElement> kind = ElementKindOf(id);
        if (!kind || !TakesFont(*kind))
        {
            continue;
        }
        if (id == kGridAreaControl)
        {
            m_layout.SetGridFont(changed(m_layout.GridFont()));
        }
        else if (id == kLabelControl)
        {
            m_layout.SetLabelFont(changed(m_layout.LabelFont()));
        }
        else
        {
            m_layout.SetButtonFont(id - kFirstButtonControl, changed(m_layout.ButtonFont(id - kFirstButtonControl)));
        }
    }
}

void SkinEditorSession::BeginPick()
{
    SelectNone();
    m_picking = true;
    m_layout.SetElementsHidden(true);
}

void SkinEditorSession::EndPick(std::optional<ColorValue> picked)
{
    if (!m_picking)
    {
        return;
    }
    m_picking = false;
    if (picked)
    {
        m_layout.SetTransparentColor(*picked);
    }
    m_layout.SetElementsHidden(false);
}

} // namespace zim
