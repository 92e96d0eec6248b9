#pragma once

// The start-up installation of the shipped skins, as a decision over
// the FileSystem interface: which folder the program works in, which font files
// to register, which skin files to copy, and whether the program can start at
// all. It shows nothing and registers nothing; the app does what the result says.
//
// The working directory. The design copies from the process's working directory
// and creates ".\skins" there, so a shortcut whose "Start in" is another folder
// (or a program started from a command prompt elsewhere) finds no skins and
// stops with the message below. What a user expects is the program's own folder.
// Chosen: the working folder when it has the skins (a "skins" folder holding
// silver.zim and silver.bmp, or the shipped silver.zim and silver.bmp), else the
// program's own folder. The chosen folder is `baseFolder`: the app makes the
// default skin directory ".\skins" absolute against it (SettingsStore's
// currentDirectory) so that everything after start-up agrees on one folder.
//
// The shipped files. The release zip and the build put them in a "data" folder
// beside zimdesk.exe, so a base folder's shipped files are looked for in the
// folder itself and then in its "data" folder.

#include "platform/platform.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zim::skins
{

inline constexpr std::array<std::string_view, 2> kFontFiles = {"Shapes1.ttf", "Stars1.ttf"};

// The fourteen shipped skin files in the design's copying order.
inline constexpr std::array<std::string_view, 14> kShippedSkinFiles = {
    "silver.zim",   "silver.bmp", "LCD.zim",  "LCD.bmp",         "Green.zim",       "Green.bmp", "LCDSmall.zim",
    "LCDSmall.bmp", "Blue.bmp",   "Blue.zim", "SilverSmall.bmp", "SilverSmall.zim", "Brown.bmp", "Brown.zim",
};

inline constexpr std::string_view kDefaultSkinFile = "silver.zim";
inline constexpr std::string_view kDefaultSkinBitmap = "silver.bmp";
inline constexpr std::string_view kSkinFolderName = "skins";
inline constexpr std::string_view kDataFolderName = "data";

// Shown (error box, title "Error", one OK button) before the program ends at once.
inline constexpr std::string_view kMissingDefaultSkinMessage =
    "Can't find skin silver.zim! Check your installation of Zim Desk and make sure the shortcut Zim Desk was "
    "started from points to the correct directory. The files silver.zim and silver.bmp must be in your skins or Zim "
    "Desk directory!";

struct SkinInstallResult
{
    enum class Outcome
    {
        Start,           // go on with start-up
        ExitWithMessage, // show `message`, then end the program with no further clean-up
    };
    Outcome outcome = Outcome::Start;
    std::string message;

    std::string baseFolder;   // what ".\" means for the skins from now on
    std::string skinFolder;   // baseFolder + "\skins"
    std::string sourceFolder; // where the shipped files were taken from (baseFolder or baseFolder\data)
    // Register these with AddFontResource, in this order, ignoring the results.
    std::vector<std::string> fontFiles;
    bool createdSkinFolder = false;
    std::vector<std::string> copied; // file names copied into skinFolder, in order
};

// The folder the program works in: see the header comment.
std::string ChooseBaseFolder(FileSystem& files, const std::string& workingFolder, const std::string& programFolder);

// The fonts to register, the skin folder made and filled, and the default skin
// checked, copying through `files`. An existing skin folder is never refilled; only the default
// skin is restored into it.
SkinInstallResult InstallDefaultSkins(FileSystem& files, const std::string& workingFolder,
                                      const std::string& programFolder);

} // namespace zim::skins
