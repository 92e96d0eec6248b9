#include "monitor/win32/monitor_painter.h"

#include "monitor/grid_paint.h"
#include "platform/win32/fonts.h"

#include <commctrl.h>

#include <algorithm>

namespace zim::win32
{
namespace
{

COLORREF Resolve(ColorValue value)
{
    return ColorToRgb(value, [](int index) -> std::uint32_t { return ::GetSysColor(index); });
}

// One buffer per title: up to 254 characters and the terminator, nothing allocated.
constexpr int kTitleBuffer = 255;
// How long a window may take to hand over its icon.
constexpr UINT kIconTimeoutMs = 50;

} // namespace

void MonitorPainter::Attach(HWND window)
{
    m_window = window;
    m_font = CreateStandardFont();
    // One tool tip control, one tool per miniature; the text is asked for when shown.
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
}

void MonitorPainter::Detach()
{
    m_tooltip = nullptr;
    m_window = nullptr;
}

void MonitorPainter::SetTool(std::size_t index, bool add)
{
    if (!m_tooltip)
    {
        return;
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = index + 1;
    tool.rect = ToRECT(m_model.Miniatures().Items()[index].bounds);
    tool.lpszText = const_cast<wchar_t*>(m_hints[index].c_str()); // the control keeps a copy
    SendMessageW(m_tooltip, add ? TTM_ADDTOOLW : TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MonitorPainter::SetHint(std::size_t index, std::wstring_view title)
{
    if (m_hints[index] == title)
    {
        return;
    }
    m_hints[index].assign(title);
    if (m_tooltip && index < m_tools)
    {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = m_window;
        tool.uId = index + 1;
        tool.lpszText = const_cast<wchar_t*>(m_hints[index].c_str());
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MonitorPainter::RemoveTools()
{
    for (std::size_t i = 0; i < m_tools && m_tooltip; ++i)
    {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = m_window;
        tool.uId = i + 1;
        SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_tools = 0;
}

void MonitorPainter::MiniaturesChanged(const MiniatureChanges& changes)
{
    for (const Rect& r : changes.dirty)
    {
        // The grid area fills the client area, so its coordinates are client coordinates.
        const RECT invalid = ToRECT(r);
        InvalidateRect(m_window, &invalid, FALSE);
    }
    m_hints.resize(changes.count);
    m_icons.resize(changes.count);
    if (changes.count == changes.previousCount && changes.count == m_tools)
    {
        for (const std::size_t i : changes.changed)
        {
            SetTool(i, false);
        }
        return;
    }
    // The tool tip names the first tool under the pointer, and later miniatures
    // cover earlier ones: the tools go in from the last slot to the first.
    RemoveTools();
    for (std::size_t i = changes.count; i-- > 0;)
    {
        SetTool(i, true);
    }
    m_tools = changes.count;
}

void MonitorPainter::Paint(HDC dc, const Rect& area)
{
    RECT client;
    GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0 || area.Width() <= 0 || area.Height() <= 0)
    {
        return;
    }
    const MemoryDc buffer(dc);
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!buffer || !bitmap)
    {
        // Out of GDI resources: draw straight on the window rather than not at all.
        PaintGridArea(dc, {client.left, client.top, client.right, client.bottom});
        return;
    }
    {
        const SelectGuard bitmapGuard(buffer.Get(), bitmap.Get());
        IntersectClipRect(buffer.Get(), area.left, area.top, area.right, area.bottom);
        PaintGridArea(buffer.Get(), {client.left, client.top, client.right, client.bottom});
        BitBlt(dc, area.left, area.top, area.Width(), area.Height(), buffer.Get(), area.left, area.top, SRCCOPY);
    }
}

void MonitorPainter::PaintGridArea(HDC dc, const Rect& client)
{
    const RECT all = ToRECT(client);
    FillRect(dc, &all, GetSysColorBrush(COLOR_APPWORKSPACE));

    const GridColors& colors = m_model.Colors();
    const COLORREF line = Resolve(colors.LineColor);

    // The inner grid lines, across the whole area.
    {
        const SelectGuard penGuard(dc, GetStockObject(DC_PEN));
        SetDCPenColor(dc, line);
        const GridLines lines = InnerGridLines(m_model.Grid());
        for (int i = 0; i < lines.verticalCount; ++i)
        {
            MoveToEx(dc, lines.x[i], client.top, nullptr);
            LineTo(dc, lines.x[i], client.bottom);
        }
        for (int j = 0; j < lines.horizontalCount; ++j)
        {
            MoveToEx(dc, client.left, lines.y[j], nullptr);
            LineTo(dc, client.right, lines.y[j]);
        }
    }

    // The highlight frame: a two-pixel rectangle inside its own bounds.
    {
        const Rect frame = m_model.FocusFrame();
        const UniquePen pen(CreatePen(PS_SOLID, 2, Resolve(colors.HilightColor)));
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, frame.left, frame.top, frame.right, frame.bottom);
        {
            const SelectGuard penGuard(dc, pen ? static_cast<HGDIOBJ>(pen.Get()) : GetStockObject(DC_PEN));
            const SelectGuard brushGuard(dc, GetStockObject(NULL_BRUSH));
            const Rect outline = FocusFrameOutline(frame);
            Rectangle(dc, outline.left, outline.top, outline.right, outline.bottom);
        }
        RestoreDC(dc, saved);
    }

    // The miniatures in list order: later ones cover earlier ones.
    const COLORREF text = Resolve(colors.TextColor);
    const SelectGuard fontGuard(dc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    const SelectGuard penGuard(dc, GetStockObject(DC_PEN));
    const std::size_t count = m_model.Miniatures().Size();
    if (m_hints.size() < count)
    {
        m_hints.resize(count);
    }
    if (m_icons.size() < count)
    {
        m_icons.resize(count);
    }
    for (std::size_t i = 0; i < count; ++i)
    {
        PaintMiniature(dc, i, line, text);
    }
}

HICON MonitorPainter::SmallIcon(std::size_t index, HWND window)
{
    MiniatureIcon& cached = m_icons[index];
    if (cached.known && cached.window == window)
    {
        return cached.icon;
    }
    cached = {window, nullptr, true};
    // The small icon of the window's class, read without a message to the window.
    SetLastError(0);
    cached.icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    if (!cached.icon && GetLastError() != 0)
    {
        // The class of another process could not be read (Wine cannot): ask the
        // window, briefly, and never wait for one that does not answer.
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(window, WM_GETICON, ICON_SMALL2, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kIconTimeoutMs,
                                &answer))
        {
            cached.icon = reinterpret_cast<HICON>(answer);
        }
        else
        {
            cached.known = false; // ask again at the next paint
        }
    }
    return cached.icon;
}

void MonitorPainter::PaintMiniature(HDC dc, std::size_t index, COLORREF line, COLORREF text)
{
    const Miniature& miniature = m_model.Miniatures().Items()[index];
    const Rect& b = miniature.bounds;
    RECT clip{};
    GetClipBox(dc, &clip);
    if (b.right <= clip.left || b.left >= clip.right || b.bottom <= clip.top || b.top >= clip.bottom)
    {
        return; // nothing of it is to be repainted
    }
    // A miniature paints only inside its own bounds, like a control of its own.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);

    const bool fill = m_model.FillMiniatures();
    const COLORREF fillColor = Resolve(miniature.color);
    SetDCPenColor(dc, line);
    SetDCBrushColor(dc, fillColor);
    SelectObject(dc, GetStockObject(fill ? DC_BRUSH : NULL_BRUSH)); // RestoreDC puts the old one back
    Rectangle(dc, b.left, b.top, b.right, b.bottom);

    const HWND window = ToHwnd(miniature.tag);
    if (IsWindow(window))
    {
        // GetWindowTextW reads another process's title without sending it a
        // message, so a hung window cannot stall the paint.
        wchar_t title[kTitleBuffer];
        const int length = std::max(0, GetWindowTextW(window, title, kTitleBuffer));
        SetHint(index, {title, static_cast<std::size_t>(length)});

        const Options& options = m_model.CurrentOptions();
        bool iconDrawn = false;
        if (options.showWndIcons)
        {
            const HICON icon = SmallIcon(index, window);
            iconDrawn = icon && DrawIconEx(dc, b.left + kMiniatureIconInset, b.top + kMiniatureIconInset, icon,
                                           kMiniatureIconSize, kMiniatureIconSize, 0, nullptr, DI_NORMAL);
        }
        SIZE extent{};
        GetTextExtentPoint32W(dc, title, length, &extent);
        const TitleLayout layout = LayoutTitle({b.Width(), b.Height()}, iconDrawn, extent.cy, options.showWndNames);
        if (layout.visible && length > 0)
        {
            const RECT textClip = ToRECT(layout.clip.Offset(b.left, b.top));
            SetTextColor(dc, text);
            UINT flags = ETO_CLIPPED;
            if (fill)
            {
                SetBkMode(dc, OPAQUE);
                SetBkColor(dc, fillColor);
                flags |= ETO_OPAQUE;
            }
            else
            {
                SetBkMode(dc, TRANSPARENT);
            }
            ExtTextOutW(dc, b.left + layout.origin.x, b.top + layout.origin.y, flags, &textClip, title,
                        static_cast<UINT>(length), nullptr);
        }
    }
    RestoreDC(dc, saved);
}

} // namespace zim::win32
