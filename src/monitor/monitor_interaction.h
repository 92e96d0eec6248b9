#pragma once

// What the user does with the monitor: a press on a cell switches to it, a right
// drag of a miniature carries the real window along, live, to another place or
// desktop, a right press beside the miniatures lists that desktop's programs in
// a popup for as long as the button is held, the coordinate label and the skin
// background drag the monitor itself, and the skin buttons run their commands.
// The window turns mouse messages in grid-area coordinates into calls here.

#include "app/program_commands.h"
#include "engine/desktop_engine.h"
#include "engine/engine_state.h"
#include "engine/hide_mode.h"
#include "monitor/drag.h"
#include "monitor/monitor_model.h"
#include "platform/mouse_button.h"
#include "platform/platform.h"
#include "settings/options.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zim
{

// What the handlers ask of the windows beyond the monitor's own logic.
class InteractionSurface
{
public:
    InteractionSurface() = default;
    InteractionSurface(const InteractionSurface&) = delete;
    InteractionSurface& operator=(const InteractionSurface&) = delete;
    virtual ~InteractionSurface() = default;

    virtual Point GridToScreen(Point grid) const = 0;
    virtual Point ClientToScreen(Point client) const = 0;
    // Part of the client area (a button changing its look), in client coordinates.
    virtual void RepaintClient(const Rect& area) = 0;
    // Fills the programs popup and shows it at `bounds` (screen coordinates); the
    // popup reports its showing and hiding through ProgramsPopupShown.
    virtual void ShowProgramsPopup(const std::vector<std::string>& titles, const Rect& bounds) = 0;
    virtual void HideProgramsPopup() = 0;
    virtual void SetMonitorTopmost(bool topmost) = 0;
    // The program's last active window to the front.
    virtual void BringToFront() = 0;
    // Hands the pointer to the window system's move loop for the monitor.
    virtual void BeginMonitorMove() = 0;
};

class MonitorInteraction
{
public:
    MonitorInteraction(WindowSystem& windows, OptionsModel& options, DesktopEngine& engine, HideMode& hideMode,
                       MonitorModel& model, InteractionSurface& surface, ProgramCommands& commands);
    MonitorInteraction(const MonitorInteraction&) = delete;
    MonitorInteraction& operator=(const MonitorInteraction&) = delete;

    // The main window's input timer (edge scrolling, the follow of the active
    // window), which exists only after the monitor; null when it is gone.
    void SetInputTimer(Timer* timer) { m_inputTimer = timer; }
    // The options dialog's window cannot be dragged, like the monitor's own.
    void SetOptionsDialogWindow(WindowHandle window) { m_optionsDialog = window; }
    // While the skin editor is open, presses on the grid, the label and the
    // background belong to the editor.
    void SetSkinEditing(bool editing) { m_skinEditing = editing; }

    // Mouse events on the client area, in its coordinates, routed by the
    // layout's hit test: to the grid area below, the skin buttons, the label or
    // the background. While a drag, the popup or a button press is under way,
    // moves and the release go where it began.
    void ClientMouseDown(MouseButton button, Point client);
    void ClientMouseMove(Point client, bool rightDown);
    void ClientMouseUp(MouseButton button, Point client);
    // The pointer left the window: no button stays lit.
    void PointerLeft();

    // Mouse events on the grid area, in its coordinates, each routed to the
    // handler of what lies under the pointer. `rightDown` is the right button's
    // state with the move: a move without it ends a drag whose release was lost.
    void MouseDown(MouseButton button, Point p);
    void MouseMove(Point p, bool rightDown);
    void MouseUp(MouseButton button, Point p);
    // The window lost the mouse to another one: the release will not come here,
    // so a drag ends where it is and the popup closes.
    void CaptureLost();
    // The program ends: the drag is dropped without another move (every window
    // is being gathered onto the screen) and the popup closed.
    void Reset();

    // Press on the grid area outside the miniatures; `onFocusRect` when on the highlight frame.
    void DrawGrid1MouseDown(MouseButton button, Point p, bool onFocusRect);
    // Press on a miniature, the point in grid-area coordinates.
    void Shape1MouseDown(const Miniature& miniature, MouseButton button, Point p);
    // Moves during a drag: on a miniature the real window follows; elsewhere only the miniature.
    void Shape1MouseMove(Point p);
    void PaintBox1MouseMove(Point p);
    void Shape1MouseUp(MouseButton button);
    // The coordinate label, the skin background and the editor's title bar move the monitor.
    void Label2MouseDown();
    void Image1MouseDown();
    void Panel3MouseDown();

    // The command buttons.
    void SpeedButton1Click(); // "X": hide the monitor
    void SpeedButton8Click(); // "?": help
    void SpeedButton7Click(); // "About"
    void SpeedButton3Click(); // "Sticky Windows"
    void SpeedButton4Click(); // "Options"
    // "Menu": the main popup menu at the button's lower-left corner.
    void SpeedButton2Click(const Rect& buttonOnScreen);
    // SpeedButton9 ... SpeedButton14: icon desktop 1 ... 6.
    void IconDesktopClick(int number);
    // The icon-desktop button that is down (the radio group follows the option), or 0 for none.
    int IconDesktopDown() const;
    // A click on the n-th skin button (the order of skins::kSkinButtons).
    void SkinButtonClick(std::size_t n);
    // The button held down by the left button, and the one under the pointer.
    std::optional<std::size_t> PressedButton() const { return m_pressedButton; }
    std::optional<std::size_t> HotButton() const { return m_hotButton; }
    // Whether a button shows pressed: held down with the pointer on it, or the
    // icon desktop that is chosen.
    bool ButtonDown(std::size_t n) const;

    // FormShow and FormHide of the programs popup: the monitor's always-on-top
    // is off while it is shown, so that the popup can lie above it.
    void ProgramsPopupShown(bool shown);

    bool Dragging() const { return m_drag.Dragging(); }
    WindowHandle DraggedWindow() const { return m_drag.DraggedWindow(); }
    bool PopupOpen() const { return m_popupOpen; }
    // The press just handled wants the release wherever it happens.
    bool WantsCapture() const { return m_drag.Dragging() || m_popupOpen || m_pressedButton.has_value(); }

private:
    void StartDrag(const Miniature& miniature, Point p);
    void EndDrag();
    void FollowPointer(Point p, bool moveWindow);
    Point ClampToGrid(Point p) const;
    Point ToGrid(Point client) const;
    void SetHotButton(std::optional<std::size_t> button);
    void RepaintButton(std::optional<std::size_t> button);

    WindowSystem& m_windows;
    OptionsModel& m_options;
    DesktopEngine& m_engine;
    HideMode& m_hideMode;
    MonitorModel& m_model;
    InteractionSurface& m_surface;
    ProgramCommands& m_commands;
    Timer* m_inputTimer = nullptr;
    WindowHandle m_optionsDialog = kNoWindow;
    bool m_skinEditing = false;

    MiniatureDrag m_drag;
    bool m_inputTimerWasEnabled = false;
    bool m_popupOpen = false;
    std::optional<std::size_t> m_pressedButton;
    bool m_pressedButtonUnderPointer = false;
    std::optional<std::size_t> m_hotButton;
};

} // namespace zim
