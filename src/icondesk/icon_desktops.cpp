#include "icondesk/icon_desktops.h"

#include "platform/text.h"

#include <vector>

namespace zim
{
namespace
{

std::string Join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
    {
        return folder + name;
    }
    return folder + "\\" + name;
}

// Creates a folder unless it is there; the message of a failure, or nothing.
std::optional<std::string> EnsureFolder(FileSystem& files, const std::string& path)
{
    if (files.DirectoryExists(path) || files.CreateDirectory(path))
    {
        return std::nullopt;
    }
    return "Cannot create the folder \"" + path + "\": " + files.LastErrorText();
}

} // namespace

std::string IconSetFolderName(int set)
{
    return "Icon Desktop " + std::to_string(set);
}

std::optional<std::string> DesktopFolder(Registry& registry, FileSystem& files)
{
    std::string desktop;
    if (registry.ReadString(kShellFoldersKey, "Desktop", desktop) != RegistryRead::Ok || desktop.empty() ||
        !files.DirectoryExists(desktop))
    {
        return std::nullopt;
    }
    return desktop;
}

std::optional<std::string> MoveIconFolderContents(Registry& registry, FileSystem& files, int current,
                                                  const std::string& source, const std::string& target)
{
    const std::optional<std::string> desktop = DesktopFolder(registry, files);
    if (!desktop)
    {
        return std::nullopt;
    }
    const std::string storage = Join(*desktop, kIconStorageName);
    if (auto failure = EnsureFolder(files, storage))
    {
        return failure;
    }
    if (auto failure = EnsureFolder(files, Join(storage, IconSetFolderName(current))))
    {
        return failure;
    }
    const auto resolve = [&](const std::string& name)
    { return name == kDesktopFolderName ? *desktop : Join(storage, name); };
    const std::string from = resolve(source);
    const std::string to = resolve(target);
    // A set folder that was never made simply has nothing to give.
    const std::vector<DirectoryEntry> entries = files.ListDirectory(from, "*");
    for (const DirectoryEntry& entry : entries)
    {
        if (source == kDesktopFolderName && text::EqualsNoCase(entry.name, kIconStorageName))
        {
            continue;
        }
        // A name taken in the target leaves the entry where it is: nothing is overwritten.
        files.MoveFile(Join(from, entry.name), Join(to, entry.name));
    }
    return std::nullopt;
}

std::optional<std::string> SwitchIconDesktop(Registry& registry, FileSystem& files, int current, int target)
{
    if (auto failure = MoveIconFolderContents(registry, files, current, kDesktopFolderName, IconSetFolderName(current)))
    {
        return failure;
    }
    return MoveIconFolderContents(registry, files, current, IconSetFolderName(target), kDesktopFolderName);
}

IconDesktopSwitcher::IconDesktopSwitcher(Registry& registry, FileSystem& files, OptionsModel& options,
                                         ErrorSink showError)
    : m_registry(registry), m_files(files), m_options(options), m_showError(std::move(showError)),
      m_current(options.Get().iconDesktop)
{
    m_subscription = m_options.Subscribe({Option::IconDesktop},
                                         [this](const Options& o, const OptionSet&) { OnChanged(o.iconDesktop); });
}

IconDesktopSwitcher::~IconDesktopSwitcher()
{
    m_options.Unsubscribe(m_subscription);
}

void IconDesktopSwitcher::OnChanged(int requested)
{
    if (requested == m_current)
    {
        return; // the number put back after a refusal
    }
    std::optional<std::string> failure;
    if (requested >= 1 && requested <= Options::kIconDesktops)
    {
        failure = SwitchIconDesktop(m_registry, m_files, m_current, requested);
        if (!failure)
        {
            m_current = requested;
            return;
        }
    }
    const int previous = m_current;
    m_options.Update([previous](Options& o) { o.iconDesktop = previous; });
    // Shown once the number is back: the message box runs messages of its own.
    if (failure && m_showError)
    {
        m_showError(*failure);
    }
}

} // namespace zim
