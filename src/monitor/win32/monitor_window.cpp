#include "monitor/win32/monitor_window.h"

#include "monitor/grid_paint.h"
#include "monitor/position_constraint.h"
#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>

namespace zim::win32
{
namespace
{

RECT ToRect(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

COLORREF Resolve(ColorValue value)
{
    return ColorToRgb(value, [](int index) -> std::uint32_t { return ::GetSysColor(index); });
}

// The grid font until skins bring their own.
constexpr const wchar_t* kGridFontName = L"MS Sans Serif";
constexpr int kGridFontPoints = 8;
// One buffer per title: up to 254 characters and the terminator, nothing allocated.
constexpr int kTitleBuffer = 255;
constexpr UINT kFirstColorCommand = 1;
// How long a window may take to hand over its icon.
constexpr UINT kIconTimeoutMs = 50;

} // namespace

TZIMMonitor::TZIMMonitor(WindowSystem& windows, Scheduler& scheduler, OptionsModel& options, EngineState& state,
                         DesktopEngine& engine, std::function<void()> onClose)
    : m_model(windows, scheduler, options, state, engine, *this),
      m_interaction(windows, options, state, engine, m_model, *this), m_onClose(std::move(onClose))
{
    m_model.onShownChanged = [this](bool shown)
    {
        if (onShownChanged)
        {
            onShownChanged(shown);
        }
    };
    m_interaction.onPopupMenu = [this](Point screen)
    {
        if (onPopupMenu)
        {
            onPopupMenu(screen);
        }
    };
}

TZIMMonitor::~TZIMMonitor()
{
    m_model.StopTimers();
}

bool TZIMMonitor::Create(HICON icon)
{
    // Until skins exist: a sizeable tool window (no task-bar button, small caption)
    // whose grid fills the client area.
    const DWORD exStyle = WS_EX_TOOLWINDOW | (m_model.CurrentOptions().alwaysOnTop ? WS_EX_TOPMOST : 0);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!Window::Create(kClassName, kCaption, style, exStyle, 0, 0, kDefaultWidth, kDefaultHeight, nullptr, icon))
    {
        return false;
    }
    const WindowDc screen(nullptr);
    const int height = -MulDiv(kGridFontPoints, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    m_font.Reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kGridFontName));
    CreateTooltip();
    m_model.Desktopsize1Click();
    return true;
}

void TZIMMonitor::CreateTooltip()
{
    // One tool tip control, one tool per miniature; the text is asked for when shown.
    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
}

