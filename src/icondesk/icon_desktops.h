#pragma once

// Six sets of desktop icons: one set lies in the user's desktop folder, the
// others wait in "Icon Desktops\\Icon Desktop n" inside it. A switch parks the
// desktop's entries in the current set's folder and brings the chosen set's
// entries onto the desktop.

#include "platform/platform.h"
#include "settings/options.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace zim
{

// The folder name that stands for the desktop folder itself.
inline constexpr const char* kDesktopFolderName = "Desk";
inline constexpr const char* kIconStorageName = "Icon Desktops";

// The folder of set n: "Icon Desktop n".
std::string IconSetFolderName(int set);

// The user's desktop folder, read afresh: nothing when the value is missing,
// empty, not text, or not an existing folder, so that no other folder (the
// drive's root for an empty value) is ever emptied into a storage folder.
std::optional<std::string> DesktopFolder(Registry& registry, FileSystem& files);

// Moves every entry of the folder named `source` into the folder named `target`
// ("Desk" for the desktop, any other name a folder of the storage root), one by
// one; an entry that cannot move (its name taken in the target, say) stays
// where it is, and the storage root never leaves the desktop. The storage root
// and the folder of set `current` are created first when missing. Returns the
// message of a failed creation, and then nothing has moved. Without a desktop
// folder nothing is created or moved.
std::optional<std::string> MoveIconFolderContents(Registry& registry, FileSystem& files, int current,
                                                  const std::string& source, const std::string& target);

// Parks the desktop in set `current` and brings set `target` onto it. Returns
// the message of a failed folder creation: the switch stopped there and
// `current` is still the set on the desktop.
std::optional<std::string> SwitchIconDesktop(Registry& registry, FileSystem& files, int current, int target);

// Makes the desktop follow the options' icon desktop number: each change runs a
// switch from the set before to the new one. A switch that fails, or a number
// outside 1..6, puts the number back, so that every control showing it stays
// true to the folder; the message of a failure is shown after that.
class IconDesktopSwitcher
{
public:
    using ErrorSink = std::function<void(const std::string& message)>;

    // The number in the options now is taken as the set on the desktop: nothing moves at start.
    IconDesktopSwitcher(Registry& registry, FileSystem& files, OptionsModel& options, ErrorSink showError);
    IconDesktopSwitcher(const IconDesktopSwitcher&) = delete;
    IconDesktopSwitcher& operator=(const IconDesktopSwitcher&) = delete;
    ~IconDesktopSwitcher();

    int Current() const { return m_current; }

private:
    void OnChanged(int requested);

    Registry& m_registry;
    FileSystem& m_files;
    OptionsModel& m_options;
    ErrorSink m_showError;
    int m_current;
    std::size_t m_subscription = 0;
};

} // namespace zim
