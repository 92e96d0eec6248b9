#pragma once

// The monitor's layout under the applied skin: where the grid area, the
// coordinate label and the twelve buttons lie in the client area, their fonts,
// the grid's colours and whether miniatures are filled. The skin loader fills
// it, the painter draws from it, the hit test reads it, and the skin editor will
// change it here and save it from here.
//
// Under a natural skin the grid area fills the client area and the label and
// buttons are hidden. Under a bitmap skin the client area is the bitmap (cut to
// the screen), and every rectangle lies inside it.

#include "monitor/colors.h"
#include "platform/types.h"
#include "skins/skin_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zim
{

// What lies under a point of the client area, front to back: the grid area,
// then the buttons, then the label, then the background.
enum class MonitorPart
{
    None, // outside the client area
    Grid,
    Button,
    Label,
    Background,
};

struct MonitorHit
{
    MonitorPart part = MonitorPart::None;
    std::size_t button = 0; // index into skins::kSkinButtons when part is Button
    Point grid;             // the point in grid-area coordinates when part is Grid
    friend bool operator==(const MonitorHit&, const MonitorHit&) = default;
};

class MonitorLayout
{
public:
    // Before any skin: a natural look in the system's colours.
    MonitorLayout();

    // A natural skin: only its grid font counts; the colours are the system's.
    void ApplyNatural(const skins::SkinLayout& skin);
    // A bitmap skin whose client area is `client` (the bitmap, cut to the
    // screen): every rectangle is fitted into it.
    void ApplyBitmap(const skins::SkinLayout& skin, Size client);

    bool Natural() const { return m_skin.natural; }
    // The bitmap skin's client area; empty under a natural skin.
    Size BitmapClient() const { return m_client; }
    // The grid area in client coordinates for a client area of this size.
    Rect GridBounds(Size client) const;
    bool LabelVisible() const { return !m_skin.natural && !m_elementsHidden; }
    bool ButtonsVisible() const { return !m_skin.natural && !m_elementsHidden; }
    bool GridVisible() const { return m_skin.natural || !m_elementsHidden; }
    // While the skin editor picks the transparent colour only the bitmap shows,
    // so that every pixel of it can be clicked.
    void SetElementsHidden(bool hidden);
    const Rect& LabelBounds() const { return m_skin.coordinates.bounds; }
    const skins::SkinFont& LabelFont() const { return m_skin.coordinates.font; }
    const Rect& ButtonBounds(std::size_t n) const { return m_skin.buttons.at(n).bounds; }
    const skins::SkinFont& ButtonFont(std::size_t n) const { return m_skin.buttons.at(n).font; }
    const skins::SkinFont& GridFont() const { return m_skin.grid.font; }
    const GridColors& Colors() const { return m_skin.grid.colors; }
    bool FillMiniWindows() const { return m_skin.grid.fillMiniWindows; }
    ColorValue TransparentColor() const { return m_skin.transparentColor; }
    const std::string& BackgroundFile() const { return m_skin.backgroundFile; }
    // Everything SaveSkin writes.
    const skins::SkinLayout& Skin() const { return m_skin; }

    MonitorHit HitTest(Point client, Size clientSize) const;

    // Changes, as the colour menu and the skin editor make them. Rectangles are
    // kept inside a bitmap skin's client area.
    void SetColor(GridColorCommand which, ColorValue value);
    void SetFillMiniWindows(bool fill);
    void SetGridFont(const skins::SkinFont& font);
    void SetGridBounds(const Rect& bounds);
    void SetLabelBounds(const Rect& bounds);
    void SetLabelFont(const skins::SkinFont& font);
    void SetButtonBounds(std::size_t n, const Rect& bounds);
    void SetButtonFont(std::size_t n, const skins::SkinFont& font);
    void SetTransparentColor(ColorValue color) { m_skin.transparentColor = color; }

    // Counts every change, so that a painter knows when to make its fonts again.
    std::uint32_t Version() const { return m_version; }

private:
    void Changed();

    skins::SkinLayout m_skin;
    Size m_client;
    bool m_elementsHidden = false;
    std::uint32_t m_version = 0;
};

// The editor's title bar (shown only while the skin editor is open) takes the
// system's caption colours of an active or an inactive window.
struct CaptionColors
{
    ColorValue background;
    ColorValue text;
    friend bool operator==(const CaptionColors&, const CaptionColors&) = default;
};
CaptionColors EditorCaptionColors(bool active);

// The client area a bitmap skin gives the monitor: the bitmap, cut to the
// screen so that no skin makes a window larger than the screen.
Size SkinClientSize(Size bitmap, Size screen);

} // namespace zim
