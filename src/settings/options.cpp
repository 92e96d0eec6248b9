#include "settings/options.h"

#include "platform/text.h"

#include <utility>

namespace zim
{

void SetGridSizeText(Options& o, bool columns, std::string text)
{
    int size = 0;
    if (!text::ParseInt(text, size))
    {
        size = 0;
    }
    (columns ? o.sizeX : o.sizeY) = size;
    (columns ? o.sizeXText : o.sizeYText) = std::move(text);
}

OptionSet ChangedOptions(const Options& before, const Options& after)
{
    OptionSet changed;
#define ZIM_OPTION_COMPARE(name, field)                                                                                \
    if (!(before.field == after.field))                                                                                \
    {                                                                                                                  \
        changed.Add(Option::name);                                                                                     \
    }
    ZIM_OPTION_FIELDS(ZIM_OPTION_COMPARE)
#undef ZIM_OPTION_COMPARE
    return changed;
}

void OptionsModel::Update(const std::function<void(Options&)>& change)
{
    const Options before = m_options;
    change(m_options);
    const OptionSet changed = ChangedOptions(before, m_options);
    if (changed.Empty())
    {
        return;
    }
    // A listener may subscribe or unsubscribe while being told.
    const auto listeners = m_listeners;
    for (const Subscription& subscription : listeners)
    {
        if (subscription.fields.Meets(changed))
        {
            subscription.listener(m_options, changed);
        }
    }
}

std::size_t OptionsModel::Subscribe(OptionSet fields, Listener listener)
{
    m_listeners.push_back({m_nextId, fields, std::move(listener)});
    return m_nextId++;
}

void OptionsModel::Unsubscribe(std::size_t id)
{
    std::erase_if(m_listeners, [id](const Subscription& entry) { return entry.id == id; });
}

} // namespace zim
