#include "app/help_file.h"

namespace zim
{

std::string OpenHelp(FileSystem& files, Shell& shell, const std::string& programFolder)
{
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '\\')
    {
        folder += '\\';
    }
    for (const char* name : {kWinHelpFile, kHtmlHelpFile})
    {
        const std::string path = folder + name;
        if (files.FileExists(path) && shell.ShellOpen(path))
        {
            return path;
        }
    }
    return {};
}

} // namespace zim
