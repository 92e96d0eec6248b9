#include "monitor/win32/skin_editor.h"

#include "app/resource.h"
#include "monitor/position_constraint.h"
#include "platform/win32/fonts.h"
#include "platform/win32/utf.h"
#include "skins/skin_editor_rules.h"
#include "skins/skin_file.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cctype>

namespace zim::win32
{
namespace
{

COLORREF Resolve(ColorValue value)
{
    return ColorToRgb(value, [](int index) -> std::uint32_t { return ::GetSysColor(index); });
}

constexpr const wchar_t* kNameDialogCaption = L"Create new skin from current";

struct ToolHint
{
    int id;
    const wchar_t* hint;
};
constexpr ToolHint kHints[] = {
    {IDC_EDITOR_NEW_SKIN, L"Create new skin from current."},
    {IDC_EDITOR_FONT, L"Set font for selected"},
    {IDC_EDITOR_COLOR, L"Select color for selected"},
    {IDC_EDITOR_TRANSPARENT, L"Click and select transparent color in bitmap"},
    {IDC_EDITOR_SWATCH, L"Current transparent color"},
    {IDC_EDITOR_IMAGE, L"Available images in skins directory"},
};

std::wstring ControlText(HWND control)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) {
                                                  return std::tolower(static_cast<unsigned char>(x)) ==
                                                         std::tolower(static_cast<unsigned char>(y));
                                              });
}

Size WorkAreaSize()
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return {work.right - work.left, work.bottom - work.top};
}

} // namespace

SkinEditor::SkinEditor(TZIMMonitor& monitor, OptionsModel& options, FileSystem& files, SkinEditorEvents events)
    : m_monitor(monitor), m_options(options), m_files(files), m_events(std::move(events)),
      m_session(monitor.Model().EditLayout(), m_handle.Logic())
{
    m_monitor.SetSkinEditor(this);
}

SkinEditor::~SkinEditor()
{
    m_monitor.SetSkinEditor(nullptr);
}

bool SkinEditor::Create()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kNameDialogClass, &wc))
    {
        wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefDlgProcW;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kNameDialogClass;
        if (!RegisterClassExW(&wc))
        {
            return false;
        }
    }
    const HWND monitor = m_monitor.Handle();
    if (!m_handle.Create(monitor))
    {
        return false;
    }
    m_handle.onChanged = [this] { HandleChanged(); };
    // StretchHandle1Moved: the grid shows the part of the bitmap now under it.
    m_handle.Logic().SetOnMoved(
        [this](TStretchHandle& handle)
        {
            if (handle.ChildIndex(kGridAreaControl) >= 0)
            {
                m_monitor.CopyGridBackground();
            }
        });
    m_tools = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SKIN_EDITOR_TOOLS), monitor, ToolsProc,
                                 reinterpret_cast<LPARAM>(this));
    if (!m_tools)
    {
        return false;
    }
    ShowWindow(m_tools, SW_HIDE);
    m_toolTip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_tools, nullptr, instance, nullptr);
    for (const ToolHint& hint : kHints)
    {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_tools;
        tool.uId = reinterpret_cast<UINT_PTR>(Tool(hint.id));
        tool.lpszText = const_cast<wchar_t*>(hint.hint);
        SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_titleFont = CreatePointFont(L"MS Sans Serif", 8, FW_BOLD, DEFAULT_CHARSET);
    return true;
}

std::string SkinEditor::SkinDirectory() const
{
    return m_options.Get().skinDir;
}

Size SkinEditor::BitmapClient() const
{
    return m_monitor.Model().Layout().BitmapClient();
}

// --- opening and closing ---

