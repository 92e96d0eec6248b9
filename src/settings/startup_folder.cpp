#include "settings/startup_folder.h"

#include "platform/text.h"

#include <string>
#include <vector>

namespace zim
{

void RunStartupFolder(Registry& registry, FileSystem& files, Shell& shell)
{
    std::string programs;
    if (registry.ReadString(kShellFoldersKey, "Programs", programs) != RegistryRead::Ok)
    {
        return;
    }
    programs = shell.ExpandEnvironmentStrings(programs);
    // Without the value the folder would be looked for at the root of whatever
    // drive is current: no folder of the user's.
    if (programs.empty())
    {
        return;
    }
    if (programs.back() != '\\' && programs.back() != '/')
    {
        programs += '\\';
    }
    const std::string folder = programs + kStartupFolderName + "\\";
    if (text::Utf16Length(folder) > kMaxShellPath || !files.DirectoryExists(folder))
    {
        return;
    }
    const std::vector<DirectoryEntry> entries = files.ListDirectory(folder, "*");
    for (const DirectoryEntry& entry : entries)
    {
        const std::string path = folder + entry.name;
        if (text::Utf16Length(path) > kMaxShellPath)
        {
            continue;
        }
        // Refused opens are not the user's business at start: the next entry still opens.
        shell.ShellOpen(path, folder, kStartupShow);
    }
}

} // namespace zim
