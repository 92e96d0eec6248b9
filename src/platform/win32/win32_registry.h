#pragma once

#include "platform/platform.h"

namespace zim::win32
{

// The registry interface on HKEY_CURRENT_USER.
class Win32Registry final : public Registry
{
public:
    bool KeyExists(const std::string& key) override;
    bool CreateKey(const std::string& key) override;
    bool CreateVolatileKey(const std::string& key) override;
    RegistryRead ReadString(const std::string& key, const std::string& name, std::string& value) override;
    bool WriteString(const std::string& key, const std::string& name, const std::string& value) override;
    bool WriteDword(const std::string& key, const std::string& name, std::uint32_t value) override;
    bool DeleteValue(const std::string& key, const std::string& name) override;
    bool DeleteKey(const std::string& key) override;
};

} // namespace zim::win32
