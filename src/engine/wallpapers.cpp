#include "engine/wallpapers.h"

namespace zim
{

std::optional<std::size_t> WallpaperIndex(Point desktop, int columns, std::size_t entries)
{
    if (desktop.x < 0 || desktop.y < 0 || columns < 1)
    {
        return std::nullopt;
    }
    const auto index = static_cast<std::size_t>(desktop.x) + static_cast<std::size_t>(desktop.y) * columns;
    if (index >= entries)
    {
        return std::nullopt;
    }
    return index;
}

DesktopWallpapers::DesktopWallpapers(Registry& registry, Shell& shell, const OptionsModel& options, ErrorSink onError)
    : m_registry(registry), m_shell(shell), m_options(options), m_onError(std::move(onError))
{
}

void DesktopWallpapers::DesktopSwitched(Point /*from*/, Point to)
{
    if (m_options.Get().wallpapersEnabled)
    {
        SetDesktopWallpaper(to.x, to.y);
    }
}

void DesktopWallpapers::SetDesktopWallpaper(int column, int row)
{
    const Options& options = m_options.Get();
    // The width as it is now: a narrower grid re-maps the entries.
    const auto index = WallpaperIndex({column, row}, options.sizeX, options.wallpapers.size());
    if (!index)
    {
        return; // the wallpaper set last stays
    }
    const WallpaperEntry& entry = options.wallpapers[*index];
    if (entry.fileName.size() > kMaxWallpaperPath)
    {
        return;
    }
    // Written whether or not the profile is updated: the system reads it when it
    // applies the new wallpaper. The key is never created.
    if (!m_registry.KeyExists(kDesktopKey) || !m_registry.WriteString(kDesktopKey, kTileValue, entry.tile ? "1" : "0"))
    {
        if (!m_failureTold && m_onError)
        {
            m_failureTold = true;
            m_onError(std::string("Failed to set data for '") + kTileValue + "'");
        }
        return;
    }
    m_failureTold = false;
    m_shell.SetWallpaper(entry.fileName, options.wallpaperUpdateProfile);
}

} // namespace zim
