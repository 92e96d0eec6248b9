#pragma once

#include "platform/platform.h"
#include "platform/profile.h"

#include <map>
#include <utility>

namespace zim::sim
{

// INI files kept as text in a FileSystem (the simulated one in tests), parsed at
// every read and rewritten at every write the way the private-profile functions
// treat them: section and key names ignore case, the first of two equal keys
// wins, values lose the blanks around them and one pair of enclosing quotes,
// and every line the program does not touch stays as it was. Lines end in CRLF.
class SimProfileFiles final : public ProfileFiles
{
public:
    explicit SimProfileFiles(FileSystem& files) : m_files(files) {}

    std::optional<std::string> GetString(const std::string& path, const std::string& section,
                                         const std::string& key) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    // Values by section and key name, both folded so that case does not count.
    using Index = std::map<std::pair<std::string, std::string>, std::string>;

    // A file is indexed once for as long as its text stays the same: a skin
    // reads a hundred keys.
    struct Parsed
    {
        std::string contents;
        Index values;
    };
    static Index Parse(const std::string& contents);

    FileSystem& m_files;
    std::map<std::string, Parsed> m_parsed; // by the path as asked for
};

} // namespace zim::sim
