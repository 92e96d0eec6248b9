#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zim
{

struct CheckListEntry
{
    std::string text;
    bool checked = false;
    friend bool operator==(const CheckListEntry&, const CheckListEntry&) = default;
};

// A list of texts with check marks, like a check-list box. A sorted list keeps
// its entries in case-insensitive order (duplicates allowed, a new one after its
// equals); an unsorted one keeps the order of adding.
class CheckList
{
public:
    explicit CheckList(bool sorted) : m_sorted(sorted) {}

    // Returns the index the entry landed at.
    std::size_t Add(std::string text, bool checked);
    void RemoveAt(std::size_t index);
    void Clear() { m_entries.clear(); }
    void SetChecked(std::size_t index, bool checked) { m_entries.at(index).checked = checked; }

    // The first entry whose whole text equals `name` ignoring case, or -1.
    int Find(std::string_view name) const;
    // Only the first entry with that text counts, and only when it is checked.
    bool IsChecked(std::string_view name) const;

    const std::vector<CheckListEntry>& Entries() const { return m_entries; }
    std::size_t Size() const { return m_entries.size(); }
    bool Sorted() const { return m_sorted; }

    friend bool operator==(const CheckList&, const CheckList&) = default;

private:
    bool m_sorted;
    std::vector<CheckListEntry> m_entries;
};

} // namespace zim
