#include "window_info.h"

#include "platform/win32/utf.h"

#include <cstdio>

namespace zim::testwin
{
namespace
{

constexpr int kMaxClassName = 256;
constexpr int kMaxTitle = 1 << 20;

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

// Tabs and line breaks in a title would break the one-line, tab-separated format.
std::string OneLine(const std::wstring& text)
{
    std::string utf8 = win32::Narrow(text);
    for (char& c : utf8)
    {
        if (static_cast<unsigned char>(c) < 0x20)
        {
            c = ' ';
        }
    }
    return utf8;
}

std::string Hex(const void* handle)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return buffer;
}

} // namespace

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring WindowClassName(HWND window)
{
    wchar_t buffer[kMaxClassName + 1];
    const int length = GetClassNameW(window, buffer, kMaxClassName + 1);
    return std::wstring(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring WindowTitle(HWND window)
{
    // InternalGetWindowText reads the stored caption; GetWindowText may send WM_GETTEXT.
    std::wstring title(256, L'\0');
    for (;;)
    {
        const int length = InternalGetWindowText(window, title.data(), static_cast<int>(title.size()));
        if (length < static_cast<int>(title.size()) - 1 || static_cast<int>(title.size()) >= kMaxTitle)
        {
            title.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
            return title;
        }
        title.resize(title.size() * 2);
    }
}

std::vector<HWND> FindTopLevelWindows(const std::wstring& className, const std::optional<std::wstring>& title)
{
    std::vector<HWND> found;
    for (const HWND window : TopLevelWindows())
    {
        if (WindowClassName(window) == className && (!title || WindowTitle(window) == *title))
        {
            found.push_back(window);
        }
    }
    return found;
}

std::optional<std::string> DescribeWindow(HWND window)
{
    const std::wstring className = WindowClassName(window);
    RECT rect{};
    if (className.empty() || !GetWindowRect(window, &rect))
    {
        return std::nullopt;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const auto style = static_cast<unsigned>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<unsigned>(GetWindowLongPtrW(window, GWL_EXSTYLE));

    char numbers[256];
    std::snprintf(numbers, sizeof numbers,
                  "rect=%ld,%ld,%ld,%ld\tvisible=%d\tminimized=%d\tmaximized=%d\tstyle=0x%08x\texstyle=0x%08x\t",
                  rect.left, rect.top, rect.right, rect.bottom, IsWindowVisible(window) ? 1 : 0,
                  IsIconic(window) ? 1 : 0, IsZoomed(window) ? 1 : 0, style, exStyle);
    return "hwnd=" + Hex(window) + "\tclass=" + OneLine(className) + "\ttitle=" + OneLine(WindowTitle(window)) + "\t" +
           numbers + "owner=" + Hex(GetWindow(window, GW_OWNER)) + "\tpid=" + std::to_string(pid) + "\n";
}

} // namespace zim::testwin
