#pragma once

// The skin editor inside the monitor: "Edit Skin..." turns the monitor into an
// editing surface with a title bar along the top and the tool panel along the
// bottom. The elements are selected and moved with the stretch handle; the
// tool panel sets fonts, colours, the transparent colour, the background image
// and the new skin's name; OK saves and Cancel reloads the skin.
//
// A transparent-colour pick still pending when the editor closes is abandoned:
// the elements show again and the swatch keeps its colour.

#include "components/win32/stretch_handle_window.h"
#include "monitor/skin_editor_session.h"
#include "monitor/win32/monitor_window.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <functional>
#include <memory>
#include <string>

namespace zim::win32
{

struct SkinEditorEvents
{
    // The skin file name chosen in the options dialog.
    std::function<std::string()> selectedSkin;
    // SaveSkin and LoadSkin on a full path; false after their message.
    std::function<bool(const std::string& path)> saveSkin;
    std::function<bool(const std::string& path)> loadSkin;
    // OK saved the skin under another name than the chosen one.
    std::function<void(const std::string& name)> skinSaved;
    // SkinEditing changed.
    std::function<void(bool editing)> editingChanged;
};

class SkinEditor
{
public:
    static constexpr const wchar_t* kNameDialogClass = L"TOKBottomDlg";

    SkinEditor(TZIMMonitor& monitor, OptionsModel& options, FileSystem& files, SkinEditorEvents events);
    SkinEditor(const SkinEditor&) = delete;
    SkinEditor& operator=(const SkinEditor&) = delete;
    ~SkinEditor();

    // The tool panel and the stretch handle, hidden, as children of the monitor.
    bool Create();
    bool IsOpen() const { return m_open; }
    // "Edit Skin...": only under a bitmap skin.
    void Open();

    // From the monitor while the editor is open.
    void MouseDown(MouseButton button, Point client);
    void ExcludeToolPanel(HDC dc) const;
    void PaintTitle(HDC dc);
    void Painted(const RECT& area);
    void ActiveChanged();
    void Resized();
    // The monitor was shown again: its timers stay off while editing.
    void MonitorShown();

private:
    static INT_PTR CALLBACK ToolsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK NameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnToolsMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND Tool(int id) const { return GetDlgItem(m_tools, id); }

    void Close(bool save);
    void EndEditing();
    void Select(ControlId element, bool add);
    void BackgroundClick(Point panel);
    void SelectionChanged(bool grab);
    void HandleChanged();
    void UpdateToolButtons();
    void UpdateSwatch();
    void UpdateCaption();
    void FillImageList();
    std::string SkinDirectory() const;
    Size BitmapClient() const;
    void SizeWindow();

    // The tool panel's commands.
    void SpeedButton15Click(); // colour
    void SpeedButton16Click(); // font
    void SpeedButton17Click(); // transparent colour pick
    void SpeedButton19Click(); // new skin from current
    void ComboBox1Change();    // background image
    void CheckBox1Click();     // fill windows in the grid

    TZIMMonitor& m_monitor;
    OptionsModel& m_options;
    FileSystem& m_files;
    SkinEditorEvents m_events;
    StretchHandleWindow m_handle;
    SkinEditorSession m_session;
    HWND m_tools = nullptr;   // Panel2, destroyed with the monitor
    HWND m_toolTip = nullptr; // the tool panel's hints
    UniqueBrush m_swatchBrush;
    UniqueFont m_titleFont;
    bool m_open = false;
    // CurrentSkinName: where OK saves.
    std::string m_currentSkinName;
    // The name dialog keeps the last name typed.
    std::wstring m_lastName;
};

} // namespace zim::win32
