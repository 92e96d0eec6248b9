#include "monitor/win32/monitor_painter.h"

#include "monitor/grid_paint.h"
#include "platform/win32/fonts.h"
#include "platform/win32/utf.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

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
// How long a window that did not answer the icon question is left alone.
constexpr ULONGLONG kIconRetryMs = 2000;
// The buttons' tools come after every miniature's.
constexpr UINT_PTR kButtonToolBase = 10000;

} // namespace

void MonitorPainter::Attach(HWND window)
{
    m_window = window;
    MakeFonts();
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

Point MonitorPainter::GridOrigin() const
{
    const Rect grid = m_model.GridBounds();
    return {grid.left + m_origin.x, grid.top + m_origin.y};
}

void MonitorPainter::MakeFonts()
{
    const MonitorLayout& layout = m_model.Layout();
    m_fontsVersion = layout.Version();
    const skins::SkinFont& grid = layout.GridFont();
    m_font = CreatePointFont(Widen(grid.name).c_str(), grid.size);
    if (!m_font)
    {
        m_font = CreateStandardFont();
    }
    const skins::SkinFont& label = layout.LabelFont();
    m_labelFont = CreatePointFont(Widen(label.name).c_str(), label.size);
    for (std::size_t n = 0; n < m_buttonFonts.size(); ++n)
    {
        // The caption's character set and weight are the button's own; the skin
        // names the face (the symbol fonts for the symbol captions) and the size.
        const skins::SkinButtonInfo& info = skins::kSkinButtons[n];
        const skins::SkinFont& font = layout.ButtonFont(n);
        m_buttonFonts[n] = CreatePointFont(Widen(font.name).c_str(), font.size, info.bold ? FW_BOLD : FW_NORMAL,
                                           static_cast<BYTE>(info.symbolCharset ? SYMBOL_CHARSET : DEFAULT_CHARSET));
    }
}

void MonitorPainter::LayoutChanged()
{
    MakeFonts();
    SetButtonTools();
    // The miniatures' tools lie in the grid area, which may have moved.
    for (std::size_t i = 0; i < m_tools; ++i)
    {
        SetTool(i, false);
    }
}

void MonitorPainter::SetButtonTools()
{
    if (!m_tooltip)
    {
        return;
    }
    const MonitorLayout& layout = m_model.Layout();
    for (std::size_t n = 0; n < skins::kSkinButtons.size(); ++n)
    {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = m_window;
        tool.uId = kButtonToolBase + n;
        if (m_buttonTools)
        {
            SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        if (layout.ButtonsVisible())
        {
            const std::wstring hint = Widen(std::string(skins::kSkinButtons[n].hint));
            tool.uFlags = TTF_SUBCLASS;
            tool.rect = ToRECT(layout.ButtonBounds(n).Offset(m_origin.x, m_origin.y));
            tool.lpszText = const_cast<wchar_t*>(hint.c_str()); // the control keeps a copy
            SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    m_buttonTools = layout.ButtonsVisible();
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
    const Point origin = GridOrigin();
    tool.rect = ToRECT(m_model.Miniatures().Items()[index].bounds.Offset(origin.x, origin.y));
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
    const Point origin = GridOrigin();
    for (const Rect& r : changes.dirty)
    {
        const RECT invalid = ToRECT(r.Offset(origin.x, origin.y));
        InvalidateRect(m_window, &invalid, FALSE);
    }
    m_hints.resize(changes.count);
    // A window that lost its miniature may be gone, and its handle given to another.
    m_icons.KeepOnly([this](WindowHandle w) { return m_model.FindMiniature(w) != nullptr; });
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

void MonitorPainter::Paint(HDC dc, const Rect& area, const Pictures& pictures)
{
    RECT client;
    GetClientRect(m_window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0 || area.Width() <= 0 || area.Height() <= 0)
    {
        return;
    }
    if (m_fontsVersion != m_model.Layout().Version())
    {
        MakeFonts();
    }
    const MemoryDc buffer(dc);
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    // The layout's coordinates begin at the origin.
    const Rect panel{0, 0, width - m_origin.x, height - m_origin.y};
    if (!buffer || !bitmap)
    {
        // Out of GDI resources: draw straight on the window rather than not at all.
        POINT before{};
        OffsetViewportOrgEx(dc, m_origin.x, m_origin.y, &before);
        PaintClient(dc, panel, pictures);
        SetViewportOrgEx(dc, before.x, before.y, nullptr);
        return;
    }
    {
        const SelectGuard bitmapGuard(buffer.Get(), bitmap.Get());
        IntersectClipRect(buffer.Get(), area.left, area.top, area.right, area.bottom);
        SetViewportOrgEx(buffer.Get(), m_origin.x, m_origin.y, nullptr);
        PaintClient(buffer.Get(), panel, pictures);
        SetViewportOrgEx(buffer.Get(), 0, 0, nullptr);
        BitBlt(dc, area.left, area.top, area.Width(), area.Height(), buffer.Get(), area.left, area.top, SRCCOPY);
    }
}

void MonitorPainter::PaintClient(HDC dc, const Rect& client, const Pictures& pictures)
{
    const MonitorLayout& layout = m_model.Layout();
    const bool skinned = !layout.Natural() && pictures.skin;
    if (skinned)
    {
        const RECT all = ToRECT(client);
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        const MemoryDc source(dc);
        if (source)
        {
            // Only the bitmap's own pixels: the editor's panel may be larger than it.
            BITMAP info{};
            const bool known = GetObjectW(pictures.skin, sizeof(info), &info) == sizeof(info);
            const int w = known ? std::min(client.Width(), static_cast<int>(info.bmWidth)) : client.Width();
            const int h =
                known ? std::min(client.Height(), static_cast<int>(std::abs(info.bmHeight))) : client.Height();
            const SelectGuard guard(source.Get(), pictures.skin);
            BitBlt(dc, 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
        }
    }

    if (layout.LabelVisible())
    {
        PaintLabel(dc);
    }
    if (layout.ButtonsVisible())
    {
        PaintButtons(dc, pictures.buttons);
    }

    if (!layout.GridVisible())
    {
        return;
    }
    // The grid area last, in its own coordinates and clipped to its bounds: it
    // covers whatever the skin puts under it, as its hit test does.
    const Rect grid = m_model.GridBounds();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, grid.left, grid.top, grid.right, grid.bottom);
    OffsetViewportOrgEx(dc, grid.left, grid.top, nullptr);
    PaintGridArea(dc, {0, 0, grid.Width(), grid.Height()}, skinned ? pictures.grid : nullptr);
    RestoreDC(dc, saved);
}

void MonitorPainter::PaintLabel(HDC dc)
{
    const MonitorLayout& layout = m_model.Layout();
    const std::wstring text = Widen(m_model.CoordinateLabel());
    RECT r = ToRECT(layout.LabelBounds());
    const int saved = SaveDC(dc);
    if (m_labelFont)
    {
        SelectObject(dc, m_labelFont.Get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Resolve(layout.LabelFont().color));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    RestoreDC(dc, saved);
}

void MonitorPainter::PaintButtons(HDC dc, const MonitorInteraction* buttons)
{
    const MonitorLayout& layout = m_model.Layout();
    RECT clip{};
    GetClipBox(dc, &clip);
    for (std::size_t n = 0; n < skins::kSkinButtons.size(); ++n)
    {
        const Rect b = layout.ButtonBounds(n);
        if (b.right <= clip.left || b.left >= clip.right || b.bottom <= clip.top || b.top >= clip.bottom)
        {
            continue;
        }
        const bool down = buttons && buttons->ButtonDown(n);
        const bool hot = buttons && buttons->HotButton() == n;
        RECT r = ToRECT(b);
        // Flat buttons: a frame only while pressed, chosen or under the pointer.
        if (down)
        {
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        }
        else if (hot)
        {
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        }
        if (down)
        {
            OffsetRect(&r, 1, 1);
        }
        const int saved = SaveDC(dc);
        if (m_buttonFonts[n])
        {
            SelectObject(dc, m_buttonFonts[n].Get());
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Resolve(layout.ButtonFont(n).color));
        const wchar_t caption = static_cast<wchar_t>(skins::kSkinButtons[n].caption);
        DrawTextW(dc, &caption, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RestoreDC(dc, saved);
    }
}

void MonitorPainter::PaintGridArea(HDC dc, const Rect& client, HBITMAP background)
{
    const RECT all = ToRECT(client);
    const MemoryDc source(dc);
    if (background && source)
    {
        const SelectGuard guard(source.Get(), background);
        BitBlt(dc, 0, 0, client.Width(), client.Height(), source.Get(), 0, 0, SRCCOPY);
    }
    else
    {
        FillRect(dc, &all, GetSysColorBrush(COLOR_APPWORKSPACE));
    }

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
    for (std::size_t i = 0; i < count; ++i)
    {
        PaintMiniature(dc, i, line, text);
    }
}

HICON MonitorPainter::SmallIcon(HWND window)
{
    MiniatureIcon& cached = m_icons.Get(FromHwnd(window), [] { return MiniatureIcon{}; });
    if (cached.known)
    {
        return cached.icon;
    }
    // A window busy with a switch's move would cost every paint its time-out.
    if (cached.askAgainAt != 0 && GetTickCount64() < cached.askAgainAt)
    {
        return nullptr;
    }
    cached = {nullptr, true, 0};
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
            cached.known = false;
            cached.askAgainAt = GetTickCount64() + kIconRetryMs;
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
            const HICON icon = SmallIcon(window);
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
