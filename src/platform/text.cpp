#include "platform/text.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace zim::text
{
namespace
{

// Decodes one code point; a malformed byte stands for itself (0xDC00 + byte) so
// that comparison stays total and never reads past the end.
char32_t Next(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int length = 0;
    char32_t cp = 0;
    if (b0 < 0x80)
    {
        ++i;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0)
    {
        length = 2;
        cp = b0 & 0x1F;
    }
    else if ((b0 & 0xF0) == 0xE0)
    {
        length = 3;
        cp = b0 & 0x0F;
    }
    else if ((b0 & 0xF8) == 0xF0)
    {
        length = 4;
        cp = b0 & 0x07;
    }
    if (length == 0 || i + length > s.size())
    {
        ++i;
        return 0xDC00 + b0;
    }
    for (int k = 1; k < length; ++k)
    {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
        {
            ++i;
            return 0xDC00 + b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += length;
    return cp;
}

char32_t Fold(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
    {
        return c + 32;
    }
    if (c < 0xC0)
    {
        return c;
    }
    // Latin-1: À..Þ except ×
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
    {
        return c + 32;
    }
    // Latin Extended-A: pairs, upper case on the even (or odd) code point.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    {
        return c | 1;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    {
        return (c & 1) ? c + 1 : c;
    }
    if (c == 0x178)
    {
        return 0xFF;
    }
    // Greek
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
    {
        return c + 32;
    }
    // Cyrillic
    if (c >= 0x410 && c <= 0x42F)
    {
        return c + 32;
    }
    if (c >= 0x400 && c <= 0x40F)
    {
        return c + 80;
    }
    return c;
}

} // namespace

std::string ToLowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
    {
        if (c >= 'A' && c <= 'Z')
        {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size())
    {
        const char32_t ca = Fold(Next(a, i));
        const char32_t cb = Fold(Next(b, j));
        if (ca != cb)
        {
            return ca < cb ? -1 : 1;
        }
    }
    if (i < a.size())
    {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

std::string FoldNoCase(std::string_view s)
{
    std::string folded;
    folded.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
    {
        const auto byte = static_cast<unsigned char>(s[i]);
        if (byte < 0x80) // the common case, without decoding
        {
            folded.push_back(static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte));
            ++i;
            continue;
        }
        // Encoded again as UTF-8, which keeps the code points' order; a
        // malformed byte's stand-in (0xDC00 + byte) takes three bytes.
        const char32_t c = Fold(Next(s, i));
        if (c < 0x80)
        {
            folded.push_back(static_cast<char>(c)); // an overlong form of an ASCII character
            continue;
        }
        if (c < 0x800)
        {
            folded.push_back(static_cast<char>(0xC0 | (c >> 6)));
        }
        else
        {
            if (c < 0x10000)
            {
                folded.push_back(static_cast<char>(0xE0 | (c >> 12)));
            }
            else
            {
                folded.push_back(static_cast<char>(0xF0 | (c >> 18)));
                folded.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            }
            folded.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        folded.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return folded;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return CompareNoCase(a, b) == 0;
}

std::string TruncateChars(std::string_view s, std::size_t maxChars)
{
    std::size_t i = 0;
    for (std::size_t count = 0; count < maxChars && i < s.size(); ++count)
    {
        Next(s, i);
    }
    return std::string(s.substr(0, i));
}

std::size_t Utf16Length(std::string_view s)
{
    std::size_t units = 0;
    for (const char c : s)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
        {
            // A lead byte of four starts a character beyond the basic plane: a surrogate pair.
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative matcher with one back-tracking point: linear enough for file names.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && pattern[p] == '*')
        {
            starP = p++;
            starN = n;
        }
        else if (p < pattern.size() &&
                 (pattern[p] == '?' || CompareNoCase(pattern.substr(p, 1), name.substr(n, 1)) == 0))
        {
            ++p;
            ++n;
        }
        else if (starP != std::string_view::npos)
        {
            p = starP + 1;
            n = ++starN;
        }
        else
        {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
    {
        ++p;
    }
    return p == pattern.size();
}

bool ParseInt(std::string_view s, int& value)
{
    const bool negative = !s.empty() && s.front() == '-';
    std::string_view digits = negative ? s.substr(1) : s;
    int base = 10;
    if (!negative && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        digits.remove_prefix(2);
        base = 16;
    }
    if (digits.empty() || digits.front() == '-' || digits.front() == '+')
    {
        return false;
    }
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed, base);
    if (error != std::errc() || end != digits.data() + digits.size())
    {
        return false;
    }
    if (negative)
    {
        parsed = -parsed;
    }
    if (base == 16 && parsed > std::numeric_limits<std::uint32_t>::max())
    {
        return false;
    }
    if (base == 16)
    {
        // Hexadecimal text names the 32 bits, as colour values do ("0x80000005").
        value = static_cast<int>(static_cast<std::uint32_t>(parsed));
        return true;
    }
    if (parsed < std::numeric_limits<int>::min() || parsed > std::numeric_limits<int>::max())
    {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

} // namespace zim::text
