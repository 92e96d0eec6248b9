#include "app/options_dialog.h"

#include "app/resource.h"
#include "platform/win32/utf.h"
#include "settings/wallpaper_list.h"
#include "settings/window_lists.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace zim::win32
{
namespace
{

struct PageInfo
{
    int resource;
    const wchar_t* caption;
};

// In tab order. "Shortcut keys " ends with a blank, as it always has.
constexpr std::array<PageInfo, TOptionsDlg::kPageCount> kPages = {{
    {IDD_PAGE_GENERAL, L"General options"},
    {IDD_PAGE_STICKY, L"Sticky windows"},
    {IDD_PAGE_STICKY_CLASSES, L"Sticky windowclasses"},
    {IDD_PAGE_COMPATIBILITY, L"Compatibility mode"},
    {IDD_PAGE_HOTKEYS, L"Shortcut keys "},
    {IDD_PAGE_WALLPAPERS, L"Wallpapers"},
    {IDD_PAGE_ABOUT, L"About"},
}};

// The check boxes that stand for one flag each.
struct FlagControl
{
    int id;
    bool Options::*flag;
    Option option;
};

constexpr FlagControl kFlags[] = {
    {IDC_MOUSE_SCROLL, &Options::mouseScroll, Option::MouseScroll},
    {IDC_WRAP_CURSOR, &Options::wrapCursor, Option::WrapCursor},
    {IDC_AUTO_HIDE, &Options::autoHide, Option::AutoHide},
    {IDC_TASK_SWITCH, &Options::taskSwitch, Option::TaskSwitch},
    {IDC_ALWAYS_ON_TOP, &Options::alwaysOnTop, Option::AlwaysOnTop},
    {IDC_SHOW_NAMES, &Options::showWndNames, Option::ShowWndNames},
    {IDC_SHOW_ICONS, &Options::showWndIcons, Option::ShowWndIcons},
    {IDC_HIDE_ALL, &Options::hideAllWC, Option::HideAllWC},
    {IDC_CLOSE_WHEN_SELECTED, &Options::closeWhenSelected, Option::CloseWhenSelected},
    {IDC_SYS_MENU, &Options::sysMenuEnabled, Option::SysMenuEnabled},
    {IDC_HOTKEYS_ENABLED, &Options::hotKeys, Option::HotKeys},
    {IDC_HOT_SHIFT, &Options::hotShift, Option::HotShift},
    {IDC_HOT_CONTROL, &Options::hotControl, Option::HotControl},
    {IDC_HOT_ALT, &Options::hotAlt, Option::HotAlt},
    {IDC_HOT_WIN, &Options::hotWin, Option::HotWin},
    {IDC_MOUSE_SHIFT, &Options::mouseShift, Option::MouseShift},
    {IDC_MOUSE_CONTROL, &Options::mouseControl, Option::MouseControl},
    {IDC_MOUSE_ALT, &Options::mouseAlt, Option::MouseAlt},
    {IDC_WALLPAPERS_ENABLED, &Options::wallpapersEnabled, Option::WallpapersEnabled},
    {IDC_WALLPAPERS_PROFILE, &Options::wallpaperUpdateProfile, Option::WallpaperUpdateProfile},
};

struct CheckListControl
{
    int id;
    CheckList Options::*list;
    Option option;
};

constexpr CheckListControl kCheckLists[] = {
    {IDC_STICKY_WINDOWS, &Options::stickyWindows, Option::StickyWindows},
    {IDC_STICKY_CLASSES, &Options::stickyClasses, Option::StickyClasses},
    {IDC_COMPATIBILITY_CLASSES, &Options::compatibilityClasses, Option::CompatibilityClasses},
};

constexpr const wchar_t* kNotice =
    L"Zim Desk gives you a grid of virtual desktops on one screen: switch with the monitor, the tray arrows, "
    L"the screen edges or your own shortcut keys.\r\n\r\n"
    L"This program is provided as is, without warranty of any kind.";

constexpr const wchar_t* kGridSizeTip =
    L"Columns and rows of desktops, 1 to 10. Window positions reach 32767 pixels: where a large grid on a wide "
    L"screen puts desktops farther away, their windows wait hidden until their desktop is shown, and come back "
    L"exactly where they were.";

// What a hotkey that could not be registered shows beside its field.
const wchar_t* StatusText(HotKeyStatus status)
{
    switch (status)
    {
    case HotKeyStatus::Failed:
        return L"In use";
    case HotKeyStatus::NotTried:
        return L"Not active";
    default:
        return L"";
    }
}

// The field names a key by its scan code: the navigation keys need the extended
// flag, or an arrow shows as its number-pad twin. The stored code never holds it.
unsigned ControlValueForDisplay(int code)
{
    unsigned value = HotKeyControlValue(code);
    switch (value & 0xFF)
    {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_NUMLOCK:
        value |= HOTKEYF_EXT << 8;
        break;
    default:
        break;
    }
    return value;
}

std::wstring ItemText(HWND item)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

int SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
    {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

void SetResult(HWND dialog, LRESULT result)
{
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
}

} // namespace

TOptionsDlg::TOptionsDlg(const OptionsDialogParts& parts, OptionsDialogEvents events)
    : m_windows(parts.windows), m_files(parts.files), m_options(parts.options), m_engine(parts.engine),
      m_hideMode(parts.hideMode), m_commands(parts.commands), m_events(std::move(events))
{
}

TOptionsDlg::~TOptionsDlg()
{
    if (m_subscription != 0)
    {
        m_options.Unsubscribe(m_subscription);
    }
    Destroy();
}

bool TOptionsDlg::Create(HWND owner)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The frame's template names this class, which the engine knows as one of
    // the program's own; the dialog manager does the rest.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kClassName, &wc))
    {
        wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefDlgProcW;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ZIMDESK));
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc))
        {
            return false;
        }
    }
    m_stickyMenu.Reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_STICKY_MENU)));
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, FrameProc, reinterpret_cast<LPARAM>(this)))
    {
        return false;
    }
    m_hotKeys.SetWindow(m_hwnd);
    m_subscription = m_options.Subscribe(OptionSet::All(), [this](const Options& options, const OptionSet& changed)
                                         { OnOptionsChanged(options, changed); });
    return true;
}

