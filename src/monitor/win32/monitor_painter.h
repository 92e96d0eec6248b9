#pragma once

// Draws the monitor's grid area from what MonitorModel holds: the grid lines,
// the highlight frame and the miniatures with their titles and icons, and keeps
// one tool tip per miniature naming its window. The window calls Paint from
// WM_PAINT (double-buffered) and from WM_PRINTCLIENT.

#include "monitor/monitor_model.h"
#include "platform/win32/handles.h"

#include <cstddef>
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

    // Paints `area` (client coordinates) of the client area through a bitmap.
    void Paint(HDC dc, const Rect& area);
    // Slots were created, moved or freed: repaint their places, update the tools.
    void MiniaturesChanged(const MiniatureChanges& changes);

private:
    void PaintGridArea(HDC dc, const Rect& client);
    void PaintMiniature(HDC dc, std::size_t index, COLORREF line, COLORREF text);
    // The window's small icon, asked for once per window a slot shows.
    HICON SmallIcon(std::size_t index, HWND window);

    void SetTool(std::size_t index, bool add);
    void RemoveTools();
    // The title as last painted becomes the miniature's tool tip.
    void SetHint(std::size_t index, std::wstring_view title);

    const MonitorModel& m_model;
    HWND m_window = nullptr;
    UniqueFont m_font;
    HWND m_tooltip = nullptr; // owned by the window, destroyed with it
    std::size_t m_tools = 0;
    // Per miniature, the window title as last painted: its tool tip.
    std::vector<std::wstring> m_hints;
    struct MiniatureIcon
    {
        HWND window = nullptr;
        HICON icon = nullptr;
        bool known = false;
    };
    std::vector<MiniatureIcon> m_icons;
};

} // namespace zim::win32
