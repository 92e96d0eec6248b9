// Settings of any shape in the registry: each input plants values of any type
// and text under the names the store reads; loading never fails hard, and what
// a save writes loads back as the same options.

#include "platform/sim/sim_registry.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

struct Name
{
    std::string section;
    std::string name;
};

// Every (section, name) the store reads, list entries 1 to 3 included.
std::vector<Name> StoreNames()
{
    std::vector<Name> names;
    for (const auto steps : {zim::SettingsStore::PartOneOrder(), zim::SettingsStore::PartTwoOrder()})
    {
        for (const zim::StoreStep& step : steps)
        {
            if (step.value)
            {
                names.push_back({std::string(step.value->section), std::string(step.value->name)});
            }
            if (step.list)
            {
                names.push_back({std::string(step.list->section), std::string(step.list->count)});
                for (int n = 1; n <= 3; ++n)
                {
                    names.push_back(
                        {std::string(step.list->section), std::string(step.list->prefix) + std::to_string(n)});
                }
            }
        }
    }
    for (const char* wallpaper : {"NbrOfWallpapers", "Wallpaper1", "Wallpaper2", "Tile"})
    {
        names.push_back({"Wallpapers", wallpaper});
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Name> names = StoreNames();
    const std::string root(zim::SettingsStore::kDefaultRoot);
    zim::sim::SimRegistry registry;
    // Records of [name index][type][length][bytes...].
    std::size_t at = 0;
    while (at + 3 <= size)
    {
        const Name& name = names[data[at] % names.size()];
        const auto type = static_cast<zim::RegistryType>(data[at + 1] % 4);
        const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
        registry.SetRaw(root + "\\" + name.section, name.name, type,
                        std::string(reinterpret_cast<const char*>(data + at + 3), length));
        at += 3 + length;
    }

    zim::SettingsStore store(registry);
    zim::Options first;
    store.LoadPartOne(first);
    store.LoadPartTwo(first, "C:\\ZimDesk");
    if (!store.SaveWindowState(first, zim::SaveOccasion::Close) ||
        !store.SaveDialogGroup(first, zim::SaveOccasion::Close))
    {
        std::abort(); // the simulated registry refuses nothing
    }
    zim::Options second;
    store.LoadPartOne(second);
    store.LoadPartTwo(second, "C:\\ZimDesk");
    if (!zim::ChangedOptions(first, second).Empty())
    {
        std::abort();
    }
    return 0;
}
