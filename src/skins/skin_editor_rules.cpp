#include "skins/skin_editor_rules.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zim
{

namespace
{

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && SameIgnoringCase(text.substr(text.size() - end.size()), end);
}

bool IsBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

// Names that Windows opens as devices whatever extension follows.
bool IsDeviceName(std::string_view stem)
{
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    if (std::any_of(kPlain.begin(), kPlain.end(), [stem](std::string_view d) { return SameIgnoringCase(stem, d); }))
    {
        return true;
    }
    return stem.size() == 4 &&
           (SameIgnoringCase(stem.substr(0, 3), "com") || SameIgnoringCase(stem.substr(0, 3), "lpt")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

} // namespace

Size EditorWindowSize(Size bitmap)
{
    return {std::max(bitmap.width, kEditorMinWidth),
            std::max(bitmap.height + kEditorToolPanelHeight + kEditorTitleBarHeight, kEditorMinHeight)};
}

std::string EditorCaption(const std::string& skinName)
{
    return "Skin editor - [" + skinName + "]";
}

bool TakesFont(SkinElement element)
{
    return element != SkinElement::CommandButton;
}

ColorButtonAction ColorButtonActionFor(int selectionCount, int gridAreaIndex)
{
    return selectionCount == 1 && gridAreaIndex == 0 ? ColorButtonAction::GridColorMenu
                                                     : ColorButtonAction::ColorDialog;
}

NewSkinName CheckNewSkinName(std::string_view typed, std::string_view currentSkinName,
                             FunctionRef<bool(const std::string&)> skinExists)
{
    NewSkinName result;
    if (IsBlank(typed))
    {
        return result;
    }
    static constexpr std::string_view kForbidden = "\\/:*?\"<>|";
    const bool badCharacter = std::any_of(
        typed.begin(), typed.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || kForbidden.find(c) != std::string_view::npos; });
    if (badCharacter)
    {
        result.verdict = NewSkinVerdict::Refused;
        result.message = "A skin name cannot contain any of these characters: \\ / : * ? \" < > |";
        return result;
    }
    std::string fileName(typed);
    if (!EndsWithIgnoringCase(fileName, kSkinExtension))
    {
        fileName += kSkinExtension;
    }
    if (IsDeviceName(std::string_view(fileName).substr(0, fileName.find('.'))))
    {
        result.verdict = NewSkinVerdict::Refused;
        result.message = "\"" + std::string(typed) + "\" is reserved by Windows and cannot name a skin.";
        return result;
    }
    if (SameIgnoringCase(fileName, currentSkinName))
    {
        return result;
    }
    result.fileName = fileName;
    if (skinExists(fileName))
    {
        result.verdict = NewSkinVerdict::AskFirst;
        result.message = "A skin named \"" + fileName + "\" already exists. Replace it?";
        return result;
    }
    result.verdict = NewSkinVerdict::Accepted;
    return result;
}

} // namespace zim
