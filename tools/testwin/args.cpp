#include "args.h"

#include "platform/win32/utf.h"

#include <algorithm>
#include <limits>

namespace zim::testwin
{
namespace
{

// Coordinates this far out are still valid window positions but leave room for X + W.
constexpr long long kMaxCoordinate = 1'000'000;

[[noreturn]] void Fail(std::wstring_view what, const std::string& problem, std::wstring_view text = {})
{
    std::string message = win32::Narrow(what) + ": " + problem;
    if (!text.empty())
    {
        message += " '" + win32::Narrow(text) + "'";
    }
    throw UsageError(message);
}

bool ParseDigits(std::wstring_view digits, unsigned base, std::uint64_t& value)
{
    if (digits.empty())
    {
        return false;
    }
    value = 0;
    for (const wchar_t c : digits)
    {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
        {
            digit = static_cast<unsigned>(c - L'0');
        }
        else if (base == 16 && c >= L'a' && c <= L'f')
        {
            digit = static_cast<unsigned>(c - L'a' + 10);
        }
        else if (base == 16 && c >= L'A' && c <= L'F')
        {
            digit = static_cast<unsigned>(c - L'A' + 10);
        }
        else
        {
            return false;
        }
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base)
        {
            return false;
        }
        value = value * base + digit;
    }
    return true;
}

} // namespace

Options::Options(const std::vector<std::wstring>& args, std::size_t first, std::initializer_list<KnownOption> known)
{
    for (std::size_t i = first; i < args.size(); ++i)
    {
        const std::wstring& name = args[i];
        const auto option =
            std::find_if(known.begin(), known.end(), [&](const KnownOption& k) { return k.name == name; });
        if (option == known.end())
        {
            Fail(L"argument", "unknown", name);
        }
        if (m_values.find(name) != m_values.end())
        {
            Fail(name, "given twice");
        }
        if (!option->takesValue)
        {
            m_values.emplace(name, std::wstring());
            continue;
        }
        if (i + 1 == args.size())
        {
            Fail(name, "needs a value");
        }
        m_values.emplace(name, args[++i]);
    }
}

const std::wstring& Options::Required(std::wstring_view name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end())
    {
        Fail(name, "is required");
    }
    return found->second;
}

std::wstring Options::Get(std::wstring_view name, std::wstring_view fallback) const
{
    const auto found = m_values.find(name);
    return found == m_values.end() ? std::wstring(fallback) : found->second;
}

long long ParseInteger(std::wstring_view text, long long min, long long max, std::wstring_view what)
{
    std::wstring_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == L'-' || digits.front() == L'+'))
    {
        negative = digits.front() == L'-';
        digits.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    // Bounds below are far inside the 64-bit range, so the cap keeps the negation exact.
    if (!ParseDigits(digits, 10, magnitude) || magnitude > static_cast<std::uint64_t>(1) << 62)
    {
        Fail(what, "not a number", text);
    }
    const long long value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value < min || value > max)
    {
        Fail(what, "out of range " + std::to_string(min) + ".." + std::to_string(max), text);
    }
    return value;
}

std::uint64_t ParseHandle(std::wstring_view text, std::wstring_view what)
{
    std::uint64_t value = 0;
    const bool hex = text.starts_with(L"0x") || text.starts_with(L"0X");
    if (!ParseDigits(hex ? text.substr(2) : text, hex ? 16 : 10, value) || value == 0)
    {
        Fail(what, "not a window handle", text);
    }
    return value;
}

RectArgument ParseRect(std::wstring_view text, std::wstring_view what)
{
    std::vector<std::wstring_view> parts;
    std::wstring_view rest = text;
    for (std::size_t comma = rest.find(L','); comma != std::wstring_view::npos; comma = rest.find(L','))
    {
        parts.push_back(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    parts.push_back(rest);
    if (parts.size() != 4)
    {
        Fail(what, "expected X,Y,W,H", text);
    }
    return RectArgument{
        static_cast<int>(ParseInteger(parts[0], -kMaxCoordinate, kMaxCoordinate, what)),
        static_cast<int>(ParseInteger(parts[1], -kMaxCoordinate, kMaxCoordinate, what)),
        static_cast<int>(ParseInteger(parts[2], 0, kMaxCoordinate, what)),
        static_cast<int>(ParseInteger(parts[3], 0, kMaxCoordinate, what)),
    };
}

} // namespace zim::testwin
