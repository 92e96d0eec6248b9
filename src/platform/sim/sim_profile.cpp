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
bool HoldsKey(std::string_view line, std::string_view key)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
    {
        return false;
    }
    const std::size_t equals = trimmed.find('=');
    return equals != std::string_view::npos && text::EqualsNoCase(Trim(trimmed.substr(0, equals)), key);
}

} // namespace

SimProfileFiles::Index SimProfileFiles::Parse(const std::string& contents)
{
    Index values;
    std::string_view rest = contents;
    std::optional<std::string> section; // none before the first "[name]" line
    while (!rest.empty())
    {
        const std::size_t end = rest.find('\n');
        const std::string_view line = Trim(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (const auto name = SectionOf(line))
        {
            section = text::FoldNoCase(*name);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!section || line.empty() || line.front() == ';' || equals == std::string_view::npos)
        {
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        {
            value = value.substr(1, value.size() - 2);
        }
        // emplace keeps the first of two equal keys, as the system's reader does.
        values.emplace(std::make_pair(*section, text::FoldNoCase(Trim(line.substr(0, equals)))), std::string(value));
    }
    return values;
}

std::optional<std::string> SimProfileFiles::GetString(const std::string& path, const std::string& section,
                                                      const std::string& key)
{
    std::optional<std::string> contents = m_files.ReadFile(path);
    if (!contents)
    {
        m_parsed.erase(path);
        return std::nullopt;
    }
    auto parsed = m_parsed.find(path);
    if (parsed == m_parsed.end() || parsed->second.contents != *contents)
    {
        Index values = Parse(*contents);
        parsed = m_parsed.insert_or_assign(path, Parsed{std::move(*contents), std::move(values)}).first;
    }
    const auto found = parsed->second.values.find(std::make_pair(text::FoldNoCase(section), text::FoldNoCase(key)));
    if (found == parsed->second.values.end())
    {
        return std::nullopt;
    }
    return found->second;
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