void SkinEditor::Open()
{
    MonitorModel& model = m_monitor.Model();
    if (m_open || model.Layout().Natural() || !m_tools)
    {
        return;
    }
    m_open = true;
    if (m_events.editingChanged)
    {
        m_events.editingChanged(true);
    }
    if (!model.Shown())
    {
        m_monitor.ShowMonitor();
    }
    // One refresh, then the miniatures hold still while the skin is edited.
    model.UpdateMiniatures();
    MonitorShown();
    m_monitor.Shaper().SetActive(false);
    m_monitor.SetEditorFrame(true, {0, kEditorTitleBarHeight});
    SizeWindow();
    ShowWindow(m_tools, SW_SHOWNA);
    FillImageList();
    m_currentSkinName = m_events.selectedSkin ? m_events.selectedSkin() : std::string();
    CheckDlgButton(m_tools, IDC_EDITOR_FILL, model.Layout().FillMiniWindows() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_tools, IDC_EDITOR_TRANSPARENT, BST_UNCHECKED);
    UpdateSwatch();
    m_session.Open();
    SelectionChanged(false);
    m_monitor.CopyGridBackground();
    m_monitor.LayoutEdited();
    SetForegroundWindow(m_monitor.Handle());
}

void SkinEditor::SizeWindow()
{
    const Size size = EditorWindowSize(BitmapClient());
    RECT r{};
    GetWindowRect(m_monitor.Handle(), &r);
    const Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Point at = ConstrainMonitorPosition({r.left, r.top}, {0, 0, size.width, size.height}, screen);
    SetWindowPos(m_monitor.Handle(), nullptr, at.x, at.y, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    Resized();
}

void SkinEditor::Resized()
{
    RECT client{};
    GetClientRect(m_monitor.Handle(), &client);
    SetWindowPos(m_tools, nullptr, 0, client.bottom - kEditorToolPanelHeight, client.right, kEditorToolPanelHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    m_handle.SetArea(m_monitor.PanelOrigin(), BitmapClient());
    InvalidateRect(m_monitor.Handle(), nullptr, FALSE);
}

void SkinEditor::MonitorShown()
{
    MonitorModel& model = m_monitor.Model();
    model.Timer2().SetEnabled(false);
    model.SetRefreshEnabled(false);
}

void SkinEditor::Close(bool save)
{
    const std::string chosen = m_events.selectedSkin ? m_events.selectedSkin() : std::string();
    if (save)
    {
        if (m_currentSkinName.empty())
        {
            // The chosen skin is gone: the saved one needs a name first.
            SpeedButton19Click();
            if (m_currentSkinName.empty())
            {
                return;
            }
        }
        // A save that cannot write has shown its message; the editor stays open.
        if (!m_events.saveSkin || !m_events.saveSkin(SkinDirectory() + "\\" + m_currentSkinName))
        {
            return;
        }
        if (!SameName(chosen, m_currentSkinName) && m_events.skinSaved)
        {
            m_events.skinSaved(m_currentSkinName);
        }
    }
    EndEditing();
    MonitorModel& model = m_monitor.Model();
    FormShaper& shaper = m_monitor.Shaper();
    // The window fits the bitmap again, with the outline of the swatch's colour after OK.
    const Size size = shaper.ShapeSize();
    SetWindowPos(m_monitor.Handle(), nullptr, 0, 0, size.width, size.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (save)
    {
        shaper.Picture().SetMaskColor(model.Layout().TransparentColor());
    }
    shaper.SetActive(true);
    if (!save && m_events.loadSkin)
    {
        // Every edited value back as the file has it; a skin that is gone says so.
        m_events.loadSkin(SkinDirectory() + "\\" + chosen);
    }
    model.Desktopsize1Click();
    m_monitor.CopyGridBackground();
    m_monitor.LayoutEdited();
}

void SkinEditor::EndEditing()
{
    // A pick still pending ends here, without a colour: every element shows again.
    m_session.Close();
    CheckDlgButton(m_tools, IDC_EDITOR_TRANSPARENT, BST_UNCHECKED);
    m_handle.Sync();
    if (GetCapture() == m_handle.Handle())
    {
        ReleaseCapture();
    }
    ShowWindow(m_tools, SW_HIDE);
    m_monitor.SetEditorFrame(false, {});
    MonitorModel& model = m_monitor.Model();
    model.SetRefreshEnabled(model.Shown());
    model.ArmAutoHide();
    m_open = false;
    if (m_events.editingChanged)
    {
        m_events.editingChanged(false);
    }
}

// --- the monitor's presses and paint ---

void SkinEditor::MouseDown(MouseButton button, Point client)
{
    const Point origin = m_monitor.PanelOrigin();
    if (client.y < origin.y)
    {
        // Panel3MouseDown: the title bar drags the window.
        if (button == MouseButton::Left)
        {
            m_monitor.Interaction().Panel3MouseDown();
        }
        return;
    }
    const Point p{client.x - origin.x, client.y - origin.y};
    MonitorModel& model = m_monitor.Model();
    const MonitorHit hit = model.Layout().HitTest(p, model.ClientSize());
    if (button != MouseButton::Left || hit.part == MonitorPart::None)
    {
        return;
    }
    if (const std::optional<ControlId> element = ElementAt(hit))
    {
        Select(*element, GetKeyState(VK_CONTROL) < 0);
        return;
    }
    BackgroundClick(p);
}

void SkinEditor::Select(ControlId element, bool add)
{
    try
    {
        m_session.Select(element, add);
    }
    catch (const EBadChild& refused)
    {
        MessageBoxW(m_monitor.Handle(), Widen(refused.what()).c_str(), L"Error", MB_OK | MB_ICONERROR);
        return;
    }
    // The press goes on as a drag of the handle.
    SelectionChanged(true);
    if (element == kGridAreaControl)
    {
        m_monitor.CopyGridBackground();
    }
}

void SkinEditor::SelectionChanged(bool grab)
{
    m_handle.Sync();
    const HWND handle = m_handle.Handle();
    if (IsWindowVisible(handle))
    {
        if (grab)
        {
            SetCapture(handle);
        }
        SetFocus(handle);
    }
    else if (GetCapture() == handle)
    {
        ReleaseCapture();
    }
    UpdateToolButtons();
}

void SkinEditor::BackgroundClick(Point panel)
{
    m_session.SelectNone();
    SelectionChanged(false);
    m_monitor.CopyGridBackground();
    if (!m_session.Picking())
    {
        return;
    }
    const HBITMAP picture = m_monitor.Shaper().Picture().Bitmap();
    const Size size = m_monitor.Shaper().Picture().BitmapSize();
    if (!picture || panel.x >= size.width || panel.y >= size.height)
    {
        return; // beside the bitmap: still picking
    }
    COLORREF pixel = CLR_INVALID;
    {
        const WindowDc screen(nullptr);
        const MemoryDc memory(screen.Get());
        if (memory)
        {
            const SelectGuard guard(memory.Get(), picture);
            pixel = GetPixel(memory.Get(), panel.x, panel.y);
        }
    }
    if (pixel == CLR_INVALID)
    {
        return;
    }
    m_session.EndPick(ColorFromRgb(pixel));
    CheckDlgButton(m_tools, IDC_EDITOR_TRANSPARENT, BST_UNCHECKED);
    UpdateSwatch();
    m_monitor.LayoutEdited();
}

void SkinEditor::HandleChanged()
{
    if (m_session.HandleChanged())
    {
        m_monitor.Model().Desktopsize1Click();
        m_monitor.CopyGridBackground();
    }
    m_monitor.LayoutEdited();
}

void SkinEditor::ExcludeToolPanel(HDC dc) const
{
    RECT r{};
    GetWindowRect(m_tools, &r);
    MapWindowPoints(nullptr, m_monitor.Handle(), reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

void SkinEditor::PaintTitle(HDC dc)
{
    RECT client{};
    GetClientRect(m_monitor.Handle(), &client);
    RECT bar{0, 0, client.right, m_monitor.PanelOrigin().y};
    const CaptionColors colors = EditorCaptionColors(m_monitor.Model().Active());
    const UniqueBrush brush(CreateSolidBrush(Resolve(colors.background)));
    FillRect(dc, &bar, brush ? static_cast<HBRUSH>(brush.Get()) : GetSysColorBrush(COLOR_ACTIVECAPTION));
    const int saved = SaveDC(dc);
    if (m_titleFont)
    {
        SelectObject(dc, m_titleFont.Get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Resolve(colors.text));
    const std::wstring caption = Widen(EditorCaption(m_currentSkinName));
    bar.left += 4;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &bar,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    RestoreDC(dc, saved);
}

void SkinEditor::Painted(const RECT& area)
{
    m_handle.ParentPainted(area);
}

void SkinEditor::ActiveChanged()
{
    UpdateCaption();
}

void SkinEditor::UpdateCaption()
{
    RECT client{};
    GetClientRect(m_monitor.Handle(), &client);
    const RECT bar{0, 0, client.right, m_monitor.PanelOrigin().y};
    InvalidateRect(m_monitor.Handle(), &bar, FALSE);
}

void SkinEditor::UpdateToolButtons()
{
    EnableWindow(Tool(IDC_EDITOR_COLOR), m_session.ColorEnabled() ? TRUE : FALSE);
    EnableWindow(Tool(IDC_EDITOR_FONT), m_session.FontEnabled() ? TRUE : FALSE);
}

void SkinEditor::UpdateSwatch()
{
    m_swatchBrush = UniqueBrush(CreateSolidBrush(Resolve(m_session.TransparentColor())));
    InvalidateRect(Tool(IDC_EDITOR_SWATCH), nullptr, TRUE);
}

void SkinEditor::FillImageList()
{
    const HWND images = Tool(IDC_EDITOR_IMAGE);
    SendMessageW(images, CB_RESETCONTENT, 0, 0);
    for (const DirectoryEntry& entry : m_files.ListDirectory(SkinDirectory(), "*.bmp"))
    {
        if (!entry.isDirectory)
        {
            SendMessageW(images, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry.name).c_str()));
        }
    }
    const std::wstring current = Widen(m_monitor.Model().Layout().BackgroundFile());
    LRESULT index =
        SendMessageW(images, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current.c_str()));
    if (index == CB_ERR)
    {
        index = SendMessageW(images, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(current.c_str()));
    }
    SendMessageW(images, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// --- the tool panel ---

INT_PTR CALLBACK SkinEditor::ToolsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;
    }
    auto* self = reinterpret_cast<SkinEditor*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->OnToolsMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SkinEditor::OnToolsMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == Tool(IDC_EDITOR_SWATCH) && m_swatchBrush)
        {
            return reinterpret_cast<INT_PTR>(m_swatchBrush.Get());
        }
        break;
    case WM_COMMAND:
    {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == IDC_EDITOR_IMAGE)
        {
            if (code == CBN_SELCHANGE)
            {
                ComboBox1Change();
            }
            return TRUE;
        }
        if (code != BN_CLICKED)
        {
            break;
        }
        switch (id)
        {
        case IDC_EDITOR_NEW_SKIN:
            SpeedButton19Click();
            return TRUE;
        case IDC_EDITOR_FONT:
            SpeedButton16Click();
            return TRUE;
        case IDC_EDITOR_COLOR:
            SpeedButton15Click();
            return TRUE;
        case IDC_EDITOR_TRANSPARENT:
            SpeedButton17Click();
            return TRUE;
        case IDC_EDITOR_FILL:
            CheckBox1Click();
            return TRUE;
        case IDOK:
            Close(true);
            return TRUE;
        case IDCANCEL:
            Close(false);
            return TRUE;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

void SkinEditor::SpeedButton15Click()
{
    if (m_session.ColorAction() == ColorButtonAction::GridColorMenu)
    {
        // The four grid colours, under the colour button.
        RECT button{};
        GetWindowRect(Tool(IDC_EDITOR_COLOR), &button);
        m_monitor.PopupColorMenu({button.left, button.bottom});
        m_monitor.LayoutEdited();
        return;
    }
    static COLORREF custom[16] = {};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_monitor.Handle();
    dialog.rgbResult = Resolve(m_session.PresetColor());
    dialog.lpCustColors = custom;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&dialog))
    {
        m_session.ApplyColor(ColorFromRgb(dialog.rgbResult));
        m_monitor.LayoutEdited();
    }
}

void SkinEditor::SpeedButton16Click()
{
    const skins::SkinFont preset = m_session.PresetFont();
    LOGFONTW font{};
    {
        const WindowDc screen(nullptr);
        font.lfHeight = -MulDiv(preset.size, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    }
    font.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = Widen(preset.name);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_monitor.Handle();
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&dialog))
    {
        return;
    }
    const int size = std::clamp(dialog.iPointSize / 10, skins::kMinFontSize, skins::kMaxFontSize);
    std::string name = Narrow(font.lfFaceName);
    if (name.size() > skins::kMaxFontNameChars)
    {
        name.resize(skins::kMaxFontNameChars);
    }
    m_session.ApplyFont(name, size);
    m_monitor.LayoutEdited();
}

void SkinEditor::SpeedButton17Click()
{
    if (IsDlgButtonChecked(m_tools, IDC_EDITOR_TRANSPARENT) == BST_CHECKED)
    {
        m_session.BeginPick();
        SelectionChanged(false);
    }
    else
    {
        // Released by hand: the pick is abandoned.
        m_session.EndPick(std::nullopt);
    }
    m_monitor.LayoutEdited();
}

void SkinEditor::SpeedButton19Click()
{
    // The dialog lies above the monitor while it is shown.
    m_monitor.HoldTopmost(true);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NEW_SKIN_NAME),
                                           m_monitor.Handle(), NameProc, reinterpret_cast<LPARAM>(this));
    if (result != IDOK)
    {
        m_monitor.HoldTopmost(false);
        return;
    }
    const std::string directory = SkinDirectory();
    const NewSkinName checked =
        CheckNewSkinName(Narrow(m_lastName), m_currentSkinName,
                         [&](const std::string& file) { return m_files.FileExists(directory + "\\" + file); });
    bool take = false;
    switch (checked.verdict)
    {
    case NewSkinVerdict::Unchanged:
        break;
    case NewSkinVerdict::Refused:
        MessageBoxW(m_monitor.Handle(), Widen(checked.message).c_str(), kNameDialogCaption, MB_OK | MB_ICONWARNING);
        break;
    case NewSkinVerdict::AskFirst:
        // Nothing is written until OK, but OK then replaces that skin.
        take = MessageBoxW(m_monitor.Handle(), Widen(checked.message).c_str(), kNameDialogCaption,
                           MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
        break;
    case NewSkinVerdict::Accepted:
        take = true;
        break;
    }
    m_monitor.HoldTopmost(false);
    if (take)
    {
        m_currentSkinName = checked.fileName;
        UpdateCaption();
    }
}

