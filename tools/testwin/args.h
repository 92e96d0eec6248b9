#pragma once

// Command-line options of the form "--name value" and "--flag".

#include <cstdint>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zim::testwin
{

// A bad or unknown argument; the message is UTF-8 and names the argument.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct KnownOption
{
    std::wstring_view name; // with the leading "--"
    bool takesValue;
};

class Options
{
public:
    // Parses args[first..]; throws UsageError on an unknown, repeated or incomplete option.
    Options(const std::vector<std::wstring>& args, std::size_t first, std::initializer_list<KnownOption> known);

    bool Has(std::wstring_view name) const { return m_values.find(name) != m_values.end(); }
    // Throws UsageError when the option was not given.
    const std::wstring& Required(std::wstring_view name) const;
    // The value, or fallback when the option was not given.
    std::wstring Get(std::wstring_view name, std::wstring_view fallback) const;

private:
    std::map<std::wstring, std::wstring, std::less<>> m_values;
};

// A decimal integer in [min, max], optionally signed; what names the option in the error.
long long ParseInteger(std::wstring_view text, long long min, long long max, std::wstring_view what);

// A window handle as printed by `list` (0x hexadecimal) or in decimal.
std::uint64_t ParseHandle(std::wstring_view text, std::wstring_view what);

struct RectArgument
{
    int x;
    int y;
    int width;
    int height;
};

// "X,Y,W,H" with W and H not negative.
RectArgument ParseRect(std::wstring_view text, std::wstring_view what);

} // namespace zim::testwin
