#include "settings/settings_store.h"

#include "platform/text.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace zim
{
namespace
{

constexpr std::string_view kOptionsSection = "Options";
constexpr std::string_view kMainSection = "ZIM";
constexpr std::string_view kMonitorSection = "ZIMMonitor";
constexpr std::string_view kTraySection = "Tray";
constexpr std::string_view kStickySection = "Sticky";
constexpr std::string_view kHiddenSection = "Hidden";
constexpr std::string_view kWallpapersSection = "Wallpapers";

constexpr std::string_view kWrongTypeMessage = "Invalid data type for '%s'";
constexpr std::string_view kWriteFailedMessage = "Failed to set data for '%s'";

// Stands for a numbered entry that is missing although the count includes it.
constexpr std::string_view kMissingEntry = "Error";
constexpr std::string_view kWallpaperCount = "NbrOfWallpapers";
constexpr std::string_view kWallpaperFile = "FileName";
constexpr std::string_view kWallpaperTile = "Tile";

using enum ValueKind;

// A value's default is the field's initial value in Options, written nowhere else.
constexpr SettingValue FlagValue(std::string_view section, std::string_view name, bool Options::*field)
{
    SettingValue value{section, name, Flag, {}};
    value.flag = field;
    return value;
}

constexpr SettingValue IntValue(std::string_view section, std::string_view name, IntField field,
                                int min = std::numeric_limits<int>::min(), int max = std::numeric_limits<int>::max())
{
    SettingValue value{section, name, Integer, {}};
    value.number = field;
    value.min = min;
    value.max = max;
    return value;
}

constexpr SettingValue TextValue(std::string_view section, std::string_view name, std::string Options::*field)
{
    SettingValue value{section, name, Text, {}};
    value.text = field;
    return value;
}

constexpr IntField HotKeySlot(std::size_t index)
{
    return IntField{nullptr, &Options::hotKeyCodes, index};
}

// The main window's values.
constexpr auto kMainLeft = IntValue(kMainSection, "Left", {&Options::mainLeft});
constexpr auto kMainTop = IntValue(kMainSection, "Top", {&Options::mainTop});
constexpr auto kSoundFile = TextValue(kMainSection, "SoundFile", &Options::soundFile);
constexpr auto kSysMenuEnabled = FlagValue(kMainSection, "SysMenuEnabled", &Options::sysMenuEnabled);
constexpr auto kIconDesktop = IntValue(kMonitorSection, "CurrentDesktop", {&Options::iconDesktop});
constexpr auto kTrayArrows = FlagValue(kTraySection, "Arrows", &Options::trayArrows);
// Always written as "0", never read.
constexpr SettingValue kMainVisible{kMainSection, "Visible", Fixed, "0"};

// What the options dialog edits. The grid sizes are kept as the texts they were
// stored as, so that a save writes back what it read; the numbers come from
// them at load, unchecked: the grid refuses a size outside 1..10.
constexpr auto kSizeX = TextValue(kOptionsSection, "SizeX", &Options::sizeXText);
constexpr auto kSizeY = TextValue(kOptionsSection, "SizeY", &Options::sizeYText);
constexpr auto kAutohide = FlagValue(kOptionsSection, "Autohide", &Options::autoHide);
constexpr auto kMouseScroll = FlagValue(kOptionsSection, "MouseScroll", &Options::mouseScroll);
constexpr auto kWrapCursor = FlagValue(kOptionsSection, "WrapCursor", &Options::wrapCursor);
constexpr auto kTaskSwitch = FlagValue(kOptionsSection, "TaskSwitch", &Options::taskSwitch);
constexpr auto kAlwaysOnTop = FlagValue(kOptionsSection, "AllwaysOnTop", &Options::alwaysOnTop);
constexpr auto kCloseWhenSelected = FlagValue(kMainSection, "CloseWhenSelected", &Options::closeWhenSelected);
constexpr auto kHideAllWC = FlagValue(kOptionsSection, "HideAllWC", &Options::hideAllWC);
constexpr auto kSkinDir = TextValue(kMonitorSection, "SkinDir", &Options::skinDir);
constexpr std::array<SettingValue, 5> kHot{
    IntValue(kOptionsSection, "Hot1", HotKeySlot(0)), IntValue(kOptionsSection, "Hot2", HotKeySlot(1)),
    IntValue(kOptionsSection, "Hot3", HotKeySlot(2)), IntValue(kOptionsSection, "Hot4", HotKeySlot(3)),
    IntValue(kOptionsSection, "Hot5", HotKeySlot(4)),
};
constexpr auto kMShift = FlagValue(kOptionsSection, "MShift", &Options::mouseShift);
constexpr auto kMControl = FlagValue(kOptionsSection, "MControl", &Options::mouseControl);
constexpr auto kMAlt = FlagValue(kOptionsSection, "MAlt", &Options::mouseAlt);
constexpr auto kShift = FlagValue(kOptionsSection, "Shift", &Options::hotShift);
constexpr auto kControl = FlagValue(kOptionsSection, "Control", &Options::hotControl);
constexpr auto kAlt = FlagValue(kOptionsSection, "Alt", &Options::hotAlt);
constexpr auto kWin = FlagValue(kOptionsSection, "Win", &Options::hotWin);
constexpr auto kHotKeys = FlagValue(kOptionsSection, "HotKeys", &Options::hotKeys);
constexpr auto kMouseDelay =
    IntValue(kOptionsSection, "MouseDelay", {&Options::mouseDelay}, Options::kMinMouseDelay, Options::kMaxMouseDelay);
constexpr auto kAutoHideDelay = IntValue(kOptionsSection, "AutoHideDelay", {&Options::autoHideDelay},
                                         Options::kMinAutoHideDelay, Options::kMaxAutoHideDelay);
constexpr auto kShowWndNames = FlagValue(kOptionsSection, "ShowWndNames", &Options::showWndNames);
constexpr auto kShowWndIcons = FlagValue(kOptionsSection, "ShowWndIcons", &Options::showWndIcons);
constexpr auto kSkin = TextValue(kMonitorSection, "Skin", &Options::skin);
constexpr auto kWallpapersEnabled = FlagValue(kWallpapersSection, "Enabled", &Options::wallpapersEnabled);
constexpr auto kUpdateProfile = FlagValue(kWallpapersSection, "UpdateProfile", &Options::wallpaperUpdateProfile);

// The monitor window's place.
constexpr auto kMonitorWidth = IntValue(kMonitorSection, "Width", {&Options::monitorWidth});
constexpr auto kMonitorHeight = IntValue(kMonitorSection, "Height", {&Options::monitorHeight});
constexpr auto kMonitorVisible = FlagValue(kMonitorSection, "Visible", &Options::monitorVisible);
constexpr auto kMonitorLeft = IntValue(kMonitorSection, "Left", {&Options::monitorLeft});
constexpr auto kMonitorTop = IntValue(kMonitorSection, "Top", {&Options::monitorTop});

constexpr NumberedList kStickyWindows{kStickySection, "NbrOfStickyW", "StickyW", &Options::stickyWindows};
constexpr NumberedList kStickyClasses{kStickySection, "NbrOfStickyWC", "StickyWC", &Options::stickyClasses};
constexpr NumberedList kHiddenClasses{kHiddenSection, "NbrOfHiddenWC", "HiddenWC", &Options::compatibilityClasses};

constexpr StoreStep V(const SettingValue& value)
{
    return {StoreStep::kValue, &value, nullptr};
}

constexpr StoreStep L(const NumberedList& list)
{
    return {StoreStep::kCheckList, nullptr, &list};
}

constexpr StoreStep kWallpaperEntries{StoreStep::kWallpapers};

// The orders below are the orders of the registry traffic. The grouping is by
// step, so formatting is left alone.
// clang-format off
constexpr StoreStep kPartOne[] = {
    V(kMainLeft), V(kMainTop), V(kSoundFile), V(kSysMenuEnabled), V(kIconDesktop), V(kTrayArrows),
};

constexpr StoreStep kPartTwo[] = {
    V(kSizeX), V(kSizeY),
    V(kAutohide),
    V(kMouseScroll), V(kWrapCursor), V(kTaskSwitch), V(kAlwaysOnTop), V(kCloseWhenSelected), V(kHideAllWC),
    V(kSkinDir),
    V(kHot[0]), V(kHot[1]), V(kHot[2]), V(kHot[3]), V(kHot[4]),
    V(kMShift), V(kMControl), V(kMAlt), V(kShift), V(kControl), V(kAlt), V(kWin), V(kHotKeys),
    V(kMouseDelay), V(kAutoHideDelay),
    V(kShowWndNames), V(kShowWndIcons),
    V(kSkin),
    L(kStickyWindows), L(kStickyClasses), L(kHiddenClasses),
    kWallpaperEntries, V(kWallpapersEnabled), V(kUpdateProfile),
    V(kMonitorWidth), V(kMonitorHeight),
    V(kMonitorVisible),
    V(kMonitorLeft), V(kMonitorTop),
};

constexpr StoreStep kDialogGroup[] = {
    V(kSizeX), V(kSizeY), V(kAutohide), V(kMouseScroll), V(kWrapCursor), V(kTaskSwitch), V(kAlwaysOnTop),
    V(kCloseWhenSelected), V(kHideAllWC),
    V(kHot[0]), V(kHot[1]), V(kHot[2]), V(kHot[3]), V(kHot[4]),
    V(kShift), V(kControl), V(kAlt), V(kWin), V(kMShift), V(kMControl), V(kMAlt), V(kHotKeys),
    V(kMouseDelay), V(kAutoHideDelay), V(kShowWndNames), V(kShowWndIcons), V(kSkin),
    L(kStickyWindows), L(kStickyClasses), L(kHiddenClasses),
    kWallpaperEntries, V(kWallpapersEnabled), V(kUpdateProfile),
};

constexpr StoreStep kWindowState[] = {
    V(kMainLeft), V(kMainTop), V(kMonitorLeft), V(kMonitorTop), V(kMonitorWidth), V(kMonitorHeight),
    V(kMonitorVisible), V(kTrayArrows), V(kSoundFile), V(kMainVisible), V(kIconDesktop), V(kSysMenuEnabled),
};
// clang-format on

std::string Numbered(std::string_view prefix, int n)
{
    std::string name(prefix);
    name += std::to_string(n);
    return name;
}

// Unreadable text means the default, as a missing value does.
int Number(const std::string& text, std::string_view fallback)
{
    int value = 0;
    if (text::ParseInt(text, value) || text::ParseInt(fallback, value))
    {
        return value;
    }
    return 0;
}

std::string FlagText(bool on)
{
    return on ? "1" : "0";
}

// What a missing or unreadable value stands for, as it would be stored.
std::string DefaultText(const SettingValue& value)
{
    static const Options defaults;
    switch (value.kind)
    {
    case Flag:
        return FlagText(defaults.*value.flag);
    case Integer:
        return std::to_string(value.number.In(defaults));
    case Text:
        return defaults.*value.text;
    case Fixed:
        break;
    }
    return std::string(value.defaultText);
}

} // namespace

SettingsStore::SettingsStore(Registry& registry, ErrorSink onError, std::string root)
    : m_registry(registry), m_onError(std::move(onError)), m_root(std::move(root))
{
}

std::span<const StoreStep> SettingsStore::PartOneOrder()
{
    return kPartOne;
}

std::span<const StoreStep> SettingsStore::PartTwoOrder()
{
    return kPartTwo;
}

std::span<const StoreStep> SettingsStore::DialogGroupOrder()
{
    return kDialogGroup;
}

std::span<const StoreStep> SettingsStore::WindowStateOrder()
{
    return kWindowState;
}

StoreResult SettingsStore::LoadPartOne(Options& options)
{
    return Load(kPartOne, options, {});
}

StoreResult SettingsStore::LoadPartTwo(Options& options, const std::string& currentDirectory)
{
    return Load(kPartTwo, options, currentDirectory);
}

StoreResult SettingsStore::LoadPartOne(OptionsModel& model)
{
    Options loaded = model.Get();
    StoreResult result = LoadPartOne(loaded);
    model.Update([&loaded](Options& options) { options = std::move(loaded); });
    return result;
}

StoreResult SettingsStore::LoadPartTwo(OptionsModel& model, const std::string& currentDirectory)
{
    Options loaded = model.Get();
    StoreResult result = LoadPartTwo(loaded, currentDirectory);
    model.Update([&loaded](Options& options) { options = std::move(loaded); });
    return result;
}

StoreResult SettingsStore::SaveDialogGroup(const Options& options, SaveOccasion occasion)
{
    // Rewritten from scratch so that entries unchecked since the last save go.
    // "Hidden" is kept: its count alone says how many entries count.
    m_registry.DeleteKey(KeyOf(kStickySection));
    m_registry.DeleteKey(KeyOf(kWallpapersSection));
    return Save(kDialogGroup, options, occasion);
}

StoreResult SettingsStore::SaveWindowState(const Options& options, SaveOccasion occasion)
{
    return Save(kWindowState, options, occasion);
}

StoreResult SettingsStore::Load(std::span<const StoreStep> steps, Options& options, const std::string& currentDirectory)
{
    m_result = {};
    // Opened with create rights, as every start does, so the key exists after the
    // first run; a key that cannot be created reads as missing.
    m_registry.CreateKey(m_root);
    for (const StoreStep& step : steps)
    {
        // An unreadable value has its default and its message; the rest is still read.
        switch (step.kind)
        {
        case StoreStep::kValue:
            LoadValue(*step.value, options);
            break;
        case StoreStep::kCheckList:
            LoadCheckList(*step.list, options);
            break;
        case StoreStep::kWallpapers:
            LoadWallpapers(options);
            break;
        }
        if (step.value == &kSizeX || step.value == &kSizeY)
        {
            const bool columns = step.value == &kSizeX;
            SetGridSizeText(options, columns, columns ? options.sizeXText : options.sizeYText);
        }
        if (step.value == &kSkinDir && options.skinDir == Options::kRelativeSkinDir)
        {
            // Pinned to the folder the program started in, so that later changes of
            // the current directory do not lose the skins.
            std::string dir = currentDirectory;
            if (dir.empty() || dir.back() != '\\')
            {
                dir += '\\';
            }
            dir += "skins";
            options.skinDir = std::move(dir);
        }
    }
    return m_result;
}

StoreResult SettingsStore::Save(std::span<const StoreStep> steps, const Options& options, SaveOccasion occasion)
{
    m_result = {};
    const bool sessionEnd = occasion == SaveOccasion::SessionEnd;
    for (const StoreStep& step : steps)
    {
        // At session end the monitor's size stays as the last close left it, and
        // "Hot5" is written after "Win".
        if (sessionEnd && (step.value == &kMonitorWidth || step.value == &kMonitorHeight || step.value == &kHot[4]))
        {
            continue;
        }
        const bool saved = step.kind == StoreStep::kValue       ? SaveValue(*step.value, options)
                           : step.kind == StoreStep::kCheckList ? SaveCheckList(*step.list, options)
                                                                : SaveWallpapers(options);
        if (!saved || (sessionEnd && step.value == &kWin && !SaveValue(kHot[4], options)))
        {
            break;
        }
    }
    return m_result;
}

void SettingsStore::LoadValue(const SettingValue& value, Options& options)
{
    std::string text;
    const std::string fallback = DefaultText(value);
    // Of the wrong type, the value takes its default like a missing one.
    Read(value.section, std::string(value.name), fallback, text);
    switch (value.kind)
    {
    case Flag:
        options.*value.flag = Number(text, fallback) != 0;
        break;
    case Integer:
        value.number.In(options) = std::clamp(Number(text, fallback), value.min, value.max);
        break;
    case Text:
        options.*value.text = std::move(text);
        break;
    case Fixed:
        break;
    }
}

void SettingsStore::LoadCheckList(const NumberedList& list, Options& options)
{
    CheckList& entries = options.*list.list;
    entries.Clear();
    int count = 0;
    if (!ReadCount(list.section, list.count, count))
    {
        count = CountEntries(list.section, list.prefix);
    }
    for (int n = 1; n <= count; ++n)
    {
        std::string text;
        if (!Read(list.section, Numbered(list.prefix, n), kMissingEntry, text))
        {
            continue; // an unreadable entry names no window; the others stay
        }
        // Checked wherever the sorting places it.
        entries.Add(std::move(text), true);
    }
}

void SettingsStore::LoadWallpapers(Options& options)
{
    options.wallpapers.clear();
    int count = 0;
    if (!ReadCount(kWallpapersSection, kWallpaperCount, count))
    {
        count = CountEntries(kWallpapersSection, kWallpaperFile);
    }
    // Entry k is desktop k's: an unreadable one keeps its place, as a missing one does.
    for (int n = 1; n <= count; ++n)
    {
        std::string file;
        Read(kWallpapersSection, Numbered(kWallpaperFile, n), kMissingEntry, file);
        options.wallpapers.push_back(WallpaperEntry{std::move(file), false});
        std::string tile;
        Read(kWallpapersSection, Numbered(kWallpaperTile, n), "0", tile);
        options.wallpapers.back().tile = Number(tile, "0") != 0;
    }
}

bool SettingsStore::SaveValue(const SettingValue& value, const Options& options)
{
    std::string text;
    switch (value.kind)
    {
    case Flag:
        text = FlagText(options.*value.flag);
        break;
    case Integer:
        text = std::to_string(value.number.In(options));
        break;
    case Text:
        text = options.*value.text;
        break;
    case Fixed:
        text = value.defaultText;
        break;
    }
    return Write(value.section, std::string(value.name), text);
}

bool SettingsStore::SaveCheckList(const NumberedList& list, const Options& options)
{
    int written = 0;
    for (const CheckListEntry& entry : (options.*list.list).Entries())
    {
        if (entry.checked && !Write(list.section, Numbered(list.prefix, ++written), entry.text))
        {
            return false;
        }
    }
    return Write(list.section, std::string(list.count), std::to_string(written));
}

bool SettingsStore::SaveWallpapers(const Options& options)
{
    int k = 0;
    for (const WallpaperEntry& entry : options.wallpapers)
    {
        ++k;
        if (!Write(kWallpapersSection, Numbered(kWallpaperTile, k), FlagText(entry.tile)) ||
            !Write(kWallpapersSection, Numbered(kWallpaperFile, k), entry.fileName))
        {
            return false;
        }
    }
    return Write(kWallpapersSection, std::string(kWallpaperCount), std::to_string(k));
}

bool SettingsStore::Read(std::string_view section, const std::string& name, std::string_view fallback, std::string& out)
{
    switch (m_registry.ReadString(KeyOf(section), name, out))
    {
    case RegistryRead::Ok:
        return true;
    case RegistryRead::Missing:
        out = fallback;
        return true;
    case RegistryRead::WrongType:
        break;
    }
    Report(kWrongTypeMessage, name);
    out = fallback;
    return false;
}

int SettingsStore::CountEntries(std::string_view section, std::string_view prefix)
{
    int count = 0;
    std::string ignored;
    while (count < kMaxListEntries &&
           m_registry.ReadString(KeyOf(section), Numbered(prefix, count + 1), ignored) != RegistryRead::Missing)
    {
        ++count;
    }
    return count;
}

bool SettingsStore::ReadCount(std::string_view section, std::string_view name, int& count)
{
    std::string text;
    if (!Read(section, std::string(name), "0", text))
    {
        return false;
    }
    count = std::clamp(Number(text, "0"), 0, kMaxListEntries);
    return true;
}

bool SettingsStore::Write(std::string_view section, const std::string& name, const std::string& text)
{
    if (m_registry.WriteString(KeyOf(section), name, text))
    {
        return true;
    }
    Report(kWriteFailedMessage, name);
    return false;
}

std::string SettingsStore::KeyOf(std::string_view section) const
{
    std::string key = m_root;
    key += '\\';
    key += section;
    return key;
}

void SettingsStore::Report(std::string_view message, const std::string& name)
{
    if (m_result.complete)
    {
        m_result.complete = false;
        m_result.stoppedAt = name;
    }
    std::string text(message);
    text.replace(text.find("%s"), 2, name);
    if (m_onError)
    {
        m_onError(text);
    }
}

} // namespace zim
