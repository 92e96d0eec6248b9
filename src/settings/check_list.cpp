#include "settings/check_list.h"

#include "platform/text.h"

#include <algorithm>

namespace zim
{

std::size_t CheckList::Add(std::string text, bool checked)
{
    auto position = m_entries.end();
    if (m_sorted)
    {
        position = std::upper_bound(m_entries.begin(), m_entries.end(), text,
                                    [](const std::string& value, const CheckListEntry& entry)
                                    { return text::CompareNoCase(value, entry.text) < 0; });
    }
    position = m_entries.insert(position, CheckListEntry{std::move(text), checked});
    return static_cast<std::size_t>(position - m_entries.begin());
}

void CheckList::RemoveAt(std::size_t index)
{
    if (index < m_entries.size())
    {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

int CheckList::Find(std::string_view name) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
    {
        if (text::EqualsNoCase(m_entries[i].text, name))
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CheckList::IsChecked(std::string_view name) const
{
    const int index = Find(name);
    return index >= 0 && m_entries[static_cast<std::size_t>(index)].checked;
}

} // namespace zim
