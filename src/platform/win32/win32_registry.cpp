#include "platform/win32/win32_registry.h"

#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

namespace zim::win32
{

// Keys are relative to HKEY_CURRENT_USER whether or not they start with a
// backslash ("\\Control Panel\\desktop"); the API rejects a leading one.
static std::wstring KeyPath(const std::string& key)
{
    std::wstring path = Widen(key);
    const std::size_t first = path.find_first_not_of(L'\\');
    if (first == std::wstring::npos)
    {
        return {};
    }
    path.erase(0, first);
    path.erase(path.find_last_not_of(L'\\') + 1);
    return path;
}

static UniqueKey OpenKey(const std::string& key, REGSAM access)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(key).c_str(), 0, access, &handle) != ERROR_SUCCESS)
    {
        return {};
    }
    return UniqueKey(handle);
}

static UniqueKey OpenOrCreateKey(const std::string& key, DWORD options = REG_OPTION_NON_VOLATILE)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(key).c_str(), 0, nullptr, options, KEY_SET_VALUE, nullptr, &handle,
                          nullptr) != ERROR_SUCCESS)
    {
        return {};
    }
    return UniqueKey(handle);
}

bool Win32Registry::KeyExists(const std::string& key)
{
    // An empty path would open HKEY_CURRENT_USER itself, which is not a settings key.
    return !KeyPath(key).empty() && static_cast<bool>(OpenKey(key, KEY_READ));
}

bool Win32Registry::CreateKey(const std::string& key)
{
    // An empty path would stand for HKEY_CURRENT_USER itself.
    return !KeyPath(key).empty() && static_cast<bool>(OpenOrCreateKey(key));
}

bool Win32Registry::CreateVolatileKey(const std::string& key)
{
    const std::wstring path = KeyPath(key);
    if (path.empty())
    {
        return false;
    }
    // Created in one call, the missing parents would be volatile too, and the
    // program's ordinary keys could then never go under them.
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && !OpenOrCreateKey(Narrow(path.substr(0, slash))))
    {
        return false;
    }
    return static_cast<bool>(OpenOrCreateKey(key, REG_OPTION_VOLATILE));
}

RegistryRead Win32Registry::ReadString(const std::string& key, const std::string& name, std::string& value)
{
    const UniqueKey handle = OpenKey(key, KEY_QUERY_VALUE);
    if (!handle)
    {
        return RegistryRead::Missing;
    }
    const std::wstring valueName = Widen(name);
    DWORD type = 0;
    DWORD bytes = 0;
    LSTATUS status = ::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, nullptr, &bytes);
    std::wstring data;
    // The value may grow between the size query and the read.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
    {
        if (type != REG_SZ && type != REG_EXPAND_SZ)
        {
            return RegistryRead::WrongType;
        }
        data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_SUCCESS)
        {
            if (type != REG_SZ && type != REG_EXPAND_SZ)
            {
                return RegistryRead::WrongType;
            }
            // Stored strings need not end in NUL, and may carry several.
            data.resize(bytes / sizeof(wchar_t));
            data.erase(data.find_last_not_of(L'\0') + 1); // npos + 1 == 0: all NULs leave ""
            value = Narrow(data);
            return RegistryRead::Ok;
        }
    }
    return RegistryRead::Missing;
}

bool Win32Registry::WriteString(const std::string& key, const std::string& name, const std::string& value)
{
    const UniqueKey handle = OpenOrCreateKey(key);
    if (!handle)
    {
        return false;
    }
    const std::wstring data = Widen(value);
    return ::RegSetValueExW(handle.Get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Win32Registry::WriteDword(const std::string& key, const std::string& name, std::uint32_t value)
{
    const UniqueKey handle = OpenOrCreateKey(key);
    if (!handle)
    {
        return false;
    }
    const DWORD data = value;
    return ::RegSetValueExW(handle.Get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof(data)) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(const std::string& key, const std::string& name)
{
    const UniqueKey handle = OpenKey(key, KEY_SET_VALUE);
    return handle && ::RegDeleteValueW(handle.Get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(const std::string& key)
{
    // Never hand RegDeleteTreeW an empty path: that would empty HKEY_CURRENT_USER.
    const std::wstring path = KeyPath(key);
    return !path.empty() && ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}

} // namespace zim::win32
