#pragma once

// One wallpaper per desktop: the list's entries in desktop-number order (row by
// row), set by the system after every switch while the option is on.

#include "engine/desktop_grid.h"
#include "platform/platform.h"
#include "settings/options.h"
#include "settings/wallpaper_list.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace zim
{

// The entry of desktop (column, row): column + row × columns, while the list has it.
std::optional<std::size_t> WallpaperIndex(Point desktop, int columns, std::size_t entries);

class DesktopWallpapers final : public SwitchListener
{
public:
    static constexpr const char* kDesktopKey = "Control Panel\\desktop";
    static constexpr const char* kTileValue = "TileWallPaper";

    using ErrorSink = std::function<void(const std::string& message)>;

    DesktopWallpapers(Registry& registry, Shell& shell, const OptionsModel& options, ErrorSink onError);

    void DesktopSwitching(Point /*from*/, Point /*to*/) override {}
    // Every switch ends with the wallpaper of the desktop now shown.
    void DesktopSwitched(Point from, Point to) override;

    void SetDesktopWallpaper(int column, int row);

private:
    Registry& m_registry;
    Shell& m_shell;
    const OptionsModel& m_options;
    ErrorSink m_onError;
    // The failed write is told once, not at every switch, until it works again.
    bool m_failureTold = false;
};

} // namespace zim
