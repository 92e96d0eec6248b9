#pragma once

// Every user option with its default, the three window lists and the wallpaper
// list. The options dialog edits this model, the settings store loads and saves
// it, and every other part reads it; listeners hear of each change at once.

#include "settings/check_list.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <functional>
#include <initializer_list>
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
    static constexpr int kMinMouseDelay = 1;
    static constexpr int kMaxMouseDelay = 3000;
    static constexpr int kMinAutoHideDelay = 2000;
    static constexpr int kMaxAutoHideDelay = 10000;
    static constexpr int kIconDesktops = 6;
    // The skin folder beside the program, as stored; pinned to the start folder at load.
    static constexpr const char* kRelativeSkinDir = ".\\skins";

    // Grid: the spin fields' texts, stored as they are, and the sizes read from
    // them (0 when unreadable; the grid refuses a size outside 1..10). Set both
    // through SetGridSizeText.
    std::string sizeXText = "3";
    std::string sizeYText = "3";
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
    std::string skinDir = kRelativeSkinDir;
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
};

// Every field of Options, once: the names of change notifications.
#define ZIM_OPTION_FIELDS(X)                                                                                           \
    X(SizeXText, sizeXText)                                                                                            \
    X(SizeYText, sizeYText)                                                                                            \
    X(SizeX, sizeX)                                                                                                    \
    X(SizeY, sizeY)                                                                                                    \
    X(AutoHide, autoHide)                                                                                              \
    X(AutoHideDelay, autoHideDelay)                                                                                    \
    X(AlwaysOnTop, alwaysOnTop)                                                                                        \
    X(CloseWhenSelected, closeWhenSelected)                                                                            \
    X(ShowWndNames, showWndNames)                                                                                      \
    X(ShowWndIcons, showWndIcons)                                                                                      \
    X(MouseScroll, mouseScroll)                                                                                        \
    X(WrapCursor, wrapCursor)                                                                                          \
    X(MouseDelay, mouseDelay)                                                                                          \
    X(MouseShift, mouseShift)                                                                                          \
    X(MouseControl, mouseControl)                                                                                      \
    X(MouseAlt, mouseAlt)                                                                                              \
    X(TaskSwitch, taskSwitch)                                                                                          \
    X(HideAllWC, hideAllWC)                                                                                            \
    X(HotKeys, hotKeys)                                                                                                \
    X(HotKeyCodes, hotKeyCodes)                                                                                        \
    X(HotShift, hotShift)                                                                                              \
    X(HotControl, hotControl)                                                                                          \
    X(HotAlt, hotAlt)                                                                                                  \
    X(HotWin, hotWin)                                                                                                  \
    X(SkinDir, skinDir)                                                                                                \
    X(Skin, skin)                                                                                                      \
    X(SoundFile, soundFile)                                                                                            \
    X(SysMenuEnabled, sysMenuEnabled)                                                                                  \
    X(TrayArrows, trayArrows)                                                                                          \
    X(IconDesktop, iconDesktop)                                                                                        \
    X(MainLeft, mainLeft)                                                                                              \
    X(MainTop, mainTop)                                                                                                \
    X(MonitorLeft, monitorLeft)                                                                                        \
    X(MonitorTop, monitorTop)                                                                                          \
    X(MonitorWidth, monitorWidth)                                                                                      \
    X(MonitorHeight, monitorHeight)                                                                                    \
    X(MonitorVisible, monitorVisible)                                                                                  \
    X(StickyWindows, stickyWindows)                                                                                    \
    X(StickyClasses, stickyClasses)                                                                                    \
    X(CompatibilityClasses, compatibilityClasses)                                                                      \
    X(Wallpapers, wallpapers)                                                                                          \
    X(WallpapersEnabled, wallpapersEnabled)                                                                            \
    X(WallpaperUpdateProfile, wallpaperUpdateProfile)

enum class Option
{
#define ZIM_OPTION_ENUM(name, field) name,
    ZIM_OPTION_FIELDS(ZIM_OPTION_ENUM)
#undef ZIM_OPTION_ENUM
    kCount
};

// A set of options: what a change touched, or what a listener follows.
class OptionSet
{
public:
    OptionSet() = default;
    OptionSet(std::initializer_list<Option> options)
    {
        for (const Option option : options)
        {
            Add(option);
        }
    }
    static OptionSet All() { return OptionSet(Bits().set()); }

    void Add(Option option) { m_bits.set(static_cast<std::size_t>(option)); }
    bool Has(Option option) const { return m_bits.test(static_cast<std::size_t>(option)); }
    bool Meets(const OptionSet& other) const { return (m_bits & other.m_bits).any(); }
    bool Empty() const { return m_bits.none(); }
    friend bool operator==(const OptionSet&, const OptionSet&) = default;

private:
    using Bits = std::bitset<static_cast<std::size_t>(Option::kCount)>;
    explicit OptionSet(Bits bits) : m_bits(bits) {}
    Bits m_bits;
};

// A grid size's text (columns or rows) and the number it stands for: read like
// an integer setting (decimal, or hexadecimal after "0x"), 0 when unreadable.
void SetGridSizeText(Options& o, bool columns, std::string text);

// The fields in which two sets of options differ.
OptionSet ChangedOptions(const Options& before, const Options& after);

class OptionsModel
{
public:
    // The options now and which of them the change touched.
    using Listener = std::function<void(const Options&, const OptionSet& changed)>;

    const Options& Get() const { return m_options; }

    // Applies a change and tells each listener that follows a field it touched;
    // a change that touches nothing tells nobody.
    void Update(const std::function<void(Options&)>& change);
    // Follows the given fields; returns an id for Unsubscribe.
    std::size_t Subscribe(OptionSet fields, Listener listener);
    void Unsubscribe(std::size_t id);

private:
    struct Subscription
    {
        std::size_t id = 0;
        OptionSet fields;
        Listener listener;
    };
    Options m_options;
    std::vector<Subscription> m_listeners;
    std::size_t m_nextId = 1;
};

} // namespace zim
