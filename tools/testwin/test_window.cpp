#include "test_window.h"

#include "console.h"
#include "handles.h"
#include "move_stamps.h"
#include "platform/win32/utf.h"
#include "window_info.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zim::testwin
{
namespace
{

// The longest sleep a hang request may ask for, so a stray value cannot hang a test run for ever.
constexpr WPARAM kMaxHangMs = 10 * 60 * 1000;

struct Colour
{
    int red;
    int green;
    int blue;
};

// Same title, same colour, in every run; neighbouring titles ("T 1", "T 2") still differ clearly.
Colour ColourForTitle(const std::string& title)
{
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : title)
    {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    // A hue from the hash at fixed saturation and brightness: never too dark for black text.
    const int hue = static_cast<int>(hash % 360);
    const int high = 235;
    const int low = 90;
    const int rising = low + (high - low) * (hue % 60) / 60;
    const int falling = high - (high - low) * (hue % 60) / 60;
    switch (hue / 60)
    {
    case 0:
        return {high, rising, low};
    case 1:
        return {falling, high, low};
    case 2:
        return {low, high, rising};
    case 3:
        return {low, falling, high};
    case 4:
        return {rising, low, high};
    default:
        return {high, low, falling};
    }
}

UniqueGdiObject CreateTitleFont(int height)
{
    return UniqueGdiObject(CreateFontW(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                       DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

void PaintTitle(HWND window, HDC dc)
{
    RECT client{};
    GetClientRect(window, &client);
    const std::wstring title = WindowTitle(window);
    const Colour colour = ColourForTitle(win32::Narrow(title));

    UniqueGdiObject brush(CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.Get()));
    if (title.empty())
    {
        return;
    }

    // Large, but shrunk until the title fits the width.
    const int width = client.right - client.left;
    int height = std::clamp(static_cast<int>(client.bottom - client.top) / 4, 8, 96);
    UniqueGdiObject font = CreateTitleFont(height);
    {
        SelectGuard measure(dc, font.Get());
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &extent) &&
            extent.cx > width * 9 / 10 && extent.cx > 0)
        {
            height = std::max(8, static_cast<int>(height * (width * 9 / 10) / extent.cx));
        }
    }
    font = CreateTitleFont(height);
    SelectGuard select(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

int ShowCommand(InitialState state)
{
    switch (state)
    {
    case InitialState::Hidden:
        return SW_HIDE;
    case InitialState::Minimized:
        // Minimised programs normally start without taking the focus.
        return SW_SHOWMINNOACTIVE;
    case InitialState::Maximized:
        return SW_SHOWMAXIMIZED;
    case InitialState::Visible:
        break;
    }
    return SW_SHOWNORMAL;
}

class TestWindowSet
{
public:
    explicit TestWindowSet(const OpenRequest& request) : m_request(request) {}
    TestWindowSet(const TestWindowSet&) = delete;
    TestWindowSet& operator=(const TestWindowSet&) = delete;
    ~TestWindowSet()
    {
        // Destroy the windows (before their class) from a local vector: OnNcDestroy looks at m_windows.
        std::vector<UniqueWindow> windows = std::move(m_windows);
        m_windows.clear();
        windows.clear();
        if (m_classRegistered)
        {
            UnregisterClassW(m_request.className.c_str(), GetModuleHandleW(nullptr));
        }
    }

    bool Create()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = m_request.className.c_str();
        if (RegisterClassExW(&windowClass) == 0)
        {
            WriteStderr("testwin: cannot register window class '" + win32::Narrow(m_request.className) + "'\n");
            return false;
        }
        m_classRegistered = true;
        if (!m_request.stampsName.empty())
        {
            m_stamps = MapMoveStampTable(m_request.stampsName);
            if (m_stamps == nullptr)
            {
                WriteStderr("testwin: cannot map the stamp table '" + win32::Narrow(m_request.stampsName) + "'\n");
                return false;
            }
            if (m_request.stampBase < 0 ||
                m_request.stampBase + m_request.count > static_cast<int>(m_stamps->slotCount))
            {
                WriteStderr("testwin: --stamp-base: the windows do not fit the stamp table\n");
                return false;
            }
        }

        DWORD exStyle = 0;
        if (m_request.topmost)
        {
            exStyle |= WS_EX_TOPMOST;
        }
        if (m_request.tool)
        {
            exStyle |= WS_EX_TOOLWINDOW;
        }
        for (int i = 1; i <= m_request.count; ++i)
        {
            std::wstring title = m_request.title;
            if (m_request.count > 1)
            {
                title += L" " + std::to_wstring(i);
            }
            const HWND window = CreateWindowExW(exStyle, m_request.className.c_str(), title.c_str(),
                                                WS_OVERLAPPEDWINDOW, m_request.x, m_request.y, m_request.width,
                                                m_request.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
            if (window == nullptr)
            {
                WriteStderr("testwin: cannot create window '" + win32::Narrow(title) + "'\n");
                return false;
            }
            m_windows.emplace_back(window);
            if (m_stamps != nullptr)
            {
                const int slot = m_request.stampBase + i - 1;
                RECT rect{};
                GetWindowRect(window, &rect);
                MoveStampSlot& stamp = m_stamps->slots[slot];
                stamp.x = rect.left;
                stamp.y = rect.top;
                stamp.window = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(window));
                m_slotOf[window] = slot;
            }
        }
        for (const UniqueWindow& window : m_windows)
        {
            ShowWindow(window.Get(), m_request.startShowCommand.value_or(ShowCommand(m_request.state)));
            UpdateWindow(window.Get());
        }
        return true;
    }

    void PrintWindows() const
    {
        std::string lines;
        for (const UniqueWindow& window : m_windows)
        {
            lines += DescribeWindow(window.Get()).value_or("");
        }
        WriteStdout(lines);
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
        {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindowSet*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr)
        {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY)
        {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->OnNcDestroy(window);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return self->HandleMessage(window, message, wParam, lParam);
    }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message)
        {
        case WM_ERASEBKGND:
            return 1; // WM_PAINT fills the whole client area
        case WM_PAINT:
        {
            PaintScope paint(window);
            PaintTitle(window, paint.Get());
            return 0;
        }
        case WM_SETTEXT:
        {
            // The painted title and colour follow the caption.
            const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        case WM_WINDOWPOSCHANGED:
            StampMove(window, *reinterpret_cast<const WINDOWPOS*>(lParam));
            return DefWindowProcW(window, message, wParam, lParam);
        case kHangMessage:
            Sleep(static_cast<DWORD>(std::min(wParam, kMaxHangMs)));
            StampWake();
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    // First thing on arrival, so the stamp is when the move reached the window.
    void StampMove(HWND window, const WINDOWPOS& position)
    {
        if (m_stamps == nullptr || (position.flags & SWP_NOMOVE))
        {
            return;
        }
        const std::int64_t now = PerformanceCounterNow();
        const auto found = m_slotOf.find(window);
        if (found == m_slotOf.end())
        {
            return;
        }
        MoveStampSlot& stamp = m_stamps->slots[found->second];
        if (stamp.x == position.x && stamp.y == position.y)
        {
            return; // a z-order, size or frame change: not a move
        }
        stamp.moveStamp = now;
        stamp.x = position.x;
        stamp.y = position.y;
        ++stamp.moves;
    }

    // One thread runs all the windows of the set: they all woke.
    void StampWake()
    {
        if (m_stamps == nullptr)
        {
            return;
        }
        const std::int64_t now = PerformanceCounterNow();
        for (const auto& [window, slot] : m_slotOf)
        {
            m_stamps->slots[slot].wakeStamp = now;
            ++m_stamps->slots[slot].wakes;
        }
    }

    void OnNcDestroy(HWND window)
    {
        // The window is gone: nothing left for the owner to destroy.
        for (UniqueWindow& owned : m_windows)
        {
            if (owned.Get() == window)
            {
                owned.Release();
            }
        }
        const bool anyLeft = std::any_of(m_windows.begin(), m_windows.end(), [](const UniqueWindow& w) { return !!w; });
        if (!anyLeft && !m_windows.empty())
        {
            PostQuitMessage(0);
        }
    }

    const OpenRequest& m_request;
    bool m_classRegistered = false;
    std::vector<UniqueWindow> m_windows;
    MoveStampTable* m_stamps = nullptr;
    std::unordered_map<HWND, int> m_slotOf;
};

} // namespace

int RunWindows(const OpenRequest& request)
{
    TestWindowSet windows(request);
    if (!windows.Create())
    {
        return 1;
    }
    windows.PrintWindows();
    if (request.hangOnStartMs > 0)
    {
        Sleep(request.hangOnStartMs);
    }
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace zim::testwin
