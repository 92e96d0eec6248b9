#pragma once

// What never changes for a window as long as its handle names it (its class
// name, its class icon), learnt the first time it is needed and kept per
// handle. A handle value can come back for another window once the first is
// gone, so the owner forgets every handle that no longer has a miniature each
// time the miniatures change: a window that dies loses its miniature at the
// next refresh, before the system could hand its value to a new window.

#include "platform/types.h"

#include <cstddef>
#include <unordered_map>
#include <utility>

namespace zim
{

template <typename Fact> class HandleCache
{
public:
    // The fact for `w`, from make() the first time.
    template <typename Make> Fact& Get(WindowHandle w, Make&& make)
    {
        const auto it = m_facts.find(w);
        if (it != m_facts.end())
        {
            return it->second;
        }
        return m_facts.emplace(w, std::forward<Make>(make)()).first->second;
    }

    // Forgets every handle for which `keep` is false.
    template <typename Keep> void KeepOnly(Keep&& keep)
    {
        std::erase_if(m_facts, [&](const auto& entry) { return !keep(entry.first); });
    }
    void Clear() { m_facts.clear(); }
    std::size_t Size() const { return m_facts.size(); }

private:
    std::unordered_map<WindowHandle, Fact> m_facts;
};

} // namespace zim
