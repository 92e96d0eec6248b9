#include "platform/sim/sim_profile.h"

#include "platform/text.h"

#include <string_view>
#include <vector>

namespace zim::sim
{
namespace
{

std::string_view Trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
    {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back()))
    {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
        {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The section a "[name]" line opens, or nothing for any other line.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
    {
        return std::nullopt;
    }
    const std::size_t close = line.find(']');
    return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// Whether a "key=value" line holds this key; comment lines hold none.
bool HoldsKey(std::string_view line, std::string_view key, std::string_view* value = nullptr)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
    {
        return false;
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos || !text::EqualsNoCase(Trim(trimmed.substr(0, equals)), key))
    {
        return false;
    }
    if (value)
    {
        *value = Trim(trimmed.substr(equals + 1));
    }
    return true;
}

} // namespace

std::optional<std::string> SimProfileFiles::GetString(const std::string& path, const std::string& section,
                                                      const std::string& key)
{
    const std::optional<std::string> contents = m_files.ReadFile(path);
    if (!contents)
    {
        return std::nullopt;
    }
    // Walked in place: a skin reads a hundred keys, each through the whole file.
    std::string_view rest = *contents;
    bool inSection = false;
    while (!rest.empty())
    {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (const auto name = SectionOf(line))
        {
            inSection = text::EqualsNoCase(*name, section);
            continue;
        }
        std::string_view value;
        if (inSection && HoldsKey(line, key, &value))
        {
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            {
                value = value.substr(1, value.size() - 2);
            }
            return std::string(value);
        }
    }
    return std::nullopt;
}

bool SimProfileFiles::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                  const std::string& value)
{
    std::vector<std::string> lines = SplitLines(m_files.ReadFile(path).value_or(std::string()));
    const std::string entry = key + "=" + value;

    std::optional<std::size_t> sectionLine;
    std::size_t insertAt = lines.size();
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i)
    {
        if (const auto name = SectionOf(lines[i]))
        {
            if (sectionLine)
            {
                break; // past the end of our section
            }
            if (text::EqualsNoCase(*name, section))
            {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionLine)
        {
            continue;
        }
        if (HoldsKey(lines[i], key))
        {
            lines[i] = entry;
            written = true;
        }
        else if (!Trim(lines[i]).empty())
        {
            insertAt = i + 1; // a new key goes after the section's last line
        }
    }
    if (!written)
    {
        if (sectionLine)
        {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        }
        else
        {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    std::string out;
    for (const std::string& line : lines)
    {
        out += line;
        out += "\r\n";
    }
    return m_files.WriteFile(path, out);
}

} // namespace zim::sim
