#pragma once

// The skin file: the value forms, the layout of the monitor that a
// skin gives (the grid area, the coordinates label and the twelve buttons), and
// the reading and writing halves of LoadSkin and SaveSkin. Applying a layout to
// the monitor window is the Win32 side's; this is portable.
//
// A skin file is untrusted input. Every value the reader hands out is inside
// the limits below, so that no skin can crash the program or put anything
// beyond the screen.

#include "monitor/colors.h"
#include "platform/platform.h"
#include "platform/profile.h"
#include "platform/types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zim::skins
{

// Limits on what a skin file may say.
inline constexpr std::size_t kMaxValueChars = 1023;  // GetPrivateProfileString's 1,024-character buffer
inline constexpr std::size_t kMaxFontNameChars = 31; // LOGFONT's lfFaceName holds 31 characters and the NUL
inline constexpr int kMinFontSize = 1;               // points; 0 and negative sizes mean nothing in a skin
inline constexpr int kMaxFontSize = 72;              // points; larger never fits a 16-pixel button anyway
inline constexpr int kMinExtent = 1;                 // pixels; a control of width or height 0 cannot be hit
inline constexpr int kMaxExtent = 4096;              // pixels; larger than any bitmap a skin ships or a screen
inline constexpr int kMaxPosition = 4096;            // pixels from the bitmap's corner; negatives become 0
inline constexpr int kMaxBitmapSide = 4096;          // pixels; a bitmap header beyond this is not a skin bitmap

// The texts and stamps of the file.
inline constexpr std::string_view kFileNameDefault = "error"; // "Filename" missing; this value counts as missing
inline constexpr std::string_view kDefaultFontName = "MS Sans Serif";
inline constexpr std::string_view kZimDeskVersion = "2.3";
inline constexpr int kFileformatVersion = 1;

// Integers as the skin file holds them: decimal with an optional sign; or
// hexadecimal (the 32 bits, so "0x80000008" is a system colour) after "$", or
// after "0x"/"0X" when the text is longer than two characters. False for
// anything else ("0x" alone, "12abc", "", a decimal beyond 32 bits).
bool ParseSkinInteger(std::string_view text, std::int32_t& value);

struct SkinFont
{
    std::string name = std::string(kDefaultFontName);
    int size = 8; // points
    ColorValue color = 0;
    friend bool operator==(const SkinFont&, const SkinFont&) = default;
};

enum class SkinButtonKind
{
    Command,     // Tag 1
    IconDesktop, // Tag 2
};

// What the monitor fixes about a button (its hint, caption, kind and design
// font): the skin sets only its bounds and font.
struct SkinButtonInfo
{
    std::string_view hint;
    // The caption: one character code in the design font's character set. In a
    // symbol font (Stars1, Shapes1) that is the code the font maps at U+00xx and
    // at U+F0xx.
    unsigned char caption;
    std::string_view designFont;
    bool symbolCharset;
    bool bold;
    SkinButtonKind kind;
    int iconDesktop; // 1 to 6 for the icon desktop buttons, 0 for commands
};

// The twelve buttons in the fixed order of the skin file; n is the index.
inline constexpr std::array<SkinButtonInfo, 12> kSkinButtons = {{
    {"Close Desktop Monitor", 'X', "MS Sans Serif", false, true, SkinButtonKind::Command, 0},
    {"Help", '?', "MS Sans Serif", false, true, SkinButtonKind::Command, 0},
    {"About", 'p', "Stars1", true, false, SkinButtonKind::Command, 0},
    {"Sticky Windows", 0x8F, "Shapes1", true, false, SkinButtonKind::Command, 0},
    {"Options", 0x83, "Stars1", true, false, SkinButtonKind::Command, 0},
    {"Icon desktop 5", '5', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 5},
    {"Icon desktop 1", '1', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 1},
    {"Icon desktop 3", '3', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 3},
    {"Icon desktop 4", '4', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 4},
    {"Icon desktop 6", '6', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 6},
    {"Icon desktop 2", '2', "Orbit-B BT", false, true, SkinButtonKind::IconDesktop, 2},
    {"Menu", '<', "Shapes1", true, false, SkinButtonKind::Command, 0},
}};

// The button's section: its hint followed by " Button".
std::string ButtonSectionName(std::size_t n);
// Where the n-th button stands when its section is missing: x = 30 + 17·n, y = 101, 16 × 16.
Rect DefaultButtonBounds(std::size_t n);

struct SkinButton
{
    std::size_t n = 0; // index into kSkinButtons
    Rect bounds;
    SkinFont font;

    const SkinButtonInfo& Info() const { return kSkinButtons[n]; }
    std::string_view Hint() const { return Info().hint; }
    std::string SectionName() const { return ButtonSectionName(n); }
    friend bool operator==(const SkinButton&, const SkinButton&) = default;
};

struct SkinGridArea
{
    Rect bounds = Rect::FromSize(0, 0, 100, 100);
    SkinFont font; // its colour is GridColors::TextColor
    bool fillMiniWindows = true;
    GridColors colors;
    friend bool operator==(const SkinGridArea&, const SkinGridArea&) = default;
};

struct SkinLabel
{
    Rect bounds = Rect::FromSize(0, 101, 20, 13);
    SkinFont font;
    friend bool operator==(const SkinLabel&, const SkinLabel&) = default;
};

// The monitor's layout under one skin, in the bitmap's pixels: what LoadSkin
// applies, the painter draws, the hit test reads and SaveSkin writes.
struct SkinLayout
{
    bool natural = false;
    std::string backgroundFile = std::string(kFileNameDefault); // file name in the skin directory
    ColorValue transparentColor = 0;
    SkinGridArea grid;
    SkinLabel coordinates;
    std::array<SkinButton, 12> buttons = DefaultButtons();

    // A bitmap skin whose "Filename" was missing or "error" has no image.
    bool HasImage() const { return !backgroundFile.empty() && backgroundFile != kFileNameDefault; }
    static std::array<SkinButton, 12> DefaultButtons();
    friend bool operator==(const SkinLayout&, const SkinLayout&) = default;
};

// The reading half of LoadSkin: every key the loader reads, each missing or
// unreadable one at its default, each value within the limits above. A natural
// skin reads only the grid's font and takes the natural skin's system colours.
SkinLayout ReadSkin(ProfileFiles& profile, const std::string& path);

// Moves and shrinks every rectangle of the layout into a bitmap of this size, so
// that nothing lies outside the window the bitmap shapes.
void FitLayoutToBitmap(SkinLayout& layout, Size bitmap);

// The writing half of SaveSkin, in its order, both stamps first. Stops at the
// first key that cannot be written (the keys before it stay) and returns false.
bool WriteSkin(ProfileFiles& profile, const std::string& path, const SkinLayout& layout);

// The skin file's messages (error box, title "Error", one OK button).
inline constexpr std::string_view kErrorTitle = "Error";
std::string SkinFileNotFoundMessage(const std::string& path);
std::string SkinImageNotFoundMessage(const std::string& path);
std::string UnableToWriteMessage(const std::string& path);

// LoadSkin up to the point where the monitor changes: the check for the file,
// the reading and the check for its image. skinPath is the skin directory + "\\" + the file name.
// A bitmap file whose header is no bitmap's counts as a missing image.
struct SkinLoad
{
    enum class Status
    {
        Ok,
        FileNotFound,  // nothing changes
        ImageNotFound, // NaturalSkin becomes true, the monitor keeps its skin
    };
    Status status = Status::FileNotFound;
    std::string message;   // for the error box, empty when Ok
    SkinLayout layout;     // as read (also when the image is missing)
    std::string imagePath; // skin directory + "\\" + layout.backgroundFile, for a bitmap skin
    Size bitmapSize;       // from the bitmap's header; the layout is fitted into it
};
SkinLoad LoadSkinFile(FileSystem& files, ProfileFiles& profile, const std::string& skinDirectory,
                      const std::string& skinPath);

} // namespace zim::skins
