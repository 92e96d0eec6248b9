#include "platform/win32/win32_file_system.h"

#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <algorithm>

namespace zim::win32
{

bool Win32FileSystem::FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::DirectoryExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::CreateDirectory(const std::string& path)
{
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr))
    {
        return true;
    }
    m_lastError = ::GetLastError();
    return false;
}

std::vector<DirectoryEntry> Win32FileSystem::ListDirectory(const std::string& folder, const std::string& pattern)
{
    std::wstring search = Widen(folder);
    if (!search.empty() && search.back() != L'\\' && search.back() != L'/')
    {
        search += L'\\';
    }
    search += Widen(pattern);

    std::vector<DirectoryEntry> entries;
    WIN32_FIND_DATAW data{};
    const UniqueFind find(::FindFirstFileW(search.c_str(), &data));
    if (!find)
    {
        return entries;
    }
    do
    {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..")
        {
            entries.push_back({Narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        }
    } while (::FindNextFileW(find.Get(), &data));
    return entries;
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    return ::CopyFileW(Widen(from).c_str(), Widen(to).c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32FileSystem::MoveFile(const std::string& from, const std::string& to)
{
    // Plain MoveFileW: an existing target makes the move fail instead of being lost.
    if (::MoveFileW(Widen(from).c_str(), Widen(to).c_str()))
    {
        return true;
    }
    m_lastError = ::GetLastError();
    return false;
}

std::string Win32FileSystem::LastErrorText()
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, m_lastError, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory owned(reinterpret_cast<HLOCAL>(buffer));
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"Error " + std::to_wstring(m_lastError) + L".";
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    {
        text.pop_back();
    }
    return Narrow(text);
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path)
{
    const UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        return std::nullopt;
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr))
        {
            return std::nullopt;
        }
        if (read == 0)
        {
            return contents;
        }
        contents.append(buffer, read);
    }
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& contents)
{
    const UniqueFile file(
        ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        return false;
    }
    std::size_t done = 0;
    while (done < contents.size())
    {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), contents.data() + done, chunk, &written, nullptr) || written == 0)
        {
            return false;
        }
        done += written;
    }
    return true;
}

std::string Win32FileSystem::GetCurrentDirectory()
{
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
    {
        return {};
    }
    std::wstring path(length, L'\0');
    const DWORD copied = ::GetCurrentDirectoryW(length, path.data());
    path.resize(copied < length ? copied : 0);
    return Narrow(path);
}

} // namespace zim::win32
