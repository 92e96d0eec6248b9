#pragma once

// LoadSkin and SaveSkin: a skin file applied to the monitor, and the monitor's
// layout written back. The reading is skin_file.h's; this is the order in which
// the window changes, so that the user never sees a half-applied skin and a
// skin that cannot be applied changes nothing.

#include "monitor/colors.h"
#include "monitor/monitor_model.h"
#include "platform/platform.h"
#include "platform/profile.h"

#include <optional>
#include <string>

namespace zim
{

// What applying a skin does to the monitor window.
class SkinSurface
{
public:
    SkinSurface() = default;
    SkinSurface(const SkinSurface&) = delete;
    SkinSurface& operator=(const SkinSurface&) = delete;
    virtual ~SkinSurface() = default;

    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Loads the bitmap file, before anything changes; false when the system
    // cannot make a picture of it.
    virtual bool PrepareBackground(const std::string& imagePath) = 0;
    // The prepared bitmap becomes the skin picture with its mask colour (the
    // outline is built from them once), the part under the grid area is copied
    // into the grid background, and the client area takes `client`.
    virtual void UseBackground(ColorValue mask, Size client) = 0;
    virtual void ClearBackground() = 0;
    // On: the window takes the outline built for the picture.
    virtual void SetShaperActive(bool active) = 0;
    // Through the always-on-top component, handed the window's current handle.
    virtual void SetAlwaysOnTop(bool topmost) = 0;
    // A natural skin's sizeable tool window with its caption, or no border at all.
    virtual void SetNaturalFrame(bool natural) = 0;
    virtual Rect Bounds() const = 0;
    virtual void MoveTo(Point topLeft) = 0;
};

struct SkinApplyResult
{
    bool applied = false;
    std::string message; // for the error box when not applied
};

// Applies the skin file at skinPath (skinDirectory + "\\" + its name). The
// monitor is hidden while it changes and gets its visibility back; a missing
// file or image changes nothing but the message. A bitmap larger than the
// work area is cut to its size, so that the monitor never hides the whole task
// bar, and a window reaching past the screen's edge is moved back onto it.
SkinApplyResult ApplySkinFile(FileSystem& files, ProfileFiles& profile, const std::string& skinDirectory,
                              const std::string& skinPath, Size screen, Size workArea, bool alwaysOnTop,
                              MonitorModel& model, SkinSurface& surface);

// Writes the monitor's layout; the message for the error box when a key could
// not be written (the keys before it stay).
std::optional<std::string> SaveSkinFile(ProfileFiles& profile, const std::string& skinPath,
                                        const MonitorLayout& layout);

} // namespace zim
