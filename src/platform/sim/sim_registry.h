#pragma once

#include "platform/platform.h"

#include <map>
#include <set>
#include <string>

namespace zim::sim
{

// An in-memory HKEY_CURRENT_USER: keys and value names compare without case,
// values keep their type so that tests can plant non-text values.
class SimRegistry final : public Registry
{
public:
    struct Value
    {
        RegistryType type = RegistryType::String;
        std::string data;
    };

    // Plants a value of any type, creating the key.
    void SetRaw(const std::string& key, const std::string& name, RegistryType type, const std::string& data);
    std::optional<Value> GetRaw(const std::string& key, const std::string& name) const;
    // Values of one key, in name order.
    std::map<std::string, Value> ValuesOf(const std::string& key) const;
    // Writes under this key (and its sub-keys) fail from now on.
    void RefuseWritesUnder(const std::string& key);

    bool KeyExists(const std::string& key) override;
    bool CreateKey(const std::string& key) override;
    bool CreateVolatileKey(const std::string& key) override;
    bool IsVolatile(const std::string& key) const;
    // The user logs off: every volatile key goes with its values.
    void Logoff();
    RegistryRead ReadString(const std::string& key, const std::string& name, std::string& value) override;
    bool WriteString(const std::string& key, const std::string& name, const std::string& value) override;
    bool WriteDword(const std::string& key, const std::string& name, std::uint32_t value) override;
    bool DeleteValue(const std::string& key, const std::string& name) override;
    bool DeleteKey(const std::string& key) override;

private:
    static std::string Normalize(const std::string& key);
    bool Writable(const std::string& normalizedKey) const;
    void AddKey(const std::string& normalizedKey);
    // A new ordinary key may not go under a volatile one.
    bool UnderVolatile(const std::string& normalizedKey) const;

    std::set<std::string> m_keys;                                 // normalised paths
    std::map<std::string, std::map<std::string, Value>> m_values; // key -> lower-cased name -> value
    std::set<std::string> m_refused;
    std::set<std::string> m_volatile; // normalised paths of volatile keys
};

} // namespace zim::sim
