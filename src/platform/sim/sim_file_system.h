#pragma once

#include "platform/platform.h"

#include <map>
#include <string>
#include <vector>

namespace zim::sim
{

// An in-memory file system with Windows rules: paths ignore case, either slash
// separates, a move onto an existing file fails, a folder cannot move into itself.
class SimFileSystem final : public FileSystem
{
public:
    explicit SimFileSystem(std::string currentDirectory = "C:\\ZimDesk");

    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    std::vector<DirectoryEntry> ListDirectory(const std::string& folder, const std::string& pattern) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    bool MoveFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool WriteFile(const std::string& path, const std::string& contents) override;
    std::string GetCurrentDirectory() override { return m_current; }
    std::string LastErrorText() override { return m_lastError; }

    // Nothing can be created in or moved into this folder from now on ("Access is
    // denied."), as in a folder without write rights.
    void RefuseWritesIn(const std::string& folder);

private:
    struct Entry
    {
        std::string name; // as created
        bool isDirectory = false;
        std::string contents;
    };
    static std::string Key(const std::string& path);
    static std::string ParentKey(const std::string& key);
    static std::string LastPart(const std::string& path);
    bool Fail(const char* reason);
    bool Refused(const std::string& parentKey) const;

    std::string m_current;
    std::map<std::string, Entry> m_entries; // normalised path -> entry
    std::vector<std::string> m_refused;     // normalised folder paths
    std::string m_lastError;
};

} // namespace zim::sim
