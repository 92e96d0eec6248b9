#pragma once

#include "platform/platform.h"

namespace zim::win32
{

// The file-system interface on kernel32. Files are read and written as bytes.
class Win32FileSystem final : public FileSystem
{
public:
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    std::vector<DirectoryEntry> ListDirectory(const std::string& folder, const std::string& pattern) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    bool MoveFile(const std::string& from, const std::string& to) override;
    std::string LastErrorText() override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool WriteFile(const std::string& path, const std::string& contents) override;
    std::string GetCurrentDirectory() override;

private:
    // Taken at the failure itself: later calls overwrite the thread's last error.
    unsigned long m_lastError = 0; // a DWORD
};

} // namespace zim::win32
