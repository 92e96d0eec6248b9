#include "settings/options.h"

namespace zim
{

void OptionsModel::Update(const std::function<void(Options&)>& change)
{
    change(m_options);
    // A listener may subscribe or unsubscribe while being told.
    const auto listeners = m_listeners;
    for (const auto& [id, listener] : listeners)
    {
        listener(m_options);
    }
}

std::size_t OptionsModel::Subscribe(Listener listener)
{
    m_listeners.emplace_back(m_nextId, std::move(listener));
    return m_nextId++;
}

void OptionsModel::Unsubscribe(std::size_t id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

} // namespace zim
