#pragma once

// TOptionsDlg, the options dialog. Created once at start and hidden between
// uses; its controls edit the options model, and a change acts at once through
// the model's listeners. Its window owns the hotkey registrations and receives
// WM_HOTKEY.

#include "app/program_commands.h"
#include "engine/desktop_engine.h"
#include "engine/hide_mode.h"
#include "input/hotkeys.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_hot_keys.h"
#include "settings/options.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace zim::win32
{

struct OptionsDialogParts
{
    WindowSystem& windows;
    FileSystem& files;
    OptionsModel& options;
    DesktopEngine& engine;
    HideMode& hideMode;
    ProgramCommands& commands;
};

// What the dialog asks of the program around it.
struct OptionsDialogEvents
{
    // The title-bar close saves the dialog's settings.
    std::function<void()> saveDialogGroup;
    // A held window goes to the screen place of its miniature.
    std::function<void(WindowHandle, Point)> moveToMiniature;
    // Applies a skin file; false when it could not be loaded (the message is shown).
    std::function<bool(const std::string& path)> loadSkin;
    // The skin editor is open: the skin list then changes nothing.
    std::function<bool()> skinEditing;
    // "Edit Skin...": opens the skin editor in the monitor.
    std::function<void()> editSkin;
    std::function<bool()> monitorShown;
};

class TOptionsDlg final
{
public:
    static constexpr const wchar_t* kClassName = L"TOptionsDlg";
    // Client size at 96 DPI, scaled with the system DPI.
    static constexpr int kClientWidth = 346;
    static constexpr int kClientHeight = 362;

    enum Page
    {
        kGeneral,
        kSticky,
        kStickyClasses,
        kCompatibility,
        kHotKeys,
        kWallpapers,
        kAbout,
        kPageCount
    };

    TOptionsDlg(const OptionsDialogParts& parts, OptionsDialogEvents events);
    TOptionsDlg(const TOptionsDlg&) = delete;
    TOptionsDlg& operator=(const TOptionsDlg&) = delete;
    ~TOptionsDlg();

    // Owned by the hidden main window, so that it never gets a task-bar button.
    bool Create(HWND owner);
    HWND Handle() const { return m_hwnd; }

    // After the settings are loaded: every control shows its value, and the
    // hotkeys are registered when they are on (else their controls are disabled).
    void SettingsLoaded();
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }

    // The message loop's share: Tab and the arrows move between controls, and
    // Ctrl+Tab or Ctrl+Page Down and their reverse move between pages. True when taken.
    bool PreTranslateMessage(MSG& msg);

    // "Edit Skin..." is offered only while a bitmap skin is applied.
    void SetEditSkinAvailable(bool available);
    // While the skin editor is open the skin list and "Edit Skin..." rest.
    void SetSkinEditing(bool editing);
    // The editor saved the skin under this file name: it joins the list and is the chosen skin.
    void SkinSaved(const std::string& name);

    void Show(OptionsPage page);
    // The page shown last, or the first at start.
    void ShowLastPage();
    void Hide();
    bool Visible() const;
    // The program ends: the window goes without a save of its own.
    void Destroy();

private:
    static INT_PTR CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    void InitFrame();
    void InitPages();
    void LayOut();
    void SelectPage(int page);
    HWND Item(int id) const;

    // Changes the model from the dialog: the listener then leaves the controls alone.
    void Change(const std::function<void(Options&)>& change);
    void OnOptionsChanged(const Options& options, const OptionSet& changed);
    void ShowValues(const Options& options, const OptionSet& fields);
    void FillCheckList(HWND list, const CheckList& entries);
    void FillWallpapers(const Options& options);
    void FillSkinList();
    void ShowHotKeyStatus(const HotKeyStatuses& statuses);
    void EnableHotKeyControls(bool enabled);

    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnCheckBox(int id, bool checked);
    void OnSpin(bool columns, int delta);
    void OnContextMenu(HWND from, POINT screen);

    // The design's handlers.
    void FormShow();
    void FormHide();
    void OKBtnClick();
    void FormClose();
    void Button3Click();
    void CheckBox5Click(bool checked);
    void Button1Click();
    void ComboBox1Change();
    void BringAppToCurrentDesktop1Click();
    void HiddenWCListClickCheck(std::size_t index, bool checked);
    void HideAllWCClick(bool checked);
    void OpenLink(int id);
    void AddWallpaperBtnClick();
    // DeleteWallpaperBtnClick, MoveWallpUpBtnClick and MoveWallpDownBtnClick.
    void EditWallpaperList(int id);

    WindowSystem& m_windows;
    FileSystem& m_files;
    OptionsModel& m_options;
    DesktopEngine& m_engine;
    HideMode& m_hideMode;
    ProgramCommands& m_commands;
    OptionsDialogEvents m_events;
    Win32HotKeys m_hotKeys;
    Timer* m_inputTimer = nullptr;

    HWND m_hwnd = nullptr;
    HWND m_tabs = nullptr;
    std::array<HWND, kPageCount> m_pages{};
    int m_page = kGeneral;
    UniqueMenu m_stickyMenu;
    // Owned by the dialog, destroyed with it.
    HWND m_toolTips = nullptr;
    UniqueFont m_titleFont;
    UniqueFont m_linkFont;
    std::size_t m_subscription = 0;
    // Set while the dialog itself changes the model or fills its controls.
    bool m_updating = false;
    bool m_editSkinAvailable = false;
    bool m_skinEditing = false;
};

} // namespace zim::win32
