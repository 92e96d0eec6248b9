#pragma once

// The hot key service for tests: records every call in order, refuses a
// combination that another program holds or that one of its own ids already
// has, and an id registered twice, as the system does.

#include "platform/hot_keys.h"

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace zim::sim
{

class SimHotKeys final : public HotKeyService
{
public:
    struct Call
    {
        enum Kind
        {
            kRegister,
            kUnregister,
        };
        Kind kind = kRegister;
        int id = 0;
        unsigned modifiers = 0; // registrations only
        unsigned key = 0;       // registrations only
        bool succeeded = true;  // registrations only
        friend bool operator==(const Call&, const Call&) = default;
    };
    struct Combination
    {
        unsigned modifiers = 0;
        unsigned key = 0;
        friend auto operator<=>(const Combination&, const Combination&) = default;
    };

    bool Register(int id, unsigned modifiers, unsigned virtualKey) override;
    void Unregister(int id) override;

    // Another program holds (or gives up) this combination.
    void TakeByOtherProgram(unsigned modifiers, unsigned key) { m_taken.insert({modifiers, key}); }
    void ReleaseByOtherProgram(unsigned modifiers, unsigned key) { m_taken.erase({modifiers, key}); }

    const std::vector<Call>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // What the id is registered for now, if anything.
    std::optional<Combination> Registered(int id) const;
    std::vector<int> RegisteredIds() const;

private:
    std::vector<Call> m_calls;
    std::set<Combination> m_taken;
    std::map<int, Combination> m_registered;
};

} // namespace zim::sim
