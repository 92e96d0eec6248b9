// One wallpaper per desktop with the real program: a switch sets the shown
// desktop's bitmap through the system, in the user's profile when asked.

#include "harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

// A plain 24-bit bitmap of one colour.
bool WriteBitmap(const std::wstring& path, int width, int height, COLORREF colour)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<std::uint8_t> pixels(info.biSizeImage);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            std::uint8_t* p = &pixels[static_cast<std::size_t>(y * stride + x * 3)];
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    }
    std::vector<std::uint8_t> bytes(sizeof(file) + sizeof(info));
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    const HANDLE out =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(out);
    return ok;
}

std::wstring DesktopValue(const wchar_t* name)
{
    wchar_t buffer[512] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
    {
        return L"<missing>";
    }
    return buffer;
}

COLORREF ScreenPixel(int x, int y)
{
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST(Wallpapers, ASwitchSetsTheShownDesktopsBitmap)
{
    const std::wstring folder = L"C:\\zimtest-wallpapers";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring first = folder + L"\\first.bmp";
    const std::wstring second = folder + L"\\second.bmp";
    ASSERT_TRUE(WriteBitmap(first, 64, 64, RGB(200, 30, 30)));
    ASSERT_TRUE(WriteBitmap(second, 64, 64, RGB(30, 160, 60)));
    const std::wstring before = DesktopValue(L"Wallpaper");

    ChildProcess app;
    ASSERT_TRUE(StartZimDesk(app, {{L"Options", L"TaskSwitch", L"0"},
                                   {L"Wallpapers", L"Enabled", L"1"},
                                   {L"Wallpapers", L"UpdateProfile", L"1"},
                                   {L"Wallpapers", L"NbrOfWallpapers", L"2"},
                                   {L"Wallpapers", L"FileName1", first},
                                   {L"Wallpapers", L"Tile1", L"0"},
                                   {L"Wallpapers", L"FileName2", second},
                                   {L"Wallpapers", L"Tile2", L"1"}}));
    const HWND monitor = WaitForMonitor(app);
    ASSERT_TRUE(monitor);
    // Nothing is set at start.
    EXPECT_EQ(DesktopValue(L"Wallpaper"), before);

    // The middle of the desktop, where no window lies and an untiled bitmap is centred.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    ClickMonitorCell(monitor, 1, 0);
    EXPECT_TRUE(WaitUntil([&] { return DesktopValue(L"Wallpaper") == second; }, 10s));
    EXPECT_EQ(DesktopValue(L"TileWallPaper"), L"1");
    WaitUntil([&] { return ScreenPixel(x, y) == RGB(30, 160, 60); }, 5s);
    Sleep(500); // the windows repaint over the new wallpaper
    SaveScreenshot(L"wallpaper-desktop-1-0");
    EXPECT_EQ(ScreenPixel(x, y), RGB(30, 160, 60));

    ClickMonitorCell(monitor, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return DesktopValue(L"Wallpaper") == first; }, 10s));
    EXPECT_EQ(DesktopValue(L"TileWallPaper"), L"0");
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(x, y) == RGB(200, 30, 30); }, 5s));
    Sleep(500);
    SaveScreenshot(L"wallpaper-desktop-0-0");
    CloseProgram(app, monitor);
    // The later tests' screenshots show the desktop as it was.
    std::wstring restore = before == L"<missing>" ? std::wstring() : before;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", REG_SZ, restore.c_str(),
                    static_cast<DWORD>((restore.size() + 1) * sizeof(wchar_t)));
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, restore.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    DeleteFileW(first.c_str());
    DeleteFileW(second.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace zim::e2e