INT_PTR CALLBACK SkinEditor::NameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
    {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        const auto* self = reinterpret_cast<const SkinEditor*>(lParam);
        SetDlgItemTextW(hwnd, IDC_NEW_SKIN_NAME, self->m_lastName.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
        {
            auto* self = reinterpret_cast<SkinEditor*>(GetWindowLongPtrW(hwnd, DWLP_USER));
            self->m_lastName = ControlText(GetDlgItem(hwnd, IDC_NEW_SKIN_NAME));
            EndDialog(hwnd, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void SkinEditor::ComboBox1Change()
{
    const HWND images = Tool(IDC_EDITOR_IMAGE);
    const std::string name = Narrow(ControlText(images));
    MonitorModel& model = m_monitor.Model();
    if (name.empty() || name == model.Layout().BackgroundFile())
    {
        return;
    }
    if (m_session.Picking())
    {
        m_session.EndPick(std::nullopt);
        CheckDlgButton(m_tools, IDC_EDITOR_TRANSPARENT, BST_UNCHECKED);
    }
    const std::string path = SkinDirectory() + "\\" + name;
    SkinSurface& surface = m_monitor.Skin();
    if (!surface.PrepareBackground(path))
    {
        MessageBoxW(m_monitor.Handle(), Widen("The image " + path + " cannot be loaded.").c_str(), L"Error",
                    MB_OK | MB_ICONERROR);
        FillImageList();
        return;
    }
    const Size work = WorkAreaSize();
    surface.UseBackground(m_monitor.Shaper().Picture().MaskColor(), work);
    // The new bitmap's area: the elements are fitted into it.
    const Size client = SkinClientSize(m_monitor.Shaper().Picture().BitmapSize(), work);
    skins::SkinLayout skin = model.Layout().Skin();
    skin.backgroundFile = name;
    model.ApplyBitmapSkin(skin, client);
    m_monitor.Shaper().SetSizeLimit(client);
    m_monitor.CopyGridBackground();
    SizeWindow();
    m_session.HandleChanged();
    SelectionChanged(false);
    m_monitor.LayoutEdited();
}

void SkinEditor::CheckBox1Click()
{
    m_monitor.Model().EditLayout().SetFillMiniWindows(IsDlgButtonChecked(m_tools, IDC_EDITOR_FILL) == BST_CHECKED);
    m_monitor.LayoutEdited();
}

} // namespace zim::win32
