// The monitor window rendered through WM_PRINTCLIENT into a bitmap: a cheap
// check of its painting that needs no screenshot.

#include "engine/desktop_engine.h"
#include "monitor/win32/monitor_window.h"
#include "platform/win32/win32_scheduler.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace zim::win32
{
namespace
{

class NoCommands final : public ProgramCommands
{
public:
    void ShowMonitor() override {}
    void HideMonitor() override {}
    void ToggleMonitor() override {}
    void ShowOptions(OptionsPage) override {}
    void ShowHelp() override {}
    void PopupMainMenu(Point) override {}
    void Exit() override {}
};

// The client area drawn into a 32-bit top-down bitmap, read back pixel by pixel.
class Rendering
{
public:
    Rendering(HWND window, int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const MemoryDc dc(nullptr);
        m_bitmap.Reset(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const std::uint32_t*>(bits);
        if (m_bitmap)
        {
            const SelectGuard guard(dc.Get(), m_bitmap.Get());
            SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
            GdiFlush();
        }
    }

    bool Valid() const { return m_bits != nullptr; }
    // As a COLORREF (0x00BBGGRR).
    COLORREF At(int x, int y) const
    {
        const std::uint32_t p = m_bits[y * m_width + x]; // 0x00RRGGBB in memory order BGRA
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // How many pixels of a rectangle have the colour.
    int Count(const Rect& r, COLORREF color) const
    {
        int n = 0;
        for (int y = std::max(0, r.top); y < std::min(m_height, r.bottom); ++y)
        {
            for (int x = std::max(0, r.left); x < std::min(m_width, r.right); ++x)
            {
                n += At(x, y) == color ? 1 : 0;
            }
        }
        return n;
    }

private:
    int m_width;
    int m_height;
    UniqueBitmap m_bitmap;
    const std::uint32_t* m_bits = nullptr;
};

class MonitorPaintTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 225; // cells of 100 x 75

    void SetUp() override
    {
        options.Update(
            [](Options& o)
            {
                o.showWndIcons = false;
                o.alwaysOnTop = false;
            });
        ASSERT_TRUE(monitor.Create(nullptr));
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(monitor.Handle(), GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(monitor.Handle(), GWL_EXSTYLE));
        RECT outer{0, 0, kWidth, kHeight};
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
        SetWindowPos(monitor.Handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        RECT client{};
        GetClientRect(monitor.Handle(), &client);
        ASSERT_EQ(client.right, kWidth);
        ASSERT_EQ(client.bottom, kHeight);
    }

    Rendering Render() const { return Rendering(monitor.Handle(), kWidth, kHeight); }

    Win32WindowSystem windows;
    Win32Scheduler scheduler;
    Win32Shell shell;
    OptionsModel options;
    EngineState state{windows};
    HideMode hideMode{windows, options, state};
    FrozenWindows frozen{windows, hideMode};
    DesktopEngine engine{windows, shell, options, state, hideMode, frozen};
    NoCommands commands;
    TZIMMonitor monitor{{windows, scheduler, options, state, engine, hideMode}, commands, [] {}};
};

TEST_F(MonitorPaintTest, TheGridLinesAndTheHighlightFrameFollowTheSwitch)
{
    const COLORREF background = GetSysColor(COLOR_APPWORKSPACE);
    const COLORREF line = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHTTEXT);
    ASSERT_NE(line, background);
    ASSERT_NE(highlight, background);
    EXPECT_EQ(state.Grid.Geometry().CellWidth(), 100) << "the grid follows the client area";

    // Told of a switch as the engine tells it, without moving anybody's windows.
    state.Grid.Apply({kWidth, kHeight}, 3, 3);
    static_cast<SwitchListener&>(monitor.Model()).DesktopSwitching({0, 0}, {0, 0});
    Rendering first = Render();
    ASSERT_TRUE(first.Valid());
    EXPECT_EQ(first.At(150, 37), background) << "inside an empty cell";
    EXPECT_EQ(first.At(100, 150), line) << "the line between the first two columns";
    EXPECT_EQ(first.At(250, 75), line) << "the line between the first two rows";
    EXPECT_GT(first.Count({98, 20, 103, 50}, highlight), 20) << "the frame's right edge around cell (0, 0)";
    EXPECT_EQ(first.Count({198, 90, 203, 140}, highlight), 0);

    static_cast<SwitchListener&>(monitor.Model()).DesktopSwitching({0, 0}, {2, 1});
    Rendering second = Render();
    EXPECT_GT(second.Count({198, 90, 203, 140}, highlight), 20) << "the frame's left edge around cell (2, 1)";
    EXPECT_EQ(second.Count({98, 20, 103, 50}, highlight), 0) << "gone from cell (0, 0)";
    EXPECT_EQ(monitor.Model().CoordinateLabel(), "(1,2)");
}

TEST_F(MonitorPaintTest, AWindowIsDrawnAsAFilledMiniatureInItsCell)
{
    // On top of every other window, so that its miniature is painted last.
    const UniqueWindow window = test::CreateTestWindow(L"", 102, 102, 307, 230, WS_POPUP | WS_VISIBLE);
    ASSERT_TRUE(window);
    SetWindowPos(window.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    options.Update([](Options& o) { o.showWndNames = false; });
    const Size screen = windows.GetScreenSize();
    static_cast<SwitchListener&>(monitor.Model()).DesktopSwitching({0, 0}, {0, 0});
    monitor.Model().UpdateMiniatures();

    const Miniature* miniature = monitor.Model().FindMiniature(FromHwnd(window.Get()));
    ASSERT_NE(miniature, nullptr);
    const Rect b = miniature->bounds;
    EXPECT_EQ(b.left, std::lround(102.0 * 100 / screen.width)) << "scaled into cell (0, 0)";
    Rendering rendering = Render();
    const COLORREF fill = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF frame = GetSysColor(COLOR_WINDOWTEXT);
    const Rect inside{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
    EXPECT_EQ(rendering.Count(inside, fill), inside.Width() * inside.Height()) << "filled";
    EXPECT_EQ(rendering.At(b.left, (b.top + b.bottom) / 2), frame) << "framed in the line colour";
}

} // namespace
} // namespace zim::win32
