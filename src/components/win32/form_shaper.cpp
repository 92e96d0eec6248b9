#include "components/win32/form_shaper.h"

#include "components/region_runs.h"
#include "components/win32/region_builder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zim::win32
{
namespace
{

// The hourglass while the outline is built or the frame switched.
class WaitCursor
{
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;

} // namespace

void MaskedPicture::Assign(UniqueBitmap bitmap, ColorValue mask)
{
    const bool changed = bitmap.Get() != m_bitmap.Get() || mask != m_mask;
    m_bitmap = std::move(bitmap);
    m_mask = mask;
    m_size = {};
    BITMAP info{};
    if (m_bitmap && GetObjectW(m_bitmap.Get(), sizeof(info), &info) == sizeof(info))
    {
        m_size = {info.bmWidth, std::abs(info.bmHeight)};
    }
    if (changed)
    {
        Fire();
    }
}

void MaskedPicture::SetMaskColor(ColorValue mask)
{
    if (mask != m_mask)
    {
        m_mask = mask;
        Fire();
    }
}

void MaskedPicture::Fire()
{
    if (onChange)
    {
        onChange();
    }
}

FormShaper::FormShaper()
{
    m_picture.onChange = [this] { PictureChanged(); };
}

Size FormShaper::ShapeSize() const
{
    const Size bitmap = m_picture.BitmapSize();
    return {std::min(bitmap.width, m_limit.width), std::min(bitmap.height, m_limit.height)};
}

void FormShaper::PictureChanged()
{
    FitFormToPicture();
    UpdateRegion();
}

void FormShaper::FitFormToPicture()
{
    if (!m_owner || m_picture.Empty())
    {
        return;
    }
    const Size want = ShapeSize();
    RECT outer{};
    GetWindowRect(m_owner, &outer);
    if (m_showCaption)
    {
        RECT client{};
        GetClientRect(m_owner, &client);
        const int width = (outer.right - outer.left) - client.right + want.width;
        const int height = (outer.bottom - outer.top) - client.bottom + want.height;
        SetWindowPos(m_owner, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    else if (outer.right - outer.left != want.width || outer.bottom - outer.top != want.height)
    {
        SetWindowPos(m_owner, nullptr, 0, 0, want.width, want.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

UniqueRegion FormShaper::BuildRegion() const
{
    if (!m_owner || m_picture.Empty())
    {
        return {};
    }
    const WaitCursor wait;
    const Size size = ShapeSize();
    const Size full = m_picture.BitmapSize();
    // The bitmap's pixels as 32-bit values, rows from the top.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = full.width;
    info.bmiHeader.biHeight = -full.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(full.width) * full.height);
    const WindowDc screen(nullptr);
    if (GetDIBits(screen.Get(), m_picture.Bitmap(), 0, static_cast<UINT>(full.height), pixels.data(), &info,
                  DIB_RGB_COLORS) != full.height)
    {
        return {};
    }
    // The mask as the screen shows it: a system colour resolved first.
    const std::uint32_t mask =
        ColorToRgb(m_picture.MaskColor(), [](int index) -> std::uint32_t { return ::GetSysColor(index); });
    const std::vector<Rect> runs = BuildRegionRunsWith(
        size.width, size.height,
        [&](int x, int y)
        {
            // DIB bytes are blue, green, red: turned into 0x00BBGGRR.
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * full.width + x];
            return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
        },
        mask);
    return CreateRegionFromRuns(runs);
}

void FormShaper::UpdateRegion()
{
    UniqueRegion built = BuildRegion();
    if (built.Get() != m_region.Get())
    {
        m_force = true;
    }
    m_region = std::move(built);
    SetActive(m_active);
}

void FormShaper::SetActive(bool value)
{
    if (value == m_active && !m_force)
    {
        return;
    }
    m_active = false;
    if (!m_owner)
    {
        m_force = false;
        return;
    }
    if (value && m_region && !m_picture.Empty())
    {
        // The window owns what it is given; the built region stays for later.
        UniqueRegion copy(CreateRectRgn(0, 0, 0, 0));
        const int kind = copy ? CombineRgn(static_cast<HRGN>(copy.Get()), BuiltRegion(), nullptr, RGN_COPY) : ERROR;
        if (kind == SIMPLEREGION || kind == COMPLEXREGION)
        {
            if (SetWindowRgn(m_owner, static_cast<HRGN>(copy.Get()), TRUE))
            {
                copy.Release();
                m_active = true;
            }
        }
        else
        {
            SetWindowRgn(m_owner, nullptr, TRUE);
        }
    }
    else
    {
        SetWindowRgn(m_owner, nullptr, TRUE);
    }
    m_force = false;
}

void FormShaper::SetShowCaption(bool value)
{
    if (value == m_showCaption)
    {
        return;
    }
    const bool wasActive = m_active;
    const WaitCursor wait;
    m_showCaption = value;
    if (!m_owner)
    {
        return;
    }
    SetActive(false);
    const LONG_PTR style = GetWindowLongPtrW(m_owner, GWL_STYLE);
    SetWindowLongPtrW(m_owner, GWL_STYLE,
                      value ? (style | kFrameStyles) : (style & ~static_cast<LONG_PTR>(kFrameStyles)));
    SetWindowPos(m_owner, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetActive(wasActive);
}

} // namespace zim::win32
