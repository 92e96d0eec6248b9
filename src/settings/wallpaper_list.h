#pragma once

// The "Wallpapers" page's edits of the wallpaper list: the list keeps its order,
// which is the desktops' order, and each entry keeps its own tile flag.

#include "settings/options.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zim
{

// The system takes a wallpaper path in a buffer of 256 characters; a longer one
// is refused, never cut, which would name another file.
inline constexpr std::size_t kMaxWallpaperPath = 255;

// Appends the files, in their order, as untiled entries; returns the files
// refused because the system could not take their path.
std::vector<std::string> AddWallpapers(Options& o, const std::vector<std::string>& files);
// These take the selected entry (-1 for none) and return the selection after.
// Delete selects the first entry when entries remain.
int DeleteWallpaper(Options& o, int selected);
int MoveWallpaperUp(Options& o, int selected);
int MoveWallpaperDown(Options& o, int selected);

} // namespace zim
