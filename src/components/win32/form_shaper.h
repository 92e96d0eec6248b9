#pragma once

// TMaskedPicture and TFormShaper: a window's outline cut from a bitmap. Every
// pixel whose colour differs from the mask colour belongs to the window. The
// region is built once per change of the bitmap or the mask colour (one run list,
// one ExtCreateRegion) and kept; each activation hands the window a copy.

#include "monitor/colors.h"
#include "platform/types.h"
#include "platform/win32/handles.h"

#include <functional>

namespace zim::win32
{

class MaskedPicture
{
public:
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(m_bitmap.Get()); }
    Size BitmapSize() const { return m_size; }
    bool Empty() const { return !m_bitmap || m_size.width <= 0 || m_size.height <= 0; }
    ColorValue MaskColor() const { return m_mask; }

    // Another bitmap (or none) and its mask colour, one change for both.
    void Assign(UniqueBitmap bitmap, ColorValue mask);
    // Changes only when the value differs.
    void SetMaskColor(ColorValue mask);

    std::function<void()> onChange;

private:
    void Fire();

    UniqueBitmap m_bitmap;
    Size m_size;
    ColorValue m_mask = 0; // black, as the monitor's shaper starts
};

class FormShaper
{
public:
    FormShaper();
    FormShaper(const FormShaper&) = delete;
    FormShaper& operator=(const FormShaper&) = delete;

    // The window it shapes, once it exists.
    void SetOwner(HWND owner) { m_owner = owner; }
    MaskedPicture& Picture() { return m_picture; }
    const MaskedPicture& Picture() const { return m_picture; }

    // The window never grows beyond this (the screen): the bitmap is cut to it.
    void SetSizeLimit(Size limit) { m_limit = limit; }
    // The size the window takes: the bitmap, cut to the limit.
    Size ShapeSize() const;

    // True only while a non-empty region is set on the window.
    bool Active() const { return m_active; }
    void SetActive(bool value);

    // With a caption the window keeps its title bar and sizeable border and the
    // bitmap sets its client size; without, it has no border and the bitmap sets
    // its outer size.
    bool ShowCaption() const { return m_showCaption; }
    void SetShowCaption(bool value);

    // The region as last built, in the window's coordinates (for tests and the
    // position rule); none when the bitmap is empty or all of the mask colour.
    HRGN BuiltRegion() const { return static_cast<HRGN>(m_region.Get()); }

private:
    void PictureChanged();
    void FitFormToPicture();
    void UpdateRegion();
    UniqueRegion BuildRegion() const;

    HWND m_owner = nullptr;
    MaskedPicture m_picture;
    Size m_limit{0x7FFF, 0x7FFF};
    UniqueRegion m_region;
    bool m_active = false;
    bool m_showCaption = true;
    bool m_force = false;
};

} // namespace zim::win32
