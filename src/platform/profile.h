#pragma once

// Private-profile (INI) files, read and written one key at a time on a full path
// as GetPrivateProfileString and WritePrivateProfileString do: sections and keys
// the caller does not know survive every write, and the first write creates a
// missing file. Skin files go through this. Text is UTF-8.

#include <optional>
#include <string>

namespace zim
{

class ProfileFiles
{
public:
    ProfileFiles() = default;
    ProfileFiles(const ProfileFiles&) = delete;
    ProfileFiles& operator=(const ProfileFiles&) = delete;
    virtual ~ProfileFiles() = default;

    // The value of key in section (names compare without case), with the blanks
    // around it removed; nothing when the file, the section or the key is missing.
    virtual std::optional<std::string> GetString(const std::string& path, const std::string& section,
                                                 const std::string& key) = 0;
    // Replaces the key's value or adds the key (and its section); false when the
    // file cannot be written.
    virtual bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

} // namespace zim
