#pragma once

#include "platform/platform.h"

namespace zim::win32
{

// Sounds, environment strings and opening documents.
class Win32Shell final : public Shell
{
public:
    void PlaySoundAsync(const std::string& file) override;
    std::string ExpandEnvironmentStrings(const std::string& text) override;
    bool ShellOpen(const std::string& path) override;
    bool ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show) override;
};

} // namespace zim::win32
