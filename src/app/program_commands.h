#pragma once

// The few things that the tray menu, the monitor's buttons and caption, the
// hotkeys and the options dialog all ask of the program. One implementation
// serves them all, so each command has one way through.

#include "platform/types.h"

namespace zim
{

// The options dialog's pages that commands open.
enum class OptionsPage
{
    GeneralOptions,
    StickyWindows,
    About,
};

class ProgramCommands
{
public:
    ProgramCommands() = default;
    ProgramCommands(const ProgramCommands&) = delete;
    ProgramCommands& operator=(const ProgramCommands&) = delete;
    virtual ~ProgramCommands() = default;

    // The monitor shown in front with a fresh picture, auto hide armed.
    virtual void ShowMonitor() = 0;
    virtual void HideMonitor() = 0;
    // Shown when hidden, hidden when shown.
    virtual void ToggleMonitor() = 0;
    virtual void ShowOptions(OptionsPage page) = 0;
    virtual void ShowHelp() = 0;
    // The main popup menu at a screen point.
    virtual void PopupMainMenu(Point screen) = 0;
    // The program's orderly end: every window gathered, the settings saved.
    virtual void Exit() = 0;
};

} // namespace zim
