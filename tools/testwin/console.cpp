#include "console.h"

#include <windows.h>

#include <algorithm>

namespace zim::testwin
{
namespace
{

void WriteTo(DWORD which, std::string_view text)
{
    // Neither handle is ours to close.
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
    {
        return;
    }
    while (!text.empty())
    {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 16));
        DWORD written = 0;
        if (!WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0)
        {
            return;
        }
        text.remove_prefix(written);
    }
}

} // namespace

void WriteStdout(std::string_view text)
{
    WriteTo(STD_OUTPUT_HANDLE, text);
}

void WriteStderr(std::string_view text)
{
    WriteTo(STD_ERROR_HANDLE, text);
}

} // namespace zim::testwin
