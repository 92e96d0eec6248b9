// A skin file of any bytes: the reader hands out only values within the skin
// limits, and fitting the layout into any bitmap leaves every part inside it.

#include "platform/sim/sim_file_system.h"
#include "platform/sim/sim_profile.h"
#include "skins/skin_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

void Check(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

void CheckRect(const zim::Rect& r)
{
    Check(r.left >= 0 && r.top >= 0 && r.left <= zim::skins::kMaxPosition && r.top <= zim::skins::kMaxPosition);
    Check(r.Width() >= zim::skins::kMinExtent && r.Width() <= zim::skins::kMaxExtent);
    Check(r.Height() >= zim::skins::kMinExtent && r.Height() <= zim::skins::kMaxExtent);
}

void CheckFont(const zim::skins::SkinFont& font)
{
    Check(font.name.size() <= zim::skins::kMaxFontNameChars * 4); // UTF-8: up to 4 bytes a character
    Check(font.size >= zim::skins::kMinFontSize && font.size <= zim::skins::kMaxFontSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zim::sim::SimFileSystem files;
    zim::sim::SimProfileFiles profile(files);
    const std::string path = "C:\\ZimDesk\\skins\\fuzz.zim";
    files.CreateDirectory("C:\\ZimDesk\\skins");
    files.WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));

    zim::skins::SkinLayout layout = zim::skins::ReadSkin(profile, path);
    CheckRect(layout.grid.bounds);
    CheckRect(layout.coordinates.bounds);
    CheckFont(layout.grid.font);
    CheckFont(layout.coordinates.font);
    for (const auto& button : layout.buttons)
    {
        CheckRect(button.bounds);
        CheckFont(button.font);
    }
    const zim::Size bitmap{1 + static_cast<int>(size % 500), 1 + static_cast<int>((size * 7) % 400)};
    zim::skins::FitLayoutToBitmap(layout, bitmap);
    const auto inside = [&](const zim::Rect& r)
    { Check(r.left >= 0 && r.top >= 0 && r.right <= bitmap.width && r.bottom <= bitmap.height); };
    inside(layout.grid.bounds);
    inside(layout.coordinates.bounds);
    for (const auto& button : layout.buttons)
    {
        inside(button.bounds);
    }
    return 0;
}
