#include "platform/sim/sim_hot_keys.h"

#include <algorithm>

namespace zim::sim
{

bool SimHotKeys::Register(int id, unsigned modifiers, unsigned virtualKey)
{
    const Combination combination{modifiers, virtualKey};
    const bool ownCombination = std::any_of(m_registered.begin(), m_registered.end(),
                                            [&](const auto& entry) { return entry.second == combination; });
    const bool ok = !m_taken.contains(combination) && !ownCombination && !m_registered.contains(id);
    if (ok)
    {
        m_registered[id] = combination;
    }
    m_calls.push_back({Call::kRegister, id, modifiers, virtualKey, ok});
    return ok;
}

void SimHotKeys::Unregister(int id)
{
    m_registered.erase(id);
    m_calls.push_back({Call::kUnregister, id});
}

std::optional<SimHotKeys::Combination> SimHotKeys::Registered(int id) const
{
    const auto it = m_registered.find(id);
    if (it == m_registered.end())
    {
        return std::nullopt;
    }
    return it->second;
}

std::vector<int> SimHotKeys::RegisteredIds() const
{
    std::vector<int> ids;
    for (const auto& [id, combination] : m_registered)
    {
        ids.push_back(id);
    }
    return ids;
}

} // namespace zim::sim
