#pragma once

// The skin editor's work on the monitor's layout: which elements are selected
// (the stretch handle's children), what the colour and font buttons offer for
// them, and the changes they make. The editor's window turns presses and
// dialog results into these calls and repaints what changed.

#include "components/stretch_handle.h"
#include "monitor/monitor_layout.h"
#include "skins/skin_editor_rules.h"

#include <optional>
#include <string>

namespace zim
{

// The elements as the stretch handle knows them; all lie on one panel.
inline constexpr ControlId kEditorPanel = 1;
inline constexpr ControlId kGridAreaControl = 1;
inline constexpr ControlId kLabelControl = 2;
inline constexpr ControlId kFirstButtonControl = 10; // + the button's place in the skin file's order

ControlId ButtonControl(std::size_t n);
// None for an id that names no element.
std::optional<SkinElement> ElementKindOf(ControlId element);
// The element a press on the monitor's client area selects, or none (the background).
std::optional<ControlId> ElementAt(const MonitorHit& hit);

Bounds ToBounds(const Rect& r);
Rect ToRect(const Bounds& b);

class SkinEditorSession
{
public:
    // The handle's children are the layout's elements from now on.
    SkinEditorSession(MonitorLayout& layout, TStretchHandle& handle);
    SkinEditorSession(const SkinEditorSession&) = delete;
    SkinEditorSession& operator=(const SkinEditorSession&) = delete;

    // The editor opens with the grid area selected.
    void Open();
    // Detached, and a pending transparent-colour pick ended without a colour.
    void Close();

    // A press on an element: it becomes the selection, or with Ctrl joins it.
    void Select(ControlId element, bool add);
    // A press on the background: nothing is selected.
    void SelectNone();
    bool ColorEnabled() const { return m_colorEnabled; }
    bool FontEnabled() const { return m_fontEnabled; }

    Rect ElementRect(ControlId element) const;
    // After the handle changed its children: the layout fits them into the
    // bitmap, and the handle is laid over what it kept. True when the grid
    // area is among them (its background and cells follow).
    bool HandleChanged();

    // The colour button: the grid colour menu for the grid area alone, else
    // the colour dialog preset from the first selected element.
    ColorButtonAction ColorAction() const;
    ColorValue PresetColor() const;
    // Every selected button and the label take it as their font colour; the
    // grid area takes it as its line colour.
    void ApplyColor(ColorValue color);
    skins::SkinFont PresetFont() const;
    // Size and face for every selected element that takes a font; colour stays.
    void ApplyFont(const std::string& name, int size);

    // "Set Transparent Color": the elements hide until a click on the bitmap.
    bool Picking() const { return m_picking; }
    void BeginPick();
    // The colour under the click, or none when the pick is abandoned.
    void EndPick(std::optional<ColorValue> picked);
    // The swatch: what OK gives the window's outline and SaveSkin writes.
    ColorValue TransparentColor() const { return m_layout.TransparentColor(); }

private:
    HandleChild ChildFor(ControlId element) const;
    void SetElementRect(ControlId element, const Rect& r);

    MonitorLayout& m_layout;
    TStretchHandle& m_handle;
    bool m_colorEnabled = false;
    bool m_fontEnabled = false;
    bool m_picking = false;
};

} // namespace zim
