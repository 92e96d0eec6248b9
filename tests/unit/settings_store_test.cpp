#include "settings/settings_store.h"

#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace zim
{
namespace
{

constexpr const char* kRoot = "Software\\zimdesk.ini";
constexpr const char* kCwd = "C:\\Zim";
constexpr const char* kSections[] = {"Options", "ZIM", "ZIMMonitor", "Tray", "Sticky", "Hidden", "Wallpapers"};

// Joins with += : "a" + b chains trip a false -Wrestrict in GCC 12 at -O3.
template <typename... Parts> std::string Cat(const Parts&... parts)
{
    std::string out;
    ((out += parts), ...);
    return out;
}

std::string Key(const std::string& section)
{
    return Cat(kRoot, "\\", section);
}

std::vector<const SettingValue*> LoadedValues()
{
    std::vector<const SettingValue*> values;
    for (auto order : {SettingsStore::PartOneOrder(), SettingsStore::PartTwoOrder()})
    {
        for (const StoreStep& step : order)
        {
            if (step.kind == StoreStep::kValue)
            {
                values.push_back(step.value);
            }
        }
    }
    return values;
}

std::string Show(const SettingValue& value, const Options& options)
{
    switch (value.kind)
    {
    case ValueKind::Flag:
        return options.*value.flag ? "true" : "false";
    case ValueKind::Integer:
        return std::to_string(value.number.In(options));
    case ValueKind::Text:
        return options.*value.text;
    case ValueKind::Fixed:
        break;
    }
    return {};
}

std::vector<std::string> Texts(const CheckList& list, bool checkedOnly = false)
{
    std::vector<std::string> out;
    for (const CheckListEntry& entry : list.Entries())
    {
        EXPECT_TRUE(entry.checked || !checkedOnly) << entry.text;
        out.push_back(entry.text);
    }
    return out;
}

// Every loaded value differs from its default, the lists mix checked and
// unchecked entries, a position is negative.
Options Scrambled()
{
    Options o;
    int salt = 1;
    for (const SettingValue* v : LoadedValues())
    {
        if (v->kind == ValueKind::Flag)
        {
            o.*v->flag = !(o.*v->flag);
        }
        else if (v->kind == ValueKind::Integer)
        {
            int& n = v->number.In(o);
            n = std::clamp(n + salt, v->min, v->max);
        }
        else if (v->kind == ValueKind::Text)
        {
            o.*v->text += Cat("#", std::to_string(salt));
        }
        ++salt;
    }
    o.monitorLeft = -1500;
    o.stickyWindows.Add("Notepad", true);
    o.stickyWindows.Add("Calculator", false);
    o.stickyWindows.Add("Another", true);
    o.stickyClasses.Add("ExploreWClass", true);
    o.compatibilityClasses.Add("RollUp", true);
    o.compatibilityClasses.Add("Unchecked", false);
    o.wallpapers = {{"C:\\b.bmp", true}, {"", false}, {"C:\\a.bmp", false}};
    return o;
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    StoreResult LoadAll(Options& o)
    {
        const StoreResult one = m_store.LoadPartOne(o);
        const StoreResult two = m_store.LoadPartTwo(o, kCwd);
        return one ? two : one;
    }
    void SaveAll(const Options& o)
    {
        ASSERT_TRUE(m_store.SaveWindowState(o, SaveOccasion::Close));
        ASSERT_TRUE(m_store.SaveDialogGroup(o, SaveOccasion::Close));
    }
    std::string Stored(const std::string& section, const std::string& name)
    {
        const auto raw = m_registry.GetRaw(Key(section), name);
        return raw ? raw->data : "<missing>";
    }

    sim::SimRegistry m_registry;
    std::vector<std::string> m_errors;
    SettingsStore m_store{m_registry, [this](const std::string& message) { m_errors.push_back(message); }};
};

TEST_F(SettingsStoreTest, FirstRunLoadsEveryDefaultOverWhateverWasInMemory)
{
    Options o = Scrambled();
    o.sizeX = o.sizeY = 7;
    EXPECT_TRUE(LoadAll(o));
    const Options defaults;
    for (const SettingValue* v : LoadedValues())
    {
        const std::string expected = v->name == "SkinDir" ? "C:\\Zim\\skins" : Show(*v, defaults);
        EXPECT_EQ(Show(*v, o), expected) << v->name;
    }
    EXPECT_EQ(o.mainLeft, 0);
    EXPECT_EQ(o.mainTop, 224);
    EXPECT_EQ(o.monitorWidth, 120);
    EXPECT_EQ(o.monitorHeight, 100);
    EXPECT_EQ(o.monitorLeft, 0);
    EXPECT_EQ(o.monitorTop, 0);
    EXPECT_TRUE(o.monitorVisible);
    EXPECT_EQ(o.stickyWindows.Size() + o.stickyClasses.Size() + o.compatibilityClasses.Size(), 0u);
    EXPECT_TRUE(o.wallpapers.empty());
    EXPECT_EQ(o.sizeX, 3);
    EXPECT_EQ(o.sizeY, 3);
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(SettingsStoreTest, EveryLoadOpensTheKeyWithCreateRightsSoItExistsAfterTheFirstRun)
{
    Options o;
    ASSERT_TRUE(m_store.LoadPartOne(o));
    EXPECT_TRUE(m_registry.KeyExists(kRoot));
    EXPECT_FALSE(m_registry.KeyExists(Key("ZIM"))); // sections come with their first value
    EXPECT_TRUE(m_registry.DeleteKey(kRoot));
    ASSERT_TRUE(m_store.LoadPartTwo(o, kCwd));
    EXPECT_TRUE(m_registry.KeyExists(kRoot));

    // A key that cannot be created reads as missing: the defaults, no message.
    sim::SimRegistry locked;
    locked.RefuseWritesUnder(kRoot);
    SettingsStore store(locked, [this](const std::string& message) { m_errors.push_back(message); });
    EXPECT_TRUE(store.LoadPartTwo(o, kCwd));
    EXPECT_FALSE(locked.KeyExists(kRoot));
    EXPECT_EQ(o.sizeX, 3);
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(SettingsStoreTest, GridSizesKeepTheirStoredTextThroughLoadAndSave)
{
    struct Case
    {
        const char* text;
        int size;
    };
    for (const Case c : {Case{"0x4", 4}, Case{"", 0}, Case{"abc", 0}, Case{"12", 12}, Case{"-1", -1}, Case{"07", 7}})
    {
        sim::SimRegistry registry;
        registry.SetRaw(Key("Options"), "SizeX", RegistryType::String, c.text);
        registry.SetRaw(Key("Options"), "SizeY", RegistryType::String, c.text);
        SettingsStore store(registry);
        Options o;
        ASSERT_TRUE(store.LoadPartTwo(o, kCwd));
        EXPECT_EQ(o.sizeX, c.size) << c.text;
        EXPECT_EQ(o.sizeY, c.size) << c.text;
        ASSERT_TRUE(store.SaveDialogGroup(o, SaveOccasion::Close));
        EXPECT_EQ(registry.GetRaw(Key("Options"), "SizeX")->data, c.text);
        EXPECT_EQ(registry.GetRaw(Key("Options"), "SizeY")->data, c.text);
    }
}

TEST_F(SettingsStoreTest, EveryValueRoundTripsAsText)
{
    const Options saved = Scrambled();
    SaveAll(saved);
    for (const char* section : kSections)
    {
        for (const auto& [name, value] : m_registry.ValuesOf(Key(section)))
        {
            EXPECT_EQ(value.type, RegistryType::String) << section << "\\" << name;
        }
    }
    EXPECT_EQ(Stored("ZIMMonitor", "Left"), "-1500");
    EXPECT_EQ(Stored("Options", "MouseScroll"), "0");
    EXPECT_EQ(Stored("Options", "Autohide"), "1");
    EXPECT_EQ(Stored("ZIM", "Visible"), "0");
    EXPECT_EQ(Stored("ZIMMonitor", "SkinDir"), "<missing>"); // never written
    m_registry.SetRaw(Key("ZIMMonitor"), "SkinDir", RegistryType::String, saved.skinDir);

    Options loaded;
    EXPECT_TRUE(LoadAll(loaded));
    for (const SettingValue* v : LoadedValues())
    {
        EXPECT_EQ(Show(*v, loaded), Show(*v, saved)) << v->name;
    }
    EXPECT_EQ(Texts(loaded.stickyWindows, true), (std::vector<std::string>{"Another", "Notepad"}));
    EXPECT_EQ(Texts(loaded.stickyClasses, true), (std::vector<std::string>{"ExploreWClass"}));
    EXPECT_EQ(Texts(loaded.compatibilityClasses, true), (std::vector<std::string>{"RollUp"}));
    EXPECT_EQ(loaded.wallpapers, saved.wallpapers);
    EXPECT_TRUE(m_errors.empty());
}

TEST_F(SettingsStoreTest, NumbersReadDecimalOrHexAndOtherwiseTakeTheDefault)
{
    struct Case
    {
        const char* section;
        const char* name;
        const char* text;
        std::function<int(const Options&)> get;
        int expected;
    };
    const auto top = [](const Options& o) { return o.mainTop; };
    const auto autoHide = [](const Options& o) { return int{o.autoHide}; };
    const auto mouseScroll = [](const Options& o) { return int{o.mouseScroll}; };
    const auto mouseDelay = [](const Options& o) { return o.mouseDelay; };
    const auto autoHideDelay = [](const Options& o) { return o.autoHideDelay; };
    const auto sizeX = [](const Options& o) { return o.sizeX; };
    const std::vector<Case> cases = {
        {"ZIM", "Top", "0x41", top, 65},
        {"ZIM", "Top", "0X1f", top, 31},
        {"ZIM", "Top", "-7", top, -7},
        {"ZIM", "Top", "12abc", top, 224},
        {"ZIM", "Top", "", top, 224},
        {"ZIM", "Top", "0x", top, 224},
        {"ZIM", "Top", "99999999999", top, 224},
        {"Options", "Autohide", "2", autoHide, 1},
        {"Options", "Autohide", "0x0", autoHide, 0},
        {"Options", "Autohide", "yes", autoHide, 0},
        {"Options", "MouseScroll", "yes", mouseScroll, 1},
        {"Options", "MouseScroll", "0", mouseScroll, 0},
        {"Options", "MouseDelay", "0", mouseDelay, 1},
        {"Options", "MouseDelay", "3001", mouseDelay, 3000},
        {"Options", "MouseDelay", "250", mouseDelay, 250},
        {"Options", "AutoHideDelay", "1999", autoHideDelay, 2000},
        {"Options", "AutoHideDelay", "0x7fffffff", autoHideDelay, 10000},
        {"Options", "SizeX", "12", sizeX, 12},   // the grid, not the store, refuses it
        {"Options", "SizeX", "three", sizeX, 0}, // kept as text; no grid takes it
    };
    for (const Case& c : cases)
    {
        sim::SimRegistry registry;
        registry.SetRaw(Key(c.section), c.name, RegistryType::String, c.text);
        SettingsStore store(registry);
        Options o;
        EXPECT_TRUE(store.LoadPartOne(o));
        EXPECT_TRUE(store.LoadPartTwo(o, kCwd));
        EXPECT_EQ(c.get(o), c.expected) << c.name << " = \"" << c.text << "\"";
    }

    m_registry.SetRaw(Key("Options"), "HotKeys", RegistryType::String, "1");
    m_registry.SetRaw(Key("Options"), "Hot1", RegistryType::String, "0x41");
    Options o;
    EXPECT_TRUE(LoadAll(o));
    EXPECT_TRUE(o.hotKeys);
    EXPECT_EQ(o.hotKeyCodes[0], 65);
}

TEST_F(SettingsStoreTest, TextsAreTakenAsStoredExceptTheDefaultSkinFolder)
{
    struct Case
    {
        const char* cwd;
        const char* stored; // nullptr: missing
        const char* expected;
    };
    for (const Case& c : {Case{"C:\\Zim", nullptr, "C:\\Zim\\skins"}, Case{"C:\\Zim", ".\\skins", "C:\\Zim\\skins"},
                          Case{"C:\\", ".\\skins", "C:\\skins"}, Case{"C:\\Zim", ".\\Skins", ".\\Skins"},
                          Case{"C:\\Zim", "skins2", "skins2"}, Case{"C:\\Zim", "D:\\My skins", "D:\\My skins"}})
    {
        sim::SimRegistry registry;
        if (c.stored)
        {
            registry.SetRaw(Key("ZIMMonitor"), "SkinDir", RegistryType::String, c.stored);
        }
        Options o;
        EXPECT_TRUE(SettingsStore(registry).LoadPartTwo(o, c.cwd));
        EXPECT_EQ(o.skinDir, c.expected) << (c.stored ? c.stored : "missing");
    }

    // An empty skin name exists, so it is not replaced by the default.
    m_registry.SetRaw(Key("ZIMMonitor"), "Skin", RegistryType::String, "");
    m_registry.SetRaw(Key("ZIM"), "SoundFile", RegistryType::ExpandString, "%windir%\\ding.wav");
    Options o;
    EXPECT_TRUE(LoadAll(o));
    EXPECT_EQ(o.skin, "");
    EXPECT_EQ(o.soundFile, "%windir%\\ding.wav");
}

TEST_F(SettingsStoreTest, ListsCheckEveryLoadedEntryAndFillGapsWithError)
{
    m_registry.SetRaw(Key("Sticky"), "NbrOfStickyW", RegistryType::String, "3");
    m_registry.SetRaw(Key("Sticky"), "StickyW1", RegistryType::String, "Notepad");
    m_registry.SetRaw(Key("Sticky"), "NbrOfStickyWC", RegistryType::String, "-4");
    m_registry.SetRaw(Key("Sticky"), "StickyWC1", RegistryType::String, "Ignored");
    m_registry.SetRaw(Key("Hidden"), "NbrOfHiddenWC", RegistryType::String, "3");
    m_registry.SetRaw(Key("Hidden"), "HiddenWC1", RegistryType::String, "zeta");
    m_registry.SetRaw(Key("Hidden"), "HiddenWC2", RegistryType::String, "Alpha");
    m_registry.SetRaw(Key("Hidden"), "HiddenWC3", RegistryType::String, "mid");
    m_registry.SetRaw(Key("Wallpapers"), "NbrOfWallpapers", RegistryType::String, "3");
    m_registry.SetRaw(Key("Wallpapers"), "FileName1", RegistryType::String, "b.bmp");
    m_registry.SetRaw(Key("Wallpapers"), "Tile1", RegistryType::String, "1");
    m_registry.SetRaw(Key("Wallpapers"), "FileName3", RegistryType::String, "a.bmp");

    Options o;
    EXPECT_TRUE(LoadAll(o));
    EXPECT_EQ(Texts(o.stickyWindows, true), (std::vector<std::string>{"Error", "Error", "Notepad"}));
    EXPECT_EQ(o.stickyClasses.Size(), 0u);
    EXPECT_EQ(Texts(o.compatibilityClasses, true), (std::vector<std::string>{"Alpha", "mid", "zeta"}));
    EXPECT_EQ(o.wallpapers,
              (std::vector<WallpaperEntry>{{"b.bmp", true}, {"Error", false}, {"a.bmp", false}})); // not sorted

    // A damaged count costs a bounded number of reads and entries.
    for (const char* count : {"1001", "2000000000"})
    {
        m_registry.SetRaw(Key("Sticky"), "NbrOfStickyWC", RegistryType::String, count);
        EXPECT_TRUE(LoadAll(o));
        ASSERT_EQ(o.stickyClasses.Size(), 1000u); // before trying the huge count
    }
}

TEST_F(SettingsStoreTest, DialogSaveRewritesStickyAndWallpapersButLeavesHiddenLeftovers)
{
    Options o;
    for (const char* name : {"A", "B", "C", "D"})
    {
        o.compatibilityClasses.Add(name, true);
        o.stickyClasses.Add(name, true);
    }
    o.wallpapers = {{"1.bmp", false}, {"2.bmp", true}};
    ASSERT_TRUE(m_store.SaveDialogGroup(o, SaveOccasion::Close));

    o.compatibilityClasses.SetChecked(0, false);
    o.compatibilityClasses.SetChecked(2, false);
    o.stickyClasses.SetChecked(1, false);
    o.wallpapers.pop_back();
    ASSERT_TRUE(m_store.SaveDialogGroup(o, SaveOccasion::Close));

    EXPECT_EQ(Stored("Hidden", "NbrOfHiddenWC"), "2");
    EXPECT_EQ(Stored("Hidden", "HiddenWC1"), "B");
    EXPECT_EQ(Stored("Hidden", "HiddenWC2"), "D");
    EXPECT_EQ(Stored("Hidden", "HiddenWC3"), "C"); // left behind, never read
    EXPECT_EQ(Stored("Hidden", "HiddenWC4"), "D");
    EXPECT_EQ(m_registry.ValuesOf(Key("Sticky")).size(), 5u); // two counts and StickyWC1..3, no StickyWC4
    EXPECT_EQ(Stored("Sticky", "StickyWC2"), "C");
    EXPECT_EQ(Stored("Sticky", "StickyWC3"), "D");
    EXPECT_EQ(Stored("Wallpapers", "FileName2"), "<missing>");

    Options loaded;
    EXPECT_TRUE(LoadAll(loaded));
    EXPECT_EQ(Texts(loaded.compatibilityClasses, true), (std::vector<std::string>{"B", "D"}));
    EXPECT_EQ(Texts(loaded.stickyClasses, true), (std::vector<std::string>{"A", "C", "D"}));
}

// Passes every call on to the simulated registry and records the writes and deletes.
class RecordingRegistry final : public Registry
{
public:
    explicit RecordingRegistry(sim::SimRegistry& inner) : m_inner(inner) {}

    bool KeyExists(const std::string& key) override { return m_inner.KeyExists(key); }
    bool CreateKey(const std::string& key) override { return m_inner.CreateKey(key); }
    bool CreateVolatileKey(const std::string& key) override { return m_inner.CreateVolatileKey(key); }
    RegistryRead ReadString(const std::string& key, const std::string& name, std::string& value) override
    {
        reads.push_back(Cat(Relative(key), "\\", name));
        return m_inner.ReadString(key, name, value);
    }
    bool WriteString(const std::string& key, const std::string& name, const std::string& value) override
    {
        log.push_back(Cat(Relative(key), "\\", name));
        return m_inner.WriteString(key, name, value);
    }
    bool WriteDword(const std::string& key, const std::string& name, std::uint32_t value) override
    {
        return m_inner.WriteDword(key, name, value);
    }
    bool DeleteValue(const std::string& key, const std::string& name) override
    {
        return m_inner.DeleteValue(key, name);
    }
    bool DeleteKey(const std::string& key) override
    {
        log.push_back(Cat("-", Relative(key)));
        return m_inner.DeleteKey(key);
    }

    std::vector<std::string> log;
    std::vector<std::string> reads;

private:
    static std::string Relative(const std::string& key) { return key.substr(std::string(kRoot).size() + 1); }
    sim::SimRegistry& m_inner;
};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> groups)
{
    std::vector<std::string> out;
    for (const auto& group : groups)
    {
        out.insert(out.end(), group.begin(), group.end());
    }
    return out;
}

std::vector<std::string> InSection(const std::string& section, std::initializer_list<const char*> names)
{
    std::vector<std::string> out;
    for (const char* name : names)
    {
        out.push_back(Cat(section, "\\", name));
    }
    return out;
}

TEST_F(SettingsStoreTest, LoadsReadInTheirOrder)
{
    Options o;
    o.stickyWindows.Add("Notepad", true);
    o.wallpapers = {{"a.bmp", true}};
    ASSERT_TRUE(m_store.SaveDialogGroup(o, SaveOccasion::Close));
    RecordingRegistry recorder(m_registry);
    SettingsStore store(recorder);

    ASSERT_TRUE(store.LoadPartOne(o));
    EXPECT_EQ(recorder.reads,
              (std::vector<std::string>{"ZIM\\Left", "ZIM\\Top", "ZIM\\SoundFile", "ZIM\\SysMenuEnabled",
                                        "ZIMMonitor\\CurrentDesktop", "Tray\\Arrows"}));
    recorder.reads.clear();
    ASSERT_TRUE(store.LoadPartTwo(o, kCwd));
    EXPECT_EQ(recorder.reads,
              Joined({
                  InSection("Options",
                            {"SizeX", "SizeY", "Autohide", "MouseScroll", "WrapCursor", "TaskSwitch", "AllwaysOnTop"}),
                  InSection("ZIM", {"CloseWhenSelected"}),
                  InSection("Options", {"HideAllWC"}),
                  InSection("ZIMMonitor", {"SkinDir"}),
                  InSection("Options",
                            {"Hot1", "Hot2", "Hot3", "Hot4", "Hot5", "MShift", "MControl", "MAlt", "Shift", "Control",
                             "Alt", "Win", "HotKeys", "MouseDelay", "AutoHideDelay", "ShowWndNames", "ShowWndIcons"}),
                  InSection("ZIMMonitor", {"Skin"}),
                  InSection("Sticky", {"NbrOfStickyW", "StickyW1", "NbrOfStickyWC"}),
                  InSection("Hidden", {"NbrOfHiddenWC"}),
                  InSection("Wallpapers", {"NbrOfWallpapers", "FileName1", "Tile1", "Enabled", "UpdateProfile"}),
                  InSection("ZIMMonitor", {"Width", "Height", "Visible", "Left", "Top"}),
              }));
}

TEST_F(SettingsStoreTest, SavesWriteInTheirOrderAndSessionEndKeepsTheMonitorSize)
{
    RecordingRegistry recorder(m_registry);
    SettingsStore store(recorder);
    Options o;
    o.stickyWindows.Add("Notepad", true);
    o.wallpapers = {{"a.bmp", true}};
    o.monitorWidth = 300;

    ASSERT_TRUE(store.SaveWindowState(o, SaveOccasion::Close));
    ASSERT_TRUE(store.SaveDialogGroup(o, SaveOccasion::Close));
    const std::vector<std::string> windowState = Joined({
        InSection("ZIM", {"Left", "Top"}),
        InSection("ZIMMonitor", {"Left", "Top", "Width", "Height", "Visible"}),
        InSection("Tray", {"Arrows"}),
        InSection("ZIM", {"SoundFile", "Visible"}),
        InSection("ZIMMonitor", {"CurrentDesktop"}),
        InSection("ZIM", {"SysMenuEnabled"}),
    });
    std::vector<std::string> dialog = Joined({
        {"-Sticky", "-Wallpapers"},
        InSection("Options", {"SizeX", "SizeY", "Autohide", "MouseScroll", "WrapCursor", "TaskSwitch", "AllwaysOnTop"}),
        InSection("ZIM", {"CloseWhenSelected"}),
        InSection("Options",
                  {"HideAllWC", "Hot1", "Hot2", "Hot3", "Hot4", "Hot5", "Shift", "Control", "Alt", "Win", "MShift",
                   "MControl", "MAlt", "HotKeys", "MouseDelay", "AutoHideDelay", "ShowWndNames", "ShowWndIcons"}),
        InSection("ZIMMonitor", {"Skin"}),
        InSection("Sticky", {"StickyW1", "NbrOfStickyW", "NbrOfStickyWC"}),
        InSection("Hidden", {"NbrOfHiddenWC"}),
        InSection("Wallpapers", {"Tile1", "FileName1", "NbrOfWallpapers", "Enabled", "UpdateProfile"}),
    });
    EXPECT_EQ(recorder.log, Joined({windowState, dialog}));

    // Session end: no monitor size, and "Hot5" comes after "Win".
    recorder.log.clear();
    o.monitorWidth = 500;
    o.mainLeft = 42;
    ASSERT_TRUE(store.SaveWindowState(o, SaveOccasion::SessionEnd));
    ASSERT_TRUE(store.SaveDialogGroup(o, SaveOccasion::SessionEnd));
    std::vector<std::string> sessionEnd = windowState;
    std::erase(sessionEnd, "ZIMMonitor\\Width");
    std::erase(sessionEnd, "ZIMMonitor\\Height");
    std::erase(dialog, "Options\\Hot5");
    dialog.insert(std::find(dialog.begin(), dialog.end(), "Options\\Win") + 1, "Options\\Hot5");
    EXPECT_EQ(recorder.log, Joined({sessionEnd, dialog}));
    EXPECT_EQ(Stored("ZIMMonitor", "Width"), "300");
    EXPECT_EQ(Stored("ZIM", "Left"), "42");
}

TEST_F(SettingsStoreTest, AValueOfTheWrongTypeTakesItsDefaultAfterItsMessageAndEveryOtherValueIsRead)
{
    const Options saved = Scrambled();
    SaveAll(saved);
    Options clean;
    ASSERT_TRUE(LoadAll(clean));
    const std::vector<const SettingValue*> values = LoadedValues();
    for (std::size_t bad = 0; bad < values.size(); ++bad)
    {
        sim::SimRegistry registry;
        for (const char* section : kSections)
        {
            for (const auto& [name, value] : m_registry.ValuesOf(Key(section)))
            {
                registry.SetRaw(Key(section), name, value.type, value.data);
            }
        }
        registry.SetRaw(Key("ZIMMonitor"), "SkinDir", RegistryType::String, saved.skinDir);
        registry.SetRaw(Key(std::string(values[bad]->section)), std::string(values[bad]->name),
                        bad % 2 ? RegistryType::Dword : RegistryType::Binary, "7");
        std::vector<std::string> errors;
        SettingsStore store(registry, [&](const std::string& message) { errors.push_back(message); });

        Options o;
        const StoreResult one = store.LoadPartOne(o);
        const StoreResult two = store.LoadPartTwo(o, kCwd);
        const std::string name(values[bad]->name);
        EXPECT_EQ(errors, std::vector<std::string>{Cat("Invalid data type for '", name, "'")});
        const std::size_t partOne = SettingsStore::PartOneOrder().size();
        EXPECT_EQ(one.complete, bad >= partOne);
        EXPECT_EQ(two.complete, bad < partOne);
        EXPECT_EQ(one ? two.stoppedAt : one.stoppedAt, name);
        const Options defaults;
        for (std::size_t i = 0; i < values.size(); ++i)
        {
            // The default skin folder is pinned to the start folder, as at every load.
            const std::string expected = i == bad && values[i]->name == "SkinDir"
                                             ? Cat(kCwd, "\\skins")
                                             : Show(*values[i], i == bad ? defaults : saved);
            EXPECT_EQ(Show(*values[i], o), expected) << values[i]->name << " with " << name << " wrong";
        }
        // The lists are read whatever came before them, so the next save keeps them.
        EXPECT_EQ(o.wallpapers, clean.wallpapers) << name;
        EXPECT_EQ(o.stickyWindows, clean.stickyWindows) << name;
        EXPECT_EQ(o.stickyClasses, clean.stickyClasses) << name;
        EXPECT_EQ(o.compatibilityClasses, clean.compatibilityClasses) << name;
    }
}

TEST_F(SettingsStoreTest, AWrongTypeInsideAListLosesOnlyThatEntryAndAnUnreadableCountStillFindsTheEntries)
{
    SaveAll(Scrambled());
    Options clean;
    ASSERT_TRUE(LoadAll(clean));
    m_registry.SetRaw(Key("Sticky"), "StickyW2", RegistryType::Dword, "1");
    Options o;
    const StoreResult result = LoadAll(o);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.stoppedAt, "StickyW2");
    EXPECT_EQ(Texts(o.stickyWindows), std::vector<std::string>{"Another"});
    EXPECT_EQ(o.stickyClasses, clean.stickyClasses) << "read after the bad entry";
    EXPECT_EQ(o.monitorWidth, clean.monitorWidth);

    // A wallpaper keeps its desktop's place: an unreadable tile flag is "not tiled".
    m_registry.SetRaw(Key("Sticky"), "StickyW2", RegistryType::String, "Notepad");
    m_registry.SetRaw(Key("Wallpapers"), "Tile1", RegistryType::Binary, "");
    EXPECT_EQ(LoadAll(o).stoppedAt, "Tile1");
    ASSERT_EQ(o.wallpapers.size(), clean.wallpapers.size());
    ASSERT_TRUE(clean.wallpapers[0].tile);
    EXPECT_FALSE(o.wallpapers[0].tile);
    EXPECT_EQ(o.wallpapers[0].fileName, clean.wallpapers[0].fileName);

    // The count itself unreadable: the entries that are there are counted.
    m_registry.SetRaw(Key("Wallpapers"), "Tile1", RegistryType::String, "1");
    m_registry.SetRaw(Key("Sticky"), "NbrOfStickyW", RegistryType::Dword, "2");
    m_registry.SetRaw(Key("Wallpapers"), "NbrOfWallpapers", RegistryType::Dword, "3");
    EXPECT_EQ(LoadAll(o).stoppedAt, "NbrOfStickyW");
    EXPECT_EQ(o.stickyWindows, clean.stickyWindows);
    EXPECT_EQ(o.wallpapers, clean.wallpapers);
    EXPECT_EQ(m_errors, (std::vector<std::string>{"Invalid data type for 'StickyW2'", "Invalid data type for 'Tile1'",
                                                  "Invalid data type for 'NbrOfStickyW'",
                                                  "Invalid data type for 'NbrOfWallpapers'"}));
}

TEST_F(SettingsStoreTest, ARefusedWriteStopsTheSaveAtThatValue)
{
    const Options o = Scrambled();
    m_registry.RefuseWritesUnder(Key("Hidden"));
    const StoreResult dialog = m_store.SaveDialogGroup(o, SaveOccasion::Close);
    EXPECT_FALSE(dialog);
    EXPECT_EQ(dialog.stoppedAt, "HiddenWC1");
    EXPECT_EQ(Stored("ZIMMonitor", "Skin"), o.skin);
    EXPECT_EQ(Stored("Sticky", "NbrOfStickyWC"), "1");
    EXPECT_FALSE(m_registry.KeyExists(Key("Wallpapers")));

    m_registry.RefuseWritesUnder(Key("ZIM"));
    const StoreResult windows = m_store.SaveWindowState(o, SaveOccasion::Close);
    EXPECT_EQ(windows.stoppedAt, "Left");
    EXPECT_EQ(Stored("ZIMMonitor", "Left"), "<missing>");
    EXPECT_EQ(m_errors,
              (std::vector<std::string>{"Failed to set data for 'HiddenWC1'", "Failed to set data for 'Left'"}));
}

TEST_F(SettingsStoreTest, LoadingThroughTheModelTellsListenersOnceAfterTheMessage)
{
    m_registry.SetRaw(Key("Options"), "SizeX", RegistryType::String, "5");
    m_registry.SetRaw(Key("Options"), "Hot3", RegistryType::Dword, "1");
    m_registry.SetRaw(Key("Options"), "MouseDelay", RegistryType::String, "5");
    OptionsModel model;
    std::vector<std::string> events;
    model.Subscribe(OptionSet::All(), [&](const Options& o, const OptionSet&)
                    { events.push_back(Cat("heard ", std::to_string(o.sizeX))); });
    SettingsStore store(m_registry, [&](const std::string& message) { events.push_back(message); });
    EXPECT_FALSE(store.LoadPartTwo(model, kCwd));
    EXPECT_EQ(events, (std::vector<std::string>{"Invalid data type for 'Hot3'", "heard 5"}));
    EXPECT_EQ(model.Get().skinDir, "C:\\Zim\\skins");
    EXPECT_EQ(model.Get().mouseDelay, 5); // read after the unreadable value
}

} // namespace
} // namespace zim
