#include "settings/wallpaper_list.h"

#include <utility>

namespace zim
{
namespace
{

bool Selected(const Options& o, int selected)
{
    return selected >= 0 && static_cast<std::size_t>(selected) < o.wallpapers.size();
}

} // namespace

std::vector<std::string> AddWallpapers(Options& o, const std::vector<std::string>& files)
{
    std::vector<std::string> refused;
    for (const std::string& file : files)
    {
        if (file.size() > kMaxWallpaperPath)
        {
            refused.push_back(file);
            continue;
        }
        o.wallpapers.push_back({file, false});
    }
    return refused;
}

int DeleteWallpaper(Options& o, int selected)
{
    if (!Selected(o, selected))
    {
        return selected;
    }
    o.wallpapers.erase(o.wallpapers.begin() + selected);
    return o.wallpapers.empty() ? -1 : 0;
}

int MoveWallpaperUp(Options& o, int selected)
{
    if (!Selected(o, selected) || selected == 0)
    {
        return selected;
    }
    std::swap(o.wallpapers[static_cast<std::size_t>(selected)], o.wallpapers[static_cast<std::size_t>(selected - 1)]);
    return selected - 1;
}

int MoveWallpaperDown(Options& o, int selected)
{
    if (!Selected(o, selected) || static_cast<std::size_t>(selected) + 1 >= o.wallpapers.size())
    {
        return selected;
    }
    std::swap(o.wallpapers[static_cast<std::size_t>(selected)], o.wallpapers[static_cast<std::size_t>(selected + 1)]);
    return selected + 1;
}

} // namespace zim
