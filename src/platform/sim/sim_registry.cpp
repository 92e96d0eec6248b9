#include "platform/sim/sim_registry.h"

#include "platform/text.h"

namespace zim::sim
{

std::string SimRegistry::Normalize(const std::string& key)
{
    std::string out = text::ToLowerAscii(key);
    while (!out.empty() && out.back() == '\\')
    {
        out.pop_back();
    }
    return out;
}

static bool IsUnder(const std::string& key, const std::string& parent)
{
    return key == parent ||
           (key.size() > parent.size() && key.compare(0, parent.size(), parent) == 0 && key[parent.size()] == '\\');
}

bool SimRegistry::Writable(const std::string& normalizedKey) const
{
    for (const std::string& refused : m_refused)
    {
        if (IsUnder(normalizedKey, refused))
        {
            return false;
        }
    }
    return true;
}

void SimRegistry::AddKey(const std::string& normalizedKey)
{
    // Creating a key creates its parents.
    for (std::size_t pos = normalizedKey.find('\\'); pos != std::string::npos; pos = normalizedKey.find('\\', pos + 1))
    {
        m_keys.insert(normalizedKey.substr(0, pos));
    }
    m_keys.insert(normalizedKey);
}

void SimRegistry::SetRaw(const std::string& key, const std::string& name, RegistryType type, const std::string& data)
{
    const std::string k = Normalize(key);
    AddKey(k);
    m_values[k][text::ToLowerAscii(name)] = Value{type, data};
}

std::optional<SimRegistry::Value> SimRegistry::GetRaw(const std::string& key, const std::string& name) const
{
    const auto keyIt = m_values.find(Normalize(key));
    if (keyIt == m_values.end())
    {
        return std::nullopt;
    }
    const auto it = keyIt->second.find(text::ToLowerAscii(name));
    if (it == keyIt->second.end())
    {
        return std::nullopt;
    }
    return it->second;
}

std::map<std::string, SimRegistry::Value> SimRegistry::ValuesOf(const std::string& key) const
{
    const auto it = m_values.find(Normalize(key));
    return it == m_values.end() ? std::map<std::string, Value>{} : it->second;
}

void SimRegistry::RefuseWritesUnder(const std::string& key)
{
    m_refused.insert(Normalize(key));
}

bool SimRegistry::KeyExists(const std::string& key)
{
    return m_keys.count(Normalize(key)) != 0;
}

bool SimRegistry::CreateKey(const std::string& key)
{
    const std::string k = Normalize(key);
    if (k.empty())
    {
        return false;
    }
    if (m_keys.count(k))
    {
        return true;
    }
    if (!Writable(k) || UnderVolatile(k))
    {
        return false;
    }
    AddKey(k);
    return true;
}

bool SimRegistry::UnderVolatile(const std::string& normalizedKey) const
{
    for (const std::string& v : m_volatile)
    {
        if (normalizedKey != v && IsUnder(normalizedKey, v))
        {
            return true;
        }
    }
    return false;
}

bool SimRegistry::CreateVolatileKey(const std::string& key)
{
    const std::string k = Normalize(key);
    if (k.empty())
    {
        return false;
    }
    if (m_keys.count(k))
    {
        return true;
    }
    if (!Writable(k))
    {
        return false;
    }
    AddKey(k);
    m_volatile.insert(k);
    return true;
}

bool SimRegistry::IsVolatile(const std::string& key) const
{
    return m_volatile.count(Normalize(key)) != 0;
}

void SimRegistry::Logoff()
{
    for (const std::string& v : std::set<std::string>(m_volatile))
    {
        DeleteKey(v);
    }
}

RegistryRead SimRegistry::ReadString(const std::string& key, const std::string& name, std::string& value)
{
    const std::optional<Value> raw = GetRaw(key, name);
    if (!raw)
    {
        return RegistryRead::Missing;
    }
    if (raw->type != RegistryType::String && raw->type != RegistryType::ExpandString)
    {
        return RegistryRead::WrongType;
    }
    value = raw->data;
    return RegistryRead::Ok;
}

bool SimRegistry::WriteString(const std::string& key, const std::string& name, const std::string& value)
{
    if (!Writable(Normalize(key)))
    {
        return false;
    }
    SetRaw(key, name, RegistryType::String, value);
    return true;
}

bool SimRegistry::WriteDword(const std::string& key, const std::string& name, std::uint32_t value)
{
    if (!Writable(Normalize(key)))
    {
        return false;
    }
    SetRaw(key, name, RegistryType::Dword, std::to_string(value));
    return true;
}

bool SimRegistry::DeleteValue(const std::string& key, const std::string& name)
{
    const auto keyIt = m_values.find(Normalize(key));
    return keyIt != m_values.end() && keyIt->second.erase(text::ToLowerAscii(name)) != 0;
}

bool SimRegistry::DeleteKey(const std::string& key)
{
    const std::string k = Normalize(key);
    if (!m_keys.count(k))
    {
        return false;
    }
    std::erase_if(m_keys, [&](const std::string& existing) { return IsUnder(existing, k); });
    std::erase_if(m_values, [&](const auto& entry) { return IsUnder(entry.first, k); });
    std::erase_if(m_volatile, [&](const std::string& existing) { return IsUnder(existing, k); });
    return true;
}

} // namespace zim::sim
