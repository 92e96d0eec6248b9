#include "skins/skin_file.h"

#include "platform/text.h"
#include "skins/bitmap_file.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace zim::skins
{
namespace
{

constexpr const char* kStampSection = "Zim Desk Skin";
constexpr const char* kTypeSection = "Skin type";
constexpr const char* kImageSection = "Background Image";
constexpr const char* kGridSection = "Desktop Grid";
constexpr const char* kLabelSection = "Coordinates";

// One skin file, read with the loader's rules.
class Reader
{
public:
    Reader(ProfileFiles& profile, const std::string& path) : m_profile(profile), m_path(path) {}

    std::optional<std::string> Value(const char* section, const std::string& key)
    {
        std::optional<std::string> value = m_profile.GetString(m_path, section, key);
        if (value)
        {
            *value = text::TruncateChars(*value, kMaxValueChars);
        }
        return value;
    }

    std::string String(const char* section, const std::string& key, std::string_view fallback)
    {
        return Value(section, key).value_or(std::string(fallback));
    }

    std::int32_t Integer(const char* section, const std::string& key, std::int32_t fallback)
    {
        std::int32_t value = fallback;
        const std::optional<std::string> text = Value(section, key);
        if (!text || !ParseSkinInteger(*text, value))
        {
            return fallback;
        }
        return value;
    }

    bool Boolean(const char* section, const std::string& key, bool fallback)
    {
        return Integer(section, key, fallback ? 1 : 0) != 0;
    }

    // Left, Top, Width and Height of one section, each within the limits.
    Rect Bounds(const char* section, const Rect& fallback)
    {
        const int left = std::clamp(Integer(section, "Left", fallback.left), 0, kMaxPosition);
        const int width = std::clamp(Integer(section, "Width", fallback.Width()), kMinExtent, kMaxExtent);
        const int top = std::clamp(Integer(section, "Top", fallback.top), 0, kMaxPosition);
        const int height = std::clamp(Integer(section, "Height", fallback.Height()), kMinExtent, kMaxExtent);
        return Rect::FromSize(left, top, width, height);
    }

    std::string FontName(const char* section)
    {
        return text::TruncateChars(String(section, "FontName", kDefaultFontName), kMaxFontNameChars);
    }

    int FontSize(const char* section, int fallback)
    {
        return std::clamp(Integer(section, "FontSize", fallback), kMinFontSize, kMaxFontSize);
    }

private:
    ProfileFiles& m_profile;
    const std::string& m_path;
};

// "Filename" names a file in the skin directory; a path in it is cut to its
// last part, so that no skin reads a bitmap from elsewhere.
std::string BareFileName(const std::string& name)
{
    const std::size_t cut = name.find_last_of("\\/:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// Shrinks a rectangle to the bitmap, then moves it inside.
Rect FitInto(Rect r, Size bitmap)
{
    const int width = std::min(r.Width(), bitmap.width);
    const int height = std::min(r.Height(), bitmap.height);
    const int left = std::clamp(r.left, 0, bitmap.width - width);
    const int top = std::clamp(r.top, 0, bitmap.height - height);
    return Rect::FromSize(left, top, width, height);
}

class Writer
{
public:
    Writer(ProfileFiles& profile, const std::string& path) : m_profile(profile), m_path(path) {}

    // Once a write has failed, the rest are skipped: saving stops there.
    void Put(const char* section, const std::string& key, const std::string& value)
    {
        m_ok = m_ok && m_profile.WriteString(m_path, section, key, value);
    }
    void Put(const char* section, const std::string& key, std::int32_t value)
    {
        Put(section, key, std::to_string(value));
    }
    void PutBounds(const char* section, const Rect& r)
    {
        Put(section, "Left", r.left);
        Put(section, "Top", r.top);
        Put(section, "Width", r.Width());
        Put(section, "Height", r.Height());
    }
    bool Ok() const { return m_ok; }

private:
    ProfileFiles& m_profile;
    const std::string& m_path;
    bool m_ok = true;
};

} // namespace

bool ParseSkinInteger(std::string_view text, std::int32_t& value)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        text.remove_prefix(2);
        base = 16;
    }
    else if (!text.empty() && text[0] == '$')
    {
        text.remove_prefix(1);
        base = 16;
    }
    bool negative = false;
    if (base == 10 && !text.empty() && (text[0] == '-' || text[0] == '+'))
    {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars would take a second sign; digits only from here.
    if (text.empty() || text[0] == '-' || text[0] == '+')
    {
        return false;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size())
    {
        return false;
    }
    if (base == 16)
    {
        // Hexadecimal names the 32 bits, as colour values are written ("$80000008").
        if (magnitude > std::numeric_limits<std::uint32_t>::max())
        {
            return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        return true;
    }
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 31 : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    if (magnitude > limit)
    {
        return false;
    }
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

std::string ButtonSectionName(std::size_t n)
{
    return std::string(kSkinButtons.at(n).hint) + " Button";
}

Rect DefaultButtonBounds(std::size_t n)
{
    return Rect::FromSize(30 + 17 * static_cast<int>(n), 101, 16, 16);
}

std::array<SkinButton, 12> SkinLayout::DefaultButtons()
{
    std::array<SkinButton, 12> buttons;
    for (std::size_t n = 0; n < buttons.size(); ++n)
    {
        buttons[n].n = n;
        buttons[n].bounds = DefaultButtonBounds(n);
    }
    return buttons;
}

SkinLayout ReadSkin(ProfileFiles& profile, const std::string& path)
{
    Reader in(profile, path);
    SkinLayout layout;
    layout.natural = in.Boolean(kTypeSection, "Natural", false);
    if (layout.natural)
    {
        layout.grid.colors = GridColors::Natural();
        layout.grid.font.color = layout.grid.colors.TextColor;
        layout.grid.fillMiniWindows = true;
        layout.grid.font.name = in.FontName(kGridSection);
        layout.grid.font.size = in.FontSize(kGridSection, 8);
        return layout;
    }

    layout.backgroundFile = BareFileName(in.String(kImageSection, "Filename", kFileNameDefault));
    layout.transparentColor = in.Integer(kImageSection, "TransparentColor", 0);

    SkinGridArea& grid = layout.grid;
    grid.bounds = in.Bounds(kGridSection, grid.bounds);
    grid.colors.LineColor = in.Integer(kGridSection, "LineColor", 16777215);
    grid.colors.HilightColor = in.Integer(kGridSection, "HilightColor", 255);
    grid.colors.TextColor = in.Integer(kGridSection, "TextColor", 0);
    grid.colors.FillColor = in.Integer(kGridSection, "FillColor", 16777215);
    grid.font.color = grid.colors.TextColor;
    grid.fillMiniWindows = in.Boolean(kGridSection, "FillMiniWindows", true);
    grid.font.name = in.FontName(kGridSection);
    grid.font.size = in.FontSize(kGridSection, 8);

    SkinLabel& label = layout.coordinates;
    label.bounds = in.Bounds(kLabelSection, label.bounds);
    label.font.color = in.Integer(kLabelSection, "FontColor", 0);
    label.font.size = in.FontSize(kLabelSection, 8);
    label.font.name = in.FontName(kLabelSection);

    for (SkinButton& button : layout.buttons)
    {
        const std::string section = button.SectionName();
        button.bounds = in.Bounds(section.c_str(), DefaultButtonBounds(button.n));
        button.font.color = in.Integer(section.c_str(), "FontColor", 0);
        button.font.name = in.FontName(section.c_str());
        button.font.size = in.FontSize(section.c_str(), 8);
    }
    return layout;
}

void FitLayoutToBitmap(SkinLayout& layout, Size bitmap)
{
    if (bitmap.width < 1 || bitmap.height < 1)
    {
        return;
    }
    layout.grid.bounds = FitInto(layout.grid.bounds, bitmap);
    layout.coordinates.bounds = FitInto(layout.coordinates.bounds, bitmap);
    for (SkinButton& button : layout.buttons)
    {
        button.bounds = FitInto(button.bounds, bitmap);
    }
}

bool WriteSkin(ProfileFiles& profile, const std::string& path, const SkinLayout& layout)
{
    Writer out(profile, path);
    out.Put(kStampSection, "ZimDeskVersion", std::string(kZimDeskVersion));
    out.Put(kStampSection, "FileformatVersion", kFileformatVersion);

    out.Put(kImageSection, "Filename", layout.backgroundFile);
    out.Put(kImageSection, "TransparentColor", layout.transparentColor);

    const SkinGridArea& grid = layout.grid;
    out.PutBounds(kGridSection, grid.bounds);
    out.Put(kGridSection, "FontName", grid.font.name);
    out.Put(kGridSection, "FontSize", grid.font.size);
    out.Put(kGridSection, "FillMiniWindows", grid.fillMiniWindows ? 1 : 0);
    out.Put(kGridSection, "TextColor", grid.colors.TextColor);
    out.Put(kGridSection, "HilightColor", grid.colors.HilightColor);
    out.Put(kGridSection, "FillColor", grid.colors.FillColor);
    out.Put(kGridSection, "LineColor", grid.colors.LineColor);

    const SkinLabel& label = layout.coordinates;
    out.PutBounds(kLabelSection, label.bounds);
    out.Put(kLabelSection, "FontName", label.font.name);
    out.Put(kLabelSection, "FontSize", label.font.size);
    out.Put(kLabelSection, "FontColor", label.font.color);

    for (const SkinButton& button : layout.buttons)
    {
        const std::string section = button.SectionName();
        out.PutBounds(section.c_str(), button.bounds);
        out.Put(section.c_str(), "FontName", button.font.name);
        out.Put(section.c_str(), "FontColor", button.font.color);
        out.Put(section.c_str(), "FontSize", button.font.size);
    }
    return out.Ok();
}

std::string SkinFileNotFoundMessage(const std::string& path)
{
    return "Skin file " + path + " not found.";
}

std::string SkinImageNotFoundMessage(const std::string& path)
{
    return "Error in skinfile " + path + ". Image Not found!";
}

std::string UnableToWriteMessage(const std::string& path)
{
    return "Unable to write to " + path;
}

SkinLoad LoadSkinFile(FileSystem& files, ProfileFiles& profile, const std::string& skinDirectory,
                      const std::string& skinPath)
{
    SkinLoad load;
    if (!files.FileExists(skinPath))
    {
        load.status = SkinLoad::Status::FileNotFound;
        load.message = SkinFileNotFoundMessage(skinPath);
        return load;
    }
    load.layout = ReadSkin(profile, skinPath);
    if (load.layout.natural)
    {
        load.status = SkinLoad::Status::Ok;
        return load;
    }
    const bool endsInSlash = !skinDirectory.empty() && (skinDirectory.back() == '\\' || skinDirectory.back() == '/');
    load.imagePath = skinDirectory + (endsInSlash ? "" : "\\") + load.layout.backgroundFile;
    std::optional<BitmapHeader> header;
    if (load.layout.HasImage() && files.FileExists(load.imagePath))
    {
        if (const std::optional<std::string> bytes = files.ReadFile(load.imagePath))
        {
            header = ReadBitmapHeader(*bytes);
        }
    }
    if (!header)
    {
        load.status = SkinLoad::Status::ImageNotFound;
        load.message = SkinImageNotFoundMessage(skinPath);
        return load;
    }
    load.bitmapSize = {header->width, header->height};
    FitLayoutToBitmap(load.layout, load.bitmapSize);
    load.status = SkinLoad::Status::Ok;
    return load;
}

} // namespace zim::skins
