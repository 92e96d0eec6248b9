#include "monitor/skin_loader.h"

#include "monitor/position_constraint.h"
#include "skins/skin_file.h"

namespace zim
{
namespace
{

// A window grown by its new skin may now reach past the screen's edge.
void KeepOnScreen(SkinSurface& surface, Size screen)
{
    const Rect bounds = surface.Bounds();
    const Point now{bounds.left, bounds.top};
    const Point onScreen = ConstrainMonitorPosition(now, {0, 0, bounds.Width(), bounds.Height()}, screen);
    if (onScreen != now)
    {
        surface.MoveTo(onScreen);
    }
}

void ApplyNatural(const skins::SkinLayout& skin, Size screen, bool alwaysOnTop, MonitorModel& model,
                  SkinSurface& surface)
{
    surface.SetShaperActive(false);
    surface.SetAlwaysOnTop(false);
    surface.SetNaturalFrame(true);
    surface.ClearBackground();
    // The system's colours, the grid font, no label or buttons, and the grid
    // over the whole client area.
    model.ApplyNaturalSkin(skin);
    surface.SetAlwaysOnTop(alwaysOnTop);
    KeepOnScreen(surface, screen);
}

void ApplyBitmap(const skins::SkinLoad& load, Size screen, Size workArea, bool alwaysOnTop, MonitorModel& model,
                 SkinSurface& surface)
{
    surface.SetAlwaysOnTop(false);
    surface.SetNaturalFrame(false);
    surface.SetAlwaysOnTop(alwaysOnTop);
    // No skin makes the window larger than the work area; the layout is
    // fitted into what is left of the bitmap.
    const Size client = SkinClientSize(load.bitmapSize, workArea);
    model.ApplyBitmapSkin(load.layout, client);
    surface.UseBackground(load.layout.transparentColor, client);
    surface.SetShaperActive(true);
    KeepOnScreen(surface, screen);
}

} // namespace

SkinApplyResult ApplySkinFile(FileSystem& files, ProfileFiles& profile, const std::string& skinDirectory,
                              const std::string& skinPath, Size screen, Size workArea, bool alwaysOnTop,
                              MonitorModel& model, SkinSurface& surface)
{
    const skins::SkinLoad load = skins::LoadSkinFile(files, profile, skinDirectory, skinPath);
    if (load.status != skins::SkinLoad::Status::Ok)
    {
        return {false, load.message};
    }
    // A bitmap the system cannot load is as good as missing, and is found out
    // before the monitor loses its skin.
    if (!load.layout.natural && !surface.PrepareBackground(load.imagePath))
    {
        return {false, skins::SkinImageNotFoundMessage(skinPath)};
    }
    const bool visible = surface.IsVisible();
    if (visible)
    {
        surface.SetVisible(false);
    }
    if (load.layout.natural)
    {
        ApplyNatural(load.layout, screen, alwaysOnTop, model, surface);
    }
    else
    {
        ApplyBitmap(load, screen, workArea, alwaysOnTop, model, surface);
    }
    model.UpdateMiniatures();
    if (visible)
    {
        surface.SetVisible(true);
    }
    return {true, {}};
}

std::optional<std::string> SaveSkinFile(ProfileFiles& profile, const std::string& skinPath, const MonitorLayout& layout)
{
    if (!skins::WriteSkin(profile, skinPath, layout.Skin()))
    {
        return skins::UnableToWriteMessage(skinPath);
    }
    return std::nullopt;
}

} // namespace zim
