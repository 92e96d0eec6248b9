#pragma once

// Draws the monitor from what MonitorModel holds: under a bitmap skin the skin
// picture, the coordinate label and the twelve buttons; the grid area at its
// place in the layout with its background, the grid lines, the highlight frame
// and the miniatures with their titles and icons. It keeps one tool tip per
// miniature naming its window and one per visible button naming its command.
// The window calls Paint from WM_PAINT (double-buffered) and from WM_PRINTCLIENT.

#include "engine/handle_cache.h"
#include "monitor/monitor_interaction.h"
#include "monitor/monitor_model.h"
#include "platform/win32/handles.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zim::win32
{

class MonitorPainter
{
public:
    explicit MonitorPainter(const MonitorModel& model) : m_model(model) {}
    MonitorPainter(const MonitorPainter&) = delete;
    MonitorPainter& operator=(const MonitorPainter&) = delete;

    // Once the window exists: the grid font and the tool tip control.
    void Attach(HWND window);
    // The window is being destroyed, and its tool tip with it.
    void Detach();

    // What the window holds beside the model.
    struct Pictures
    {
        HBITMAP skin = nullptr; // the skin bitmap, none under a natural skin
        HBITMAP grid = nullptr; // its part under the grid area
        const MonitorInteraction* buttons = nullptr;
    };

    // Paints `area` (client coordinates) of the client area through a bitmap.
    void Paint(HDC dc, const Rect& area, const Pictures& pictures);
    // The layout changed: fonts made again, button tools placed again.
    void LayoutChanged();
    // The layout changed since the last LayoutChanged.
    bool LayoutOutdated() const { return m_fontsVersion != m_model.Layout().Version(); }
    // Where the layout's (0, 0) lies in the client area: below the skin editor's title bar while it is open.
    void SetOrigin(Point origin) { m_origin = origin; }
    // Slots were created, moved or freed: repaint their places, update the tools.
    void MiniaturesChanged(const MiniatureChanges& changes);

private:
    void PaintClient(HDC dc, const Rect& client, const Pictures& pictures);
    void PaintGridArea(HDC dc, const Rect& area, HBITMAP background);
    void PaintLabel(HDC dc);
    void PaintButtons(HDC dc, const MonitorInteraction* buttons);
    void MakeFonts();
    void SetButtonTools();
    Point GridOrigin() const;
    void PaintMiniature(HDC dc, std::size_t index, COLORREF line, COLORREF text);
    // The window's small icon, asked for once per window while it has a miniature.
    HICON SmallIcon(HWND window);

    void SetTool(std::size_t index, bool add);
    void RemoveTools();
    // The title as last painted becomes the miniature's tool tip.
    void SetHint(std::size_t index, std::wstring_view title);

    const MonitorModel& m_model;
    HWND m_window = nullptr;
    Point m_origin;
    UniqueFont m_font; // the grid area's
    UniqueFont m_labelFont;
    std::array<UniqueFont, 12> m_buttonFonts;
    std::uint32_t m_fontsVersion = 0xFFFFFFFF;
    bool m_buttonTools = false;
    HWND m_tooltip = nullptr; // owned by the window, destroyed with it
    std::size_t m_tools = 0;
    // Per miniature, the window title as last painted: its tool tip.
    std::vector<std::wstring> m_hints;
    // Per window, not per slot: a window that opens low in the z-order moves
    // every slot above it to another window, and none of those is asked again.
    struct MiniatureIcon
    {
        HICON icon = nullptr;
        bool known = false;
        ULONGLONG askAgainAt = 0; // after a window did not answer in time
    };
    HandleCache<MiniatureIcon> m_icons;
};

} // namespace zim::win32
