#pragma once

// Reading other processes' top-level windows without sending them messages, so that a hung
// window never blocks the caller.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace zim::testwin
{

// Every top-level window, z-order top first.
std::vector<HWND> TopLevelWindows();

std::wstring WindowClassName(HWND window);
std::wstring WindowTitle(HWND window);

// Top-level windows of exactly this class and, when given, exactly this title.
std::vector<HWND> FindTopLevelWindows(const std::wstring& className, const std::optional<std::wstring>& title);

// One `list` line, ending in '\n'; nothing when the window has gone meanwhile.
std::optional<std::string> DescribeWindow(HWND window);

} // namespace zim::testwin