void TZIMMonitor::SetTool(std::size_t index, bool add)
{
    if (!m_tooltip)
    {
        return;
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = index + 1;
    tool.rect = ToRect(m_model.Miniatures().Items()[index].bounds);
    tool.lpszText = const_cast<wchar_t*>(m_hints[index].c_str()); // the control keeps a copy
    SendMessageW(m_tooltip, add ? TTM_ADDTOOLW : TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TZIMMonitor::SetHint(std::size_t index, std::wstring_view title)
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
        tool.hwnd = Handle();
        tool.uId = index + 1;
        tool.lpszText = const_cast<wchar_t*>(m_hints[index].c_str());
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TZIMMonitor::RemoveTools()
{
    for (std::size_t i = 0; i < m_tools && m_tooltip; ++i)
    {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Handle();
        tool.uId = i + 1;
        SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_tools = 0;
}

void TZIMMonitor::SetProgramsPopup(TZIM2* popup)
{
    m_popup = popup;
    if (m_popup)
    {
        m_popup->onShownChanged = [this](bool shown) { m_interaction.ProgramsPopupShown(shown); };
    }
}

void TZIMMonitor::StopTimers()
{
    m_interaction.Reset();
    m_model.StopTimers();
}

void TZIMMonitor::ShowMonitor()
{
    m_model.ArmAutoHide();
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    m_model.UpdateMiniatures();
}

// --- MonitorSurface ---

void TZIMMonitor::Hide()
{
    ShowWindow(Handle(), SW_HIDE);
}

Rect TZIMMonitor::Bounds() const
{
    RECT r{};
    GetWindowRect(Handle(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Size TZIMMonitor::GridAreaSize() const
{
    RECT client{};
    GetClientRect(Handle(), &client);
    return {client.right - client.left, client.bottom - client.top};
}

void TZIMMonitor::SetTopmost(bool topmost)
{
    SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TZIMMonitor::RepaintGrid(const Rect& area)
{
    // The grid area fills the client area, so its coordinates are client coordinates.
    const RECT r = ToRect(area);
    InvalidateRect(Handle(), &r, FALSE);
}

void TZIMMonitor::RepaintAll()
{
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TZIMMonitor::MiniaturesChanged(const MiniatureChanges& changes)
{
    for (const Rect& r : changes.dirty)
    {
        RepaintGrid(r);
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

WindowHandle TZIMMonitor::FindDesktopBackground()
{
    return FromHwnd(FindWindowW(L"DesktopBackgroundClass", nullptr));
}

// --- InteractionSurface ---

Point TZIMMonitor::GridToScreen(Point grid) const
{
    POINT p{grid.x, grid.y};
    ClientToScreen(Handle(), &p);
    return {p.x, p.y};
}

void TZIMMonitor::ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds)
{
    if (m_popup)
    {
        m_popup->ShowList(titles, bounds);
    }
}

void TZIMMonitor::HideProgramsPopup()
{
    if (m_popup)
    {
        m_popup->Close();
    }
}

void TZIMMonitor::BringToFront()
{
    if (IsWindowVisible(Handle()))
    {
        SetForegroundWindow(Handle());
    }
}

void TZIMMonitor::BeginMonitorMove()
{
    // The window system's own move loop takes the mouse from here; the position
    // rule applies to every step of it.
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | 2, 0);
}

// --- messages ---

void TZIMMonitor::OnButtonDown(MouseButton button, LPARAM lParam)
{
    m_interaction.MouseDown(button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    // A drag or the popup ends with the right release, wherever the pointer is then.
    if (m_interaction.WantsCapture())
    {
        SetCapture(Handle());
    }
}

void TZIMMonitor::OnButtonUp(MouseButton button, LPARAM lParam)
{
    m_interaction.MouseUp(button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (!m_interaction.WantsCapture() && GetCapture() == Handle())
    {
        ReleaseCapture();
    }
}

void TZIMMonitor::OnWindowPosChanging(WINDOWPOS& pos)
{
    if (!IsWindowVisible(Handle()) || (pos.flags & SWP_NOMOVE))
    {
        return;
    }
    // The visible box: the window's region when it has one, else the whole window
    // at the size it is about to take.
    RECT window{};
    GetWindowRect(Handle(), &window);
    Rect visible{0, 0, window.right - window.left, window.bottom - window.top};
    if (!(pos.flags & SWP_NOSIZE))
    {
        visible = {0, 0, pos.cx, pos.cy};
    }
    const UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetWindowRgn(Handle(), static_cast<HRGN>(region.Get())) > NULLREGION)
    {
        RECT box{};
        GetRgnBox(static_cast<HRGN>(region.Get()), &box);
        visible = {box.left, box.top, box.right, box.bottom};
    }
    const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Point p = ConstrainMonitorPosition({pos.x, pos.y}, visible, screen);
    pos.x = p.x;
    pos.y = p.y;
}

LRESULT TZIMMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        // Closing, not hiding: the program's orderly end, timers first. A drag
        // under way stops where it is: every window is gathered next.
        m_interaction.Reset();
        m_model.FormClose();
        m_onClose();
        return 0;
    case WM_DESTROY:
        m_tooltip = nullptr;
        // The monitor is the main window: its end is the program's end.
        PostQuitMessage(0);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
        {
            m_model.FormShow();
        }
        else
        {
            m_model.FormHide();
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
        {
            m_model.FormDeactivate();
        }
        else
        {
            m_model.FormActivate();
        }
        break;
    case WM_SIZE:
        m_model.FormResize();
        return 0;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_NCRBUTTONDOWN:
        // The main menu instead of the system menu.
        if (onPopupMenu)
        {
            onPopupMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        }
        return 0;
    case WM_CONTEXTMENU:
        // The release of a right press on the caption: no system menu after the main menu.
        if (lParam != -1 && SendMessageW(Handle(), WM_NCHITTEST, 0, lParam) != HTCLIENT)
        {
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        RepaintAll();
        break;
    // A quick second click arrives as a double click: it is a press all the same.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(MouseButton::Left, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnButtonDown(MouseButton::Middle, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnButtonDown(MouseButton::Right, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(MouseButton::Left, lParam);
        return 0;
    case WM_MBUTTONUP:
        OnButtonUp(MouseButton::Middle, lParam);
        return 0;
    case WM_RBUTTONUP:
        // Handled here: no context menu follows the release.
        OnButtonUp(MouseButton::Right, lParam);
        return 0;
    case WM_MOUSEMOVE:
        m_interaction.MouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_RBUTTON) != 0);
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle())
        {
            m_interaction.CaptureLost();
        }
        break;
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc, {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
    {
        RECT client;
        GetClientRect(Handle(), &client);
        Paint(reinterpret_cast<HDC>(wParam), {client.left, client.top, client.right, client.bottom});
        return 0;
    }
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

// --- the colour menu ---

void TZIMMonitor::PopupColorMenu(Point screen)
{
    const UniqueMenu menu(CreatePopupMenu());
    if (!menu)
    {
        return;
    }
    UINT id = kFirstColorCommand;
    for (const GridColorCommand command : kGridColorCommands)
    {
        AppendMenuW(static_cast<HMENU>(menu.Get()), MF_STRING, id++, Widen(GridColorCaption(command)).c_str());
    }
    SetForegroundWindow(Handle());
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        static_cast<HMENU>(menu.Get()), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
    if (chosen >= kFirstColorCommand && chosen < kFirstColorCommand + std::size(kGridColorCommands))
    {
        RunColorCommand(kGridColorCommands[chosen - kFirstColorCommand]);
    }
}

void TZIMMonitor::RunColorCommand(GridColorCommand command)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.rgbResult = Resolve(m_model.CurrentColor(command));
    dialog.lpCustColors = custom;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&dialog))
    {
        m_model.ApplyColorCommand(command, ColorFromRgb(dialog.rgbResult));
    }
    else
    {
        m_model.ApplyColorCommand(command, std::nullopt);
    }
}

// --- painting ---

void TZIMMonitor::Paint(HDC dc, const Rect& area)
{
    RECT client;
    GetClientRect(Handle(), &client);
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

void TZIMMonitor::PaintGridArea(HDC dc, const Rect& client)
{
    const RECT all = ToRect(client);
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

HICON TZIMMonitor::SmallIcon(std::size_t index, HWND window)
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

void TZIMMonitor::PaintMiniature(HDC dc, std::size_t index, COLORREF line, COLORREF text)
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
            const RECT textClip = ToRect(layout.clip.Offset(b.left, b.top));
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