void TOptionsDlg::Destroy()
{
    if (m_hwnd)
    {
        const HWND hwnd = m_hwnd;
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

INT_PTR CALLBACK TOptionsDlg::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        auto* self = reinterpret_cast<TOptionsDlg*>(lParam);
        self->m_hwnd = hwnd;
        self->InitFrame();
        return FALSE; // hidden: no focus to set
    }
    auto* self = reinterpret_cast<TOptionsDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self || self->m_hwnd != hwnd)
    {
        return FALSE;
    }
    return self->OnFrameMessage(message, wParam, lParam);
}

INT_PTR CALLBACK TOptionsDlg::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;
    }
    auto* self = reinterpret_cast<TOptionsDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->OnPageMessage(hwnd, message, wParam, lParam) : FALSE;
}

INT_PTR TOptionsDlg::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            // "Close", and Escape like it: apply the hotkeys and hide, no save.
            OKBtnClick();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        FormClose();
        return TRUE;
    case WM_NOTIFY:
    {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == m_tabs && header.code == TCN_SELCHANGE)
        {
            SelectPage(TabCtrl_GetCurSel(m_tabs));
            return TRUE;
        }
        return FALSE;
    }
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return TRUE;
    case WM_HOTKEY:
        DispatchHotKey(static_cast<int>(wParam), m_engine, m_inputTimer, m_commands);
        SetResult(m_hwnd, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR TOptionsDlg::OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        SetResult(page, OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
        return TRUE;
    case WM_HSCROLL:
    {
        const HWND bar = reinterpret_cast<HWND>(lParam);
        const int position = static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0));
        if (bar == Item(IDC_MOUSE_DELAY))
        {
            Change([&](Options& o) { o.mouseDelay = position; });
        }
        else if (bar == Item(IDC_AUTO_HIDE_DELAY))
        {
            // TrackBar2Change: the monitor's auto-hide timer follows through the model.
            Change([&](Options& o) { o.autoHideDelay = position; });
        }
        return TRUE;
    }
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return TRUE;
    case WM_CTLCOLORSTATIC:
    {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id >= IDC_LINK_1 && id <= IDC_LINK_3)
        {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_ACTIVECAPTION));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    }
    case WM_SETCURSOR:
    {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
        if (id >= IDC_LINK_1 && id <= IDC_LINK_3)
        {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetResult(page, TRUE);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

void TOptionsDlg::InitFrame()
{
    m_tabs = GetDlgItem(m_hwnd, IDC_PAGES);
    for (std::size_t i = 0; i < kPages.size(); ++i)
    {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kPages[i].caption);
        TabCtrl_InsertItem(m_tabs, static_cast<int>(i), &item);
    }
    InitPages();
    LayOut();
    SelectPage(kGeneral);
}

void TOptionsDlg::InitPages()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < kPages.size(); ++i)
    {
        m_pages[i] = CreateDialogParamW(instance, MAKEINTRESOURCEW(kPages[i].resource), m_hwnd, PageProc,
                                        reinterpret_cast<LPARAM>(this));
    }

    SendMessageW(Item(IDC_SIZEX_SPIN), UDM_SETRANGE32, 1, 10);
    SendMessageW(Item(IDC_SIZEY_SPIN), UDM_SETRANGE32, 1, 10);
    const HWND mouseDelay = Item(IDC_MOUSE_DELAY);
    SendMessageW(mouseDelay, TBM_SETRANGEMIN, FALSE, Options::kMinMouseDelay);
    SendMessageW(mouseDelay, TBM_SETRANGEMAX, TRUE, Options::kMaxMouseDelay);
    SendMessageW(mouseDelay, TBM_SETTICFREQ, 200, 0);
    SendMessageW(mouseDelay, TBM_SETPAGESIZE, 0, 200);
    const HWND autoHideDelay = Item(IDC_AUTO_HIDE_DELAY);
    SendMessageW(autoHideDelay, TBM_SETRANGEMIN, FALSE, Options::kMinAutoHideDelay);
    SendMessageW(autoHideDelay, TBM_SETRANGEMAX, TRUE, Options::kMaxAutoHideDelay);
    SendMessageW(autoHideDelay, TBM_SETTICFREQ, 500, 0);
    SendMessageW(autoHideDelay, TBM_SETPAGESIZE, 0, 500);
    // Until a bitmap skin is applied there is nothing to edit.
    EnableWindow(Item(IDC_EDIT_SKIN), FALSE);

    for (const CheckListControl& control : kCheckLists)
    {
        const HWND list = Item(control.id);
        ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        RECT client{};
        GetClientRect(list, &client);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
        ListView_InsertColumn(list, 0, &column);
    }
    const HWND wallpapers = Item(IDC_WALLPAPER_LIST);
    ListView_SetExtendedListViewStyle(wallpapers, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(wallpapers, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = client.right / 5;
    column.pszText = const_cast<wchar_t*>(L"Tile:");
    ListView_InsertColumn(wallpapers, 0, &column);
    column.cx = client.right - client.right / 5 - GetSystemMetrics(SM_CXVSCROLL);
    column.pszText = const_cast<wchar_t*>(L"Filename:");
    ListView_InsertColumn(wallpapers, 1, &column);

    for (int i = 0; i < kHotKeyCount; ++i)
    {
        // Any modifier combination but all three together is taken as the bare key.
        SendMessageW(Item(IDC_HOTKEY_1 + i), HKM_SETRULES, 0x7F, 0);
    }

    // What a large grid does on a wide screen, where the user sets its size.
    m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, instance, nullptr);
    if (m_toolTips)
    {
        SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, 300);
        for (const int id : {IDC_SIZEX, IDC_SIZEY, IDC_SIZEX_SPIN, IDC_SIZEY_SPIN})
        {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = m_pages[kGeneral];
            tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
            tool.lpszText = const_cast<wchar_t*>(kGridSizeTip);
            SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }

    const int dpi = SystemDpi();
    m_titleFont.Reset(CreateFontW(-MulDiv(10, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                  L"MS Shell Dlg"));
    SendMessageW(Item(IDC_ABOUT_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
    LOGFONTW link{};
    const auto pageFont = reinterpret_cast<HFONT>(SendMessageW(m_pages[kAbout], WM_GETFONT, 0, 0));
    if (pageFont && GetObjectW(pageFont, sizeof(link), &link))
    {
        link.lfUnderline = TRUE;
        m_linkFont.Reset(CreateFontIndirectW(&link));
        for (int id = IDC_LINK_1; id <= IDC_LINK_3; ++id)
        {
            SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), FALSE);
        }
    }
    SetWindowTextW(Item(IDC_NOTICE), kNotice);
}

void TOptionsDlg::LayOut()
{
    const int dpi = SystemDpi();
    const int width = MulDiv(kClientWidth, dpi, 96);
    const int height = MulDiv(kClientHeight, dpi, 96);
    const int margin = MulDiv(6, dpi, 96);

    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - outerWidth) / 2,
                 work.top + (work.bottom - work.top - outerHeight) / 2, outerWidth, outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // The bottom strip with "Close" at the right.
    const HWND close = GetDlgItem(m_hwnd, IDOK);
    RECT button{};
    GetWindowRect(close, &button);
    const int buttonWidth = button.right - button.left;
    const int buttonHeight = button.bottom - button.top;
    const int buttonTop = height - margin - buttonHeight;
    SetWindowPos(close, nullptr, width - margin - buttonWidth, buttonTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(m_tabs, nullptr, margin, margin, width - 2 * margin, buttonTop - 2 * margin,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // Measured again at the final width and in the dialog's font, so that the
    // rows of tabs break where their captions need.
    SendMessageW(m_tabs, WM_SETFONT, SendMessageW(m_hwnd, WM_GETFONT, 0, 0), TRUE);
    RECT display{0, 0, width - 2 * margin, buttonTop - 2 * margin};
    TabCtrl_AdjustRect(m_tabs, FALSE, &display);
    OffsetRect(&display, margin, margin);
    for (const HWND page : m_pages)
    {
        SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOACTIVATE);
    }
}

HWND TOptionsDlg::Item(int id) const
{
    for (const HWND page : m_pages)
    {
        if (const HWND item = page ? GetDlgItem(page, id) : nullptr)
        {
            return item;
        }
    }
    return nullptr;
}

void TOptionsDlg::SelectPage(int page)
{
    if (page < 0 || page >= kPageCount)
    {
        return;
    }
    m_page = page;
    TabCtrl_SetCurSel(m_tabs, page);
    // The new page first, so that some page always shows.
    ShowWindow(m_pages[static_cast<std::size_t>(page)], SW_SHOW);
    for (int i = 0; i < kPageCount; ++i)
    {
        if (i != page)
        {
            ShowWindow(m_pages[static_cast<std::size_t>(i)], SW_HIDE);
        }
    }
}

void TOptionsDlg::Change(const std::function<void(Options&)>& change)
{
    const bool was = m_updating;
    m_updating = true;
    m_options.Update(change);
    m_updating = was;
}

void TOptionsDlg::OnOptionsChanged(const Options& options, const OptionSet& changed)
{
    // A change made by the dialog's own controls is on screen already.
    if (!m_updating && m_hwnd)
    {
        ShowValues(options, changed);
    }
}

void TOptionsDlg::SettingsLoaded()
{
    const Options& options = m_options.Get();
    ShowValues(options, OptionSet::All());
    if (options.hotKeys)
    {
        Button3Click();
    }
    else
    {
        EnableHotKeyControls(false);
    }
}

void TOptionsDlg::ShowValues(const Options& options, const OptionSet& fields)
{
    const bool was = m_updating;
    m_updating = true;
    for (const FlagControl& control : kFlags)
    {
        if (fields.Has(control.option))
        {
            CheckDlgButton(GetParent(Item(control.id)), control.id,
                           options.*control.flag ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    if (fields.Has(Option::SizeXText))
    {
        SetWindowTextW(Item(IDC_SIZEX), Widen(options.sizeXText).c_str());
    }
    if (fields.Has(Option::SizeYText))
    {
        SetWindowTextW(Item(IDC_SIZEY), Widen(options.sizeYText).c_str());
    }
    if (fields.Has(Option::MouseDelay))
    {
        SendMessageW(Item(IDC_MOUSE_DELAY), TBM_SETPOS, TRUE, options.mouseDelay);
    }
    if (fields.Has(Option::AutoHideDelay))
    {
        SendMessageW(Item(IDC_AUTO_HIDE_DELAY), TBM_SETPOS, TRUE, options.autoHideDelay);
    }
    if (fields.Has(Option::SoundFile))
    {
        const std::wstring text = Widen(options.soundFile);
        if (ItemText(Item(IDC_SOUND_FILE)) != text)
        {
            SetWindowTextW(Item(IDC_SOUND_FILE), text.c_str());
        }
    }
    if (fields.Has(Option::SkinDir))
    {
        SetWindowTextW(Item(IDC_SKIN_DIR), Widen(options.skinDir).c_str());
    }
    if (fields.Has(Option::Skin))
    {
        // At load the list holds this one name; it is filled when the dialog shows.
        const HWND skins = Item(IDC_SKIN);
        const std::wstring name = Widen(options.skin);
        LRESULT index =
            SendMessageW(skins, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
        if (index == CB_ERR && !name.empty())
        {
            index = SendMessageW(skins, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        SendMessageW(skins, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
    }
    if (fields.Has(Option::HotKeyCodes))
    {
        for (int i = 0; i < kHotKeyCount; ++i)
        {
            SendMessageW(Item(IDC_HOTKEY_1 + i), HKM_SETHOTKEY,
                         ControlValueForDisplay(options.hotKeyCodes[static_cast<std::size_t>(i)]), 0);
        }
    }
    for (const CheckListControl& control : kCheckLists)
    {
        if (fields.Has(control.option))
        {
            FillCheckList(Item(control.id), options.*control.list);
        }
    }
    if (fields.Has(Option::Wallpapers))
    {
        FillWallpapers(options);
    }
    m_updating = was;
}

void TOptionsDlg::FillCheckList(HWND list, const CheckList& entries)
{
    const bool was = m_updating;
    m_updating = true;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    // The model keeps the lists sorted; the view shows them in the model's order,
    // so an item's index is its entry's.
    int index = 0;
    for (const CheckListEntry& entry : entries.Entries())
    {
        const std::wstring text = Widen(entry.text);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        ListView_InsertItem(list, &item);
        ListView_SetCheckState(list, index, entry.checked ? TRUE : FALSE);
        ++index;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    m_updating = was;
}

void TOptionsDlg::FillWallpapers(const Options& options)
{
    const HWND list = Item(IDC_WALLPAPER_LIST);
    const bool was = m_updating;
    m_updating = true;
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const WallpaperEntry& entry : options.wallpapers)
    {
        const std::wstring text = Widen(entry.fileName);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(L"");
        ListView_InsertItem(list, &item);
        ListView_SetItemText(list, index, 1, const_cast<wchar_t*>(text.c_str()));
        ListView_SetCheckState(list, index, entry.tile ? TRUE : FALSE);
        ++index;
    }
    m_updating = was;
}

void TOptionsDlg::FillSkinList()
{
    const Options& options = m_options.Get();
    const HWND skins = Item(IDC_SKIN);
    const std::string remembered = options.skin;
    SendMessageW(skins, CB_RESETCONTENT, 0, 0);
    for (const DirectoryEntry& entry : m_files.ListDirectory(options.skinDir, "*.zim"))
    {
        SendMessageW(skins, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry.name).c_str()));
    }
    const std::wstring name = Widen(remembered);
    const LRESULT index =
        SendMessageW(skins, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(skins, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
    // A skin that is gone leaves nothing selected, and nothing is what gets saved.
    const std::string selected = index == CB_ERR ? std::string() : Narrow(ItemText(skins));
    Change([&](Options& o) { o.skin = selected; });
}

void TOptionsDlg::ShowHotKeyStatus(const HotKeyStatuses& statuses)
{
    for (int i = 0; i < kHotKeyCount; ++i)
    {
        SetWindowTextW(Item(IDC_HOTKEY_STATUS_1 + i), StatusText(statuses[static_cast<std::size_t>(i)]));
    }
}

void TOptionsDlg::EnableHotKeyControls(bool enabled)
{
    for (const int id : {IDC_MODIFIERS, IDC_HOT_SHIFT, IDC_HOT_CONTROL, IDC_HOT_ALT, IDC_HOT_WIN, IDC_APPLY})
    {
        EnableWindow(Item(id), enabled);
    }
    for (int i = 0; i < kHotKeyCount; ++i)
    {
        EnableWindow(Item(IDC_HOTKEY_1 + i), enabled);
        EnableWindow(Item(IDC_HOTKEY_LABEL_1 + i), enabled);
    }
}

void TOptionsDlg::OnCommand(int id, int code)
{
    for (const FlagControl& control : kFlags)
    {
        if (control.id == id && code == BN_CLICKED)
        {
            OnCheckBox(id, IsDlgButtonChecked(GetParent(Item(id)), id) == BST_CHECKED);
            return;
        }
    }
    if (id >= IDC_HOTKEY_1 && id < IDC_HOTKEY_1 + kHotKeyCount && code == EN_CHANGE && !m_updating)
    {
        // Takes effect at the next Apply, Close or hiding of the dialog.
        const auto slot = static_cast<std::size_t>(id - IDC_HOTKEY_1);
        const int value = HotKeyCodeFromControl(static_cast<unsigned>(SendMessageW(Item(id), HKM_GETHOTKEY, 0, 0)));
        Change([&](Options& o) { o.hotKeyCodes[slot] = value; });
        return;
    }
    switch (id)
    {
    case IDC_APPLY:
        if (code == BN_CLICKED)
        {
            Button3Click();
        }
        break;
    case IDC_SOUND_FILE:
        if (code == EN_CHANGE && !m_updating)
        {
            // Edit2Change: the switch plays the new file from now on.
            const std::string text = Narrow(ItemText(Item(IDC_SOUND_FILE)));
            Change([&](Options& o) { o.soundFile = text; });
        }
        break;
    case IDC_SELECT_SOUND:
        if (code == BN_CLICKED)
        {
            Button1Click();
        }
        break;
    case IDC_SKIN:
        if (code == CBN_SELCHANGE)
        {
            ComboBox1Change();
        }
        break;
    case IDC_EDIT_SKIN:
        // Button2Click
        if (code == BN_CLICKED && m_editSkinAvailable && !m_skinEditing && m_events.editSkin)
        {
            m_events.editSkin();
        }
        break;
    case IDC_LINK_1:
    case IDC_LINK_2:
    case IDC_LINK_3:
        if (code == STN_CLICKED)
        {
            OpenLink(id);
        }
        break;
    case IDM_BRING_APP:
        BringAppToCurrentDesktop1Click();
        break;
    case IDC_WALLPAPER_ADD:
        if (code == BN_CLICKED)
        {
            AddWallpaperBtnClick();
        }
        break;
    case IDC_WALLPAPER_DELETE:
    case IDC_WALLPAPER_UP:
    case IDC_WALLPAPER_DOWN:
        if (code == BN_CLICKED)
        {
            EditWallpaperList(id);
        }
        break;
    default:
        break;
    }
}

void TOptionsDlg::OnCheckBox(int id, bool checked)
{
    for (const FlagControl& control : kFlags)
    {
        if (control.id == id)
        {
            Change([&](Options& o) { o.*control.flag = checked; });
        }
    }
    // What the model's listeners do not do themselves.
    if (id == IDC_HOTKEYS_ENABLED)
    {
        CheckBox5Click(checked);
    }
    else if (id == IDC_HIDE_ALL)
    {
        HideAllWCClick(checked);
    }
}

LRESULT TOptionsDlg::OnNotify(const NMHDR& header)
{
    const int id = static_cast<int>(header.idFrom);
    if (header.code == UDN_DELTAPOS && (id == IDC_SIZEX_SPIN || id == IDC_SIZEY_SPIN))
    {
        OnSpin(id == IDC_SIZEX_SPIN, reinterpret_cast<const NMUPDOWN&>(header).iDelta);
        return TRUE; // the field's text is the value; the arrows keep no position of their own
    }
    if (header.code == LVN_ITEMCHANGED && !m_updating)
    {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const UINT oldImage = (change.uOldState & LVIS_STATEIMAGEMASK) >> 12;
        const UINT newImage = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
        if (!(change.uChanged & LVIF_STATE) || change.iItem < 0 || oldImage == 0 || oldImage == newImage)
        {
            return 0;
        }
        const bool checked = newImage == 2;
        const auto index = static_cast<std::size_t>(change.iItem);
        for (const CheckListControl& control : kCheckLists)
        {
            if (control.id == id && index < (m_options.Get().*control.list).Size())
            {
                // The check marks are what every switch consults: they act at once.
                Change([&](Options& o) { (o.*control.list).SetChecked(index, checked); });
                if (id == IDC_COMPATIBILITY_CLASSES)
                {
                    HiddenWCListClickCheck(index, checked);
                }
            }
        }
        if (id == IDC_WALLPAPER_LIST && index < m_options.Get().wallpapers.size())
        {
            Change([&](Options& o) { o.wallpapers[index].tile = checked; });
        }
        return 0;
    }
    if (header.code == NM_RCLICK && (id == IDC_STICKY_WINDOWS || id == IDC_STICKY_CLASSES))
    {
        // StickyWListMouseDown: a right press chooses the item under the pointer
        // for the menu; below the last item it clears the choice.
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        const int item = ListView_HitTest(header.hwndFrom, &hit);
        ListView_SetItemState(header.hwndFrom, -1, 0, LVIS_SELECTED);
        if (item >= 0)
        {
            ListView_SetItemState(header.hwndFrom, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return 0;
    }
    return 0;
}

void TOptionsDlg::OnSpin(bool columns, int delta)
{
    const Options& options = m_options.Get();
    const int current = columns ? options.sizeX : options.sizeY;
    // An unreadable stored text counts as just outside the range, so the first
    // arrow press gives 1 or 10.
    const int base = current >= 1 && current <= 10 ? current : (delta > 0 ? 0 : 11);
    const int next = std::clamp(base + delta, 1, 10);
    const std::string text = std::to_string(next);
    if (text == (columns ? options.sizeXText : options.sizeYText))
    {
        return;
    }
    SetWindowTextW(Item(columns ? IDC_SIZEX : IDC_SIZEY), Widen(text).c_str());
    // SizeYChange: the monitor lays its grid out again through the model.
    Change([&](Options& o) { SetGridSizeText(o, columns, text); });
}

void TOptionsDlg::OnContextMenu(HWND from, POINT screen)
{
    const HWND sticky = Item(IDC_STICKY_WINDOWS);
    if (screen.x == -1 && screen.y == -1)
    {
        // From the keyboard: at the control's corner.
        RECT r{};
        GetWindowRect(from ? from : m_hwnd, &r);
        screen = {r.left, r.top};
    }
    if (from == sticky)
    {
        if (m_stickyMenu)
        {
            TrackPopupMenuEx(GetSubMenu(m_stickyMenu.Get(), 0), TPM_RIGHTBUTTON, screen.x, screen.y, m_pages[kSticky],
                             nullptr);
        }
        return;
    }
    m_commands.PopupMainMenu({screen.x, screen.y});
}

bool TOptionsDlg::PreTranslateMessage(MSG& msg)
{
    if (!m_hwnd || !IsWindowVisible(m_hwnd) || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd)))
    {
        return false;
    }
    if (msg.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) != 0)
    {
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        int step = 0;
        if (msg.wParam == VK_TAB)
        {
            step = back ? -1 : 1;
        }
        else if (msg.wParam == VK_NEXT)
        {
            step = 1;
        }
        else if (msg.wParam == VK_PRIOR)
        {
            step = -1;
        }
        if (step != 0)
        {
            SelectPage((m_page + step + kPageCount) % kPageCount);
            SetFocus(m_tabs);
            return true;
        }
    }
    return IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

void TOptionsDlg::Show(OptionsPage page)
{
    switch (page)
    {
    case OptionsPage::GeneralOptions:
        SelectPage(kGeneral);
        break;
    case OptionsPage::StickyWindows:
        SelectPage(kSticky);
        break;
    case OptionsPage::About:
        SelectPage(kAbout);
        break;
    }
    ShowLastPage();
}

void TOptionsDlg::ShowLastPage()
{
    if (!m_hwnd)
    {
        return;
    }
    if (!IsWindowVisible(m_hwnd))
    {
        FormShow();
        ShowWindow(m_hwnd, SW_SHOW);
    }
    SetForegroundWindow(m_hwnd);
}

bool TOptionsDlg::Visible() const
{
    return m_hwnd && IsWindowVisible(m_hwnd);
}

void TOptionsDlg::Hide()
{
    if (Visible())
    {
        ShowWindow(m_hwnd, SW_HIDE);
        FormHide();
    }
}

void TOptionsDlg::FormShow()
{
    Change([&](Options& o) { RefreshWindowLists(m_windows, o); });
    const Options& options = m_options.Get();
    for (const CheckListControl& control : kCheckLists)
    {
        FillCheckList(Item(control.id), options.*control.list);
    }
    FillSkinList();
}

void TOptionsDlg::FormHide()
{
    if (m_options.Get().hotKeys)
    {
        Button3Click();
    }
    Change([](Options& o) { PruneStickyLists(o); });
    const Options& options = m_options.Get();
    FillCheckList(Item(IDC_STICKY_WINDOWS), options.stickyWindows);
    FillCheckList(Item(IDC_STICKY_CLASSES), options.stickyClasses);
    SetProcessWorkingSetSize(GetCurrentProcess(), 255, 65535);
}

void TOptionsDlg::OKBtnClick()
{
    Button3Click();
    Hide();
}

void TOptionsDlg::FormClose()
{
    if (m_events.saveDialogGroup)
    {
        m_events.saveDialogGroup();
    }
    Hide();
}

void TOptionsDlg::Button3Click()
{
    const HotKeyStatuses statuses = RegisterHotKeys(m_hotKeys, m_options.Get());
    // Off means the registrations were left as they were.
    if (m_options.Get().hotKeys)
    {
        ShowHotKeyStatus(statuses);
    }
}

void TOptionsDlg::CheckBox5Click(bool checked)
{
    if (!checked)
    {
        UnregisterHotKeys(m_hotKeys);
        ShowHotKeyStatus({});
    }
    EnableHotKeyControls(checked);
}

void TOptionsDlg::Button1Click()
{
    std::wstring file = ItemText(Item(IDC_SOUND_FILE));
    file.resize(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hwnd;
    dialog.lpstrFilter = L"*.WAV\0*.WAV\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = L"Change sound";
    dialog.lpstrDefExt = L"WAV";
    dialog.Flags =
        OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON;
    if (GetOpenFileNameW(&dialog))
    {
        // The field's change handler takes it into the options.
        SetWindowTextW(Item(IDC_SOUND_FILE), file.c_str());
    }
}

void TOptionsDlg::ComboBox1Change()
{
    const HWND skins = Item(IDC_SKIN);
    const LRESULT index = SendMessageW(skins, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
    {
        return;
    }
    std::wstring name(static_cast<std::size_t>(SendMessageW(skins, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    name.resize(
        static_cast<std::size_t>(SendMessageW(skins, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.data()))));
    const std::string selected = Narrow(name);
    if (m_events.skinEditing && m_events.skinEditing())
    {
        // The editor's Cancel reloads the chosen skin: it must stay the one being edited.
        FillSkinList();
        return;
    }
    Change([&](Options& o) { o.skin = selected; });
    if (m_events.loadSkin && m_events.loadSkin(m_options.Get().skinDir + "\\" + selected) && m_events.monitorShown &&
        !m_events.monitorShown())
    {
        m_commands.ShowMonitor();
    }
}

void TOptionsDlg::SetEditSkinAvailable(bool available)
{
    m_editSkinAvailable = available;
    EnableWindow(Item(IDC_EDIT_SKIN), m_editSkinAvailable && !m_skinEditing ? TRUE : FALSE);
}

void TOptionsDlg::SetSkinEditing(bool editing)
{
    m_skinEditing = editing;
    EnableWindow(Item(IDC_SKIN), editing ? FALSE : TRUE);
    SetEditSkinAvailable(m_editSkinAvailable);
}

void TOptionsDlg::SkinSaved(const std::string& name)
{
    const HWND skins = Item(IDC_SKIN);
    const std::wstring wide = Widen(name);
    LRESULT index =
        SendMessageW(skins, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
    if (index == CB_ERR)
    {
        index = SendMessageW(skins, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageW(skins, CB_SETCURSEL, index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
    Change([&](Options& o) { o.skin = name; });
}

void TOptionsDlg::BringAppToCurrentDesktop1Click()
{
    const int selected = ListView_GetNextItem(Item(IDC_STICKY_WINDOWS), -1, LVNI_SELECTED);
    const CheckList& list = m_options.Get().stickyWindows;
    if (selected < 0 || static_cast<std::size_t>(selected) >= list.Size())
    {
        return;
    }
    // A hung or missing window is left alone, silently.
    BringAppToCurrentDesktop(m_windows, list.Entries()[static_cast<std::size_t>(selected)].text);
}

void TOptionsDlg::HiddenWCListClickCheck(std::size_t index, bool checked)
{
    if (!checked && index < m_options.Get().compatibilityClasses.Size())
    {
        m_hideMode.ShowClass(m_options.Get().compatibilityClasses.Entries()[index].text);
    }
}

void TOptionsDlg::HideAllWCClick(bool checked)
{
    if (!checked)
    {
        m_hideMode.ReleaseAll(
            [this](WindowHandle w, Point place)
            {
                if (m_events.moveToMiniature)
                {
                    m_events.moveToMiniature(w, place);
                }
            });
    }
}

void TOptionsDlg::AddWallpaperBtnClick()
{
    // Several files: the folder, then each name, all NUL-separated.
    std::wstring buffer(65536, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hwnd;
    dialog.lpstrFilter = L"Bitmaps (*.bmp)\0*.bmp\0";
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog))
    {
        return;
    }
    std::vector<std::string> files;
    const std::wstring first(buffer.c_str());
    const wchar_t* next = buffer.c_str() + first.size() + 1;
    if (*next == L'\0')
    {
        files.push_back(Narrow(first)); // one file: its full path
    }
    for (; *next != L'\0'; next += std::wcslen(next) + 1)
    {
        std::wstring path = first;
        if (!path.empty() && path.back() != L'\\')
        {
            path += L'\\';
        }
        files.push_back(Narrow(path + next));
    }
    std::vector<std::string> refused;
    Change([&](Options& o) { refused = AddWallpapers(o, files); });
    FillWallpapers(m_options.Get());
    // Said on the page, not in a box: the others were added all the same.
    std::wstring note;
    if (!refused.empty())
    {
        note = L"Not added, path longer than 255 characters: " + Widen(refused.front());
        if (refused.size() > 1)
        {
            note = L"Not added, " + std::to_wstring(refused.size()) + L" paths longer than 255 characters";
        }
    }
    SetWindowTextW(Item(IDC_WALLPAPER_NOTE), note.c_str());
}

void TOptionsDlg::EditWallpaperList(int id)
{
    const HWND list = Item(IDC_WALLPAPER_LIST);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    int after = selected;
    Change(
        [&](Options& o)
        {
            after = id == IDC_WALLPAPER_DELETE ? DeleteWallpaper(o, selected)
                    : id == IDC_WALLPAPER_UP   ? MoveWallpaperUp(o, selected)
                                               : MoveWallpaperDown(o, selected);
        });
    FillWallpapers(m_options.Get());
    if (after >= 0)
    {
        ListView_SetItemState(list, after, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, after, FALSE);
    }
}

void TOptionsDlg::OpenLink(int id)
{
    const std::wstring text = ItemText(Item(id));
    const std::wstring target = id == IDC_LINK_2 ? text : L"mailto:" + text;
    ShellExecuteW(m_hwnd, L"open", target.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

} // namespace zim::win32
