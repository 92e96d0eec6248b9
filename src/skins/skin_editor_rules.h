#pragma once

// The skin editor's rules that need no window: its size, what each kind of
// element lets the user change, and the name of a new skin.

#include "platform/function_ref.h"
#include "platform/types.h"

#include <string>
#include <string_view>

namespace zim
{

inline constexpr int kEditorMinWidth = 397;
inline constexpr int kEditorMinHeight = 304;
inline constexpr int kEditorTitleBarHeight = 17;  // Panel3
inline constexpr int kEditorToolPanelHeight = 86; // Panel2
inline constexpr std::string_view kSkinExtension = ".zim";

// The monitor's size while the editor is open: the bitmap with the title bar and
// the tool panel, but never smaller than the tool panel needs.
Size EditorWindowSize(Size bitmap);

// "Skin editor - [" + name + "]"
std::string EditorCaption(const std::string& skinName);

enum class SkinElement
{
    GridArea,
    CoordinatesLabel,  // tag 3
    IconDesktopButton, // tag 2
    CommandButton,     // tag 1
};

// Only the font colour of a command button is edited; its font stays as the skin has it.
bool TakesFont(SkinElement element);

enum class ColorButtonAction
{
    GridColorMenu, // the four grid colours, for the grid area alone
    ColorDialog,
};

// gridAreaIndex: the grid area's place in the selection, or -1.
ColorButtonAction ColorButtonActionFor(int selectionCount, int gridAreaIndex);

enum class NewSkinVerdict
{
    Unchanged, // empty, or the skin being edited: nothing to do
    Accepted,  // a new file name
    AskFirst,  // a skin of that name exists: replace it only when the user agrees
    Refused,   // not a usable file name; message says why
};

struct NewSkinName
{
    NewSkinVerdict verdict = NewSkinVerdict::Unchanged;
    std::string fileName; // with ".zim", for Accepted and AskFirst
    std::string message;  // for AskFirst and Refused
};

// The name typed into "Create new skin from current". ".zim" is added unless
// already typed; names compare as Windows compares file names, ignoring case.
// skinExists answers whether a skin file of that name is in the skin folder.
NewSkinName CheckNewSkinName(std::string_view typed, std::string_view currentSkinName,
                             FunctionRef<bool(const std::string&)> skinExists);

} // namespace zim
