#include "skins/skin_install.h"

namespace zim::skins
{
namespace
{

std::string Join(const std::string& folder, std::string_view name)
{
    if (folder.empty())
    {
        return std::string(name);
    }
    const bool slash = folder.back() == '\\' || folder.back() == '/';
    return folder + (slash ? "" : "\\") + std::string(name);
}

bool HasDefaultSkin(FileSystem& files, const std::string& folder)
{
    return files.FileExists(Join(folder, kDefaultSkinFile)) && files.FileExists(Join(folder, kDefaultSkinBitmap));
}

// The folder holding a base folder's shipped files: itself, or its "data" folder.
std::string SourceFolder(FileSystem& files, const std::string& base)
{
    const std::string data = Join(base, kDataFolderName);
    if (!HasDefaultSkin(files, base) && HasDefaultSkin(files, data))
    {
        return data;
    }
    return base;
}

bool HasSkins(FileSystem& files, const std::string& folder)
{
    return HasDefaultSkin(files, Join(folder, kSkinFolderName)) || HasDefaultSkin(files, SourceFolder(files, folder));
}

} // namespace

std::string ChooseBaseFolder(FileSystem& files, const std::string& workingFolder, const std::string& programFolder)
{
    if (programFolder.empty() || HasSkins(files, workingFolder))
    {
        return workingFolder;
    }
    return programFolder;
}

SkinInstallResult InstallDefaultSkins(FileSystem& files, const std::string& workingFolder,
                                      const std::string& programFolder)
{
    SkinInstallResult result;
    result.baseFolder = ChooseBaseFolder(files, workingFolder, programFolder);
    result.skinFolder = Join(result.baseFolder, kSkinFolderName);
    result.sourceFolder = SourceFolder(files, result.baseFolder);

    // The fonts, whether there or not; AddFontResource's failure is silent.
    for (std::string_view font : kFontFiles)
    {
        result.fontFiles.push_back(Join(result.sourceFolder, font));
    }

    const auto copy = [&](std::string_view name)
    {
        if (files.CopyFile(Join(result.sourceFolder, name), Join(result.skinFolder, name), false))
        {
            result.copied.emplace_back(name);
        }
    };

    // A missing skin folder is made and filled; missing files are skipped.
    if (!files.DirectoryExists(result.skinFolder))
    {
        result.createdSkinFolder = files.CreateDirectory(result.skinFolder);
        for (std::string_view name : kShippedSkinFiles)
        {
            copy(name);
        }
    }

    // The default skin must be there, or the program cannot start.
    if (!HasDefaultSkin(files, result.skinFolder))
    {
        if (HasDefaultSkin(files, result.sourceFolder))
        {
            copy(kDefaultSkinFile);
            copy(kDefaultSkinBitmap);
        }
        else
        {
            result.outcome = SkinInstallResult::Outcome::ExitWithMessage;
            result.message = std::string(kMissingDefaultSkinMessage);
        }
    }
    return result;
}

} // namespace zim::skins
