#pragma once

// Every user option with its default, the three window lists and the wallpaper
// list. The options dialog edits this model, the settings store loads and saves
// it, and every other part reads it; listeners hear of each change at once.

#include "settings/check_list.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zim
{

struct WallpaperEntry
{
    std::string fileName;
    bool tile = false;
    friend bool operator==(const WallpaperEntry&, const WallpaperEntry&) = default;
};

enum class HotKeyAction
{
    SwitchLeft,
    SwitchRight,
    SwitchUp,
    SwitchDown,
    ShowHideMonitor,
};

struct Options
{
    static constexpr int kMinGridSize = 1;
    static constexpr int kMaxGridSize = 10;
    static constexpr int kMinMouseDelay = 1;
    static constexpr int kMaxMouseDelay = 3000;
    static constexpr int kMinAutoHideDelay = 2000;
    static constexpr int kMaxAutoHideDelay = 10000;

    // Grid
    int sizeX = 3;
    int sizeY = 3;

    // Monitor
    bool autoHide = false;
    int autoHideDelay = 3000;
    bool alwaysOnTop = true;
    bool closeWhenSelected = false;
    bool showWndNames = true;
    bool showWndIcons = true;

    // Edge scrolling and the follow of the active window
    bool mouseScroll = true;
    bool wrapCursor = true;
    int mouseDelay = 1000;
    bool mouseShift = false;
    bool mouseControl = false;
    bool mouseAlt = false;
    bool taskSwitch = true;

    // Windows of other desktops hidden from the task bar instead of only moved
    bool hideAllWC = false;

    // Hotkeys: codes for the five actions (0 = none) and the shared modifiers
    bool hotKeys = false;
    std::array<int, 5> hotKeyCodes{};
    bool hotShift = false;
    bool hotControl = false;
    bool hotAlt = false;
    bool hotWin = false;

    // Skins
    std::string skinDir = ".\\skins";
    std::string skin = "silver.zim";

    // The main window's own values
    std::string soundFile;
    bool sysMenuEnabled = true;
    bool trayArrows = false;
    int iconDesktop = 1;

    // Window places: the windows own them while running; they are copied here
    // before a save and read from here once at start.
    int mainLeft = 0;
    int mainTop = 224;
    int monitorLeft = 0;
    int monitorTop = 0;
    int monitorWidth = 120;
    int monitorHeight = 100;
    bool monitorVisible = true;

    // Window lists: captions and class names
    CheckList stickyWindows{true};
    CheckList stickyClasses{true};
    CheckList compatibilityClasses{true};

    // One wallpaper per desktop, in desktop-number order
    std::vector<WallpaperEntry> wallpapers;
    bool wallpapersEnabled = false;
    bool wallpaperUpdateProfile = false;

    static bool IsValidGridSize(int size) { return size >= kMinGridSize && size <= kMaxGridSize; }
};

class OptionsModel
{
public:
    using Listener = std::function<void(const Options&)>;

    const Options& Get() const { return m_options; }

    // Applies a change and tells every listener.
    void Update(const std::function<void(Options&)>& change);
    // Returns an id for Unsubscribe.
    std::size_t Subscribe(Listener listener);
    void Unsubscribe(std::size_t id);

private:
    Options m_options;
    std::vector<std::pair<std::size_t, Listener>> m_listeners;
    std::size_t m_nextId = 1;
};

} // namespace zim
