#include "platform/win32/win32_profile.h"

#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <string>

namespace zim::win32
{
namespace
{

// GetPrivateProfileStringW with the given default, the whole value however long:
// the buffer grows while the function reports that it cut the text.
std::wstring Read(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                  const wchar_t* fallback)
{
    std::wstring buffer(1024, L'\0');
    for (;;)
    {
        const DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback, buffer.data(),
                                                        static_cast<DWORD>(buffer.size()), path.c_str());
        // A cut value comes back with size - 1 characters; 1 MiB is more than any
        // skin value can need, so a larger one is taken as cut there.
        if (length + 1 < buffer.size() || buffer.size() >= (1u << 20))
        {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::optional<std::string> Win32ProfileFiles::GetString(const std::string& path, const std::string& section,
                                                        const std::string& key)
{
    const std::wstring widePath = Widen(path);
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    // The function cannot say "missing"; a value that equals two different
    // defaults is one that the file does not hold.
    std::wstring value = Read(widePath, wideSection, wideKey, L"\x01");
    if (value == L"\x01" && Read(widePath, wideSection, wideKey, L"\x02") == L"\x02")
    {
        return std::nullopt;
    }
    return Narrow(value);
}

bool Win32ProfileFiles::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                    const std::string& value)
{
    return ::WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                        Widen(path).c_str()) != FALSE;
}

} // namespace zim::win32
