#pragma once

#include "platform/profile.h"

namespace zim::win32
{

// Private-profile files through GetPrivateProfileStringW and
// WritePrivateProfileStringW, so that the system's own INI rules apply.
class Win32ProfileFiles final : public ProfileFiles
{
public:
    std::optional<std::string> GetString(const std::string& path, const std::string& section,
                                         const std::string& key) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

} // namespace zim::win32
