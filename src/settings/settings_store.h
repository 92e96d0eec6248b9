#pragma once

// The persistent settings: one registry key of the current user in the shape of
// an INI file. Sections are sub-keys and every value is text, numbers and flags
// included, so that the key reads like the file it stands for. The tables in
// settings_store.cpp give every value with its section, default and field, in
// the order it is loaded and saved.

#include "platform/platform.h"
#include "settings/options.h"

#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>

namespace zim
{

enum class ValueKind
{
    Flag,    // "1"/"0"; any non-zero number reads as true
    Integer, // decimal text; "0x" hex accepted when reading
    Text,
    Fixed, // written as its default text, never read
};

// An int of Options: a plain member or one slot of the hot key array.
struct IntField
{
    int Options::*member = nullptr;
    std::array<int, 5> Options::*slots = nullptr;
    std::size_t index = 0;

    template <typename O> auto& In(O& options) const { return member ? options.*member : (options.*slots)[index]; }
};

struct SettingValue
{
    std::string_view section;
    std::string_view name;
    ValueKind kind = ValueKind::Integer;
    // The text of a Fixed value; the others take their default from Options.
    std::string_view defaultText;
    bool Options::*flag = nullptr;
    IntField number{};
    std::string Options::*text = nullptr;
    // Integers are clamped into this range when read.
    int min = std::numeric_limits<int>::min();
    int max = std::numeric_limits<int>::max();
};

// A section holding a count and entries named prefix + 1, prefix + 2, …
struct NumberedList
{
    std::string_view section;
    std::string_view count;
    std::string_view prefix;
    CheckList Options::*list = nullptr;
};

struct StoreStep
{
    enum Kind
    {
        kValue,
        kCheckList,
        kWallpapers,
    };
    Kind kind = kValue;
    const SettingValue* value = nullptr;
    const NumberedList* list = nullptr;
};

enum class SaveOccasion
{
    Close,      // the options dialog's title-bar close, or the program's exit
    SessionEnd, // the Windows session really ends
};

// Whether a load read every value, or a save wrote every value. When not,
// `stoppedAt` names the first value that could not be read (the load went on,
// that value at its default) or the value whose write stopped the save; its
// message has gone to the error sink.
struct StoreResult
{
    bool complete = true;
    std::string stoppedAt;

    explicit operator bool() const { return complete; }
};

class SettingsStore
{
public:
    static constexpr std::string_view kDefaultRoot = "Software\\zimdesk.ini";
    // A count larger than this is taken as this: a damaged count must not make
    // the program read and list millions of "Error" entries.
    static constexpr int kMaxListEntries = 1000;

    using ErrorSink = std::function<void(const std::string& message)>;

    explicit SettingsStore(Registry& registry, ErrorSink onError = {}, std::string root = std::string(kDefaultRoot));

    // The main window's values, read when it is created.
    StoreResult LoadPartOne(Options& options);
    // Every other value. A SkinDir of exactly ".\\skins" becomes currentDirectory + "\\skins".
    StoreResult LoadPartTwo(Options& options, const std::string& currentDirectory);
    // The same through the model: the message of a stopped load goes out before
    // the model changes, and listeners hear the loaded values once.
    StoreResult LoadPartOne(OptionsModel& model);
    StoreResult LoadPartTwo(OptionsModel& model, const std::string& currentDirectory);

    // What the options dialog edits. Deletes "Sticky" and "Wallpapers" first, so
    // only checked list entries remain, numbered without gaps.
    StoreResult SaveDialogGroup(const Options& options, SaveOccasion occasion);
    // Window places, visibility and the main window's values. At session end the
    // monitor's size is left as the last close wrote it.
    StoreResult SaveWindowState(const Options& options, SaveOccasion occasion);

    // The orders of loading and saving, for walking in tests. At session end the
    // dialog group writes "Hot5" after "Win".
    static std::span<const StoreStep> PartOneOrder();
    static std::span<const StoreStep> PartTwoOrder();
    static std::span<const StoreStep> DialogGroupOrder();
    static std::span<const StoreStep> WindowStateOrder();

private:
    StoreResult Load(std::span<const StoreStep> steps, Options& options, const std::string& currentDirectory);
    StoreResult Save(std::span<const StoreStep> steps, const Options& options, SaveOccasion occasion);

    void LoadValue(const SettingValue& value, Options& options);
    void LoadCheckList(const NumberedList& list, Options& options);
    void LoadWallpapers(Options& options);
    bool SaveValue(const SettingValue& value, const Options& options);
    bool SaveCheckList(const NumberedList& list, const Options& options);
    bool SaveWallpapers(const Options& options);

    // The value's text, or `fallback` when it is missing; for a value of the
    // wrong type `fallback` too, after its message, and false.
    bool Read(std::string_view section, const std::string& name, std::string_view fallback, std::string& out);
    // An entry count, 0..kMaxListEntries; false when it could not be read.
    bool ReadCount(std::string_view section, std::string_view name, int& count);
    // With an unreadable count, the entries that are there: up to the first missing one.
    int CountEntries(std::string_view section, std::string_view prefix);
    bool Write(std::string_view section, const std::string& name, const std::string& text);
    std::string KeyOf(std::string_view section) const;
    // The message for a value that could not be read (the load goes on) or
    // written (the save stops); the first one is the result's `stoppedAt`.
    void Report(std::string_view message, const std::string& name);

    Registry& m_registry;
    ErrorSink m_onError;
    std::string m_root;
    StoreResult m_result;
};

} // namespace zim
