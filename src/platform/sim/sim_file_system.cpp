#include "platform/sim/sim_file_system.h"

#include "platform/text.h"

#include <algorithm>

namespace zim::sim
{
namespace
{

// The system's own texts for the failures simulated here.
constexpr const char* kExists = "Cannot create a file when that file already exists.";
constexpr const char* kNoPath = "The system cannot find the path specified.";
constexpr const char* kNoFile = "The system cannot find the file specified.";
constexpr const char* kDenied = "Access is denied.";
constexpr const char* kInUse = "The process cannot access the file because it is being used by another process.";

} // namespace

SimFileSystem::SimFileSystem(std::string currentDirectory) : m_current(std::move(currentDirectory))
{
    // The drive root and the current directory exist from the start.
    std::string key = Key(m_current);
    m_entries[key.substr(0, 2)] = Entry{m_current.substr(0, 2), true, {}};
    CreateDirectory(m_current);
}

std::string SimFileSystem::Key(const std::string& path)
{
    std::string key = text::ToLowerAscii(path);
    for (char& c : key)
    {
        if (c == '/')
        {
            c = '\\';
        }
    }
    while (key.size() > 2 && key.back() == '\\')
    {
        key.pop_back();
    }
    return key;
}

std::string SimFileSystem::ParentKey(const std::string& key)
{
    const std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string SimFileSystem::LastPart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SimFileSystem::FileExists(const std::string& path)
{
    const auto it = m_entries.find(Key(path));
    return it != m_entries.end() && !it->second.isDirectory;
}

bool SimFileSystem::DirectoryExists(const std::string& path)
{
    const auto it = m_entries.find(Key(path));
    return it != m_entries.end() && it->second.isDirectory;
}

bool SimFileSystem::Fail(const char* reason)
{
    m_lastError = reason;
    return false;
}

bool SimFileSystem::Refused(const std::string& parentKey) const
{
    return std::find(m_refused.begin(), m_refused.end(), parentKey) != m_refused.end();
}

void SimFileSystem::RefuseWritesIn(const std::string& folder)
{
    m_refused.push_back(Key(folder));
}

bool SimFileSystem::CreateDirectory(const std::string& path)
{
    // Like CreateDirectory: the parent must exist, the path must not.
    const std::string key = Key(path);
    if (m_entries.count(key))
    {
        return Fail(kExists);
    }
    if (!DirectoryExists(ParentKey(key)))
    {
        return Fail(kNoPath);
    }
    if (Refused(ParentKey(key)))
    {
        return Fail(kDenied);
    }
    m_entries[key] = Entry{LastPart(path), true, {}};
    return true;
}

std::vector<DirectoryEntry> SimFileSystem::ListDirectory(const std::string& folder, const std::string& pattern)
{
    std::vector<DirectoryEntry> out;
    const std::string parent = Key(folder);
    for (const auto& [key, entry] : m_entries)
    {
        if (ParentKey(key) == parent && text::WildcardMatch(pattern, entry.name))
        {
            out.push_back({entry.name, entry.isDirectory});
        }
    }
    return out;
}

bool SimFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    const auto source = m_entries.find(Key(from));
    if (source == m_entries.end() || source->second.isDirectory)
    {
        return false;
    }
    const std::string target = Key(to);
    const auto existing = m_entries.find(target);
    if ((existing != m_entries.end() && (failIfExists || existing->second.isDirectory)) ||
        !DirectoryExists(ParentKey(target)) || Refused(ParentKey(target)))
    {
        return false;
    }
    m_entries[target] = Entry{LastPart(to), false, source->second.contents};
    return true;
}

bool SimFileSystem::MoveFile(const std::string& from, const std::string& to)
{
    const std::string source = Key(from);
    const std::string target = Key(to);
    const auto it = m_entries.find(source);
    if (it == m_entries.end())
    {
        return Fail(kNoFile);
    }
    if (m_entries.count(target))
    {
        return Fail(kExists);
    }
    if (!DirectoryExists(ParentKey(target)))
    {
        return Fail(kNoPath);
    }
    if (Refused(ParentKey(target)))
    {
        return Fail(kDenied);
    }
    if (target.size() > source.size() && target.compare(0, source.size(), source) == 0 && target[source.size()] == '\\')
    {
        return Fail(kInUse); // as the system answers a folder moved into itself
    }
    // A folder moves with everything inside it.
    std::map<std::string, Entry> moved;
    for (auto entry = m_entries.begin(); entry != m_entries.end();)
    {
        const std::string& key = entry->first;
        if (key == source ||
            (key.size() > source.size() && key.compare(0, source.size(), source) == 0 && key[source.size()] == '\\'))
        {
            moved[target + key.substr(source.size())] = std::move(entry->second);
            entry = m_entries.erase(entry);
        }
        else
        {
            ++entry;
        }
    }
    moved[target].name = LastPart(to);
    m_entries.merge(moved);
    return true;
}

std::optional<std::string> SimFileSystem::ReadFile(const std::string& path)
{
    const auto it = m_entries.find(Key(path));
    if (it == m_entries.end() || it->second.isDirectory)
    {
        return std::nullopt;
    }
    return it->second.contents;
}

bool SimFileSystem::WriteFile(const std::string& path, const std::string& contents)
{
    const std::string key = Key(path);
    const auto it = m_entries.find(key);
    if ((it != m_entries.end() && it->second.isDirectory) || !DirectoryExists(ParentKey(key)) ||
        Refused(ParentKey(key)))
    {
        return false;
    }
    m_entries[key] = Entry{LastPart(path), false, contents};
    return true;
}

} // namespace zim::sim
