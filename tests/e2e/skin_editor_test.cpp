// The skin editor in the real program, on a skin folder of its own: opened
// from "Edit Skin...", the grid area moved by the keyboard and the mouse, a
// button resized by its grip, the result saved as a new skin; and a cancelled
// session that leaves the skin file as it was.

#include "app/resource.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;

constexpr int kTitleBar = 17;

std::wstring EditorSkinFolder()
{
    return BinDir() + L"\\editor-skins";
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int SkinKey(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, -9999, (EditorSkinFolder() + L"\\" + file).c_str()));
}

SIZE BitmapSize(const std::wstring& file)
{
    const std::string bytes = FileBytes(EditorSkinFolder() + L"\\" + file);
    if (bytes.size() < 26)
    {
        return {};
    }
    const auto u32 = [&](std::size_t at)
    {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                static_cast<unsigned char>(bytes[at + 2]) << 16);
    };
    return {u32(18), u32(22)};
}

// A real drag with the left button, through the system's input queue.
void DragAt(POINT from, POINT to)
{
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const auto send = [&](POINT p, DWORD flags)
    {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = (p.x * 65536 + w / 2) / w;
        input.mi.dy = (p.y * 65536 + h / 2) / h;
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof(input));
        Sleep(80);
    };
    send(from, 0); // the hover picks the grip
    send(from, MOUSEEVENTF_LEFTDOWN);
    send({(from.x + to.x) / 2, (from.y + to.y) / 2}, 0);
    send(to, 0);
    send(to, MOUSEEVENTF_LEFTUP);
}

// A click as a hand makes it: the pointer rests on the spot before the press.
// The editor's handle picks its grip (or the move) from the hover; a press in
// the same burst of input as the move could find the grip of an older hover.
void ClickAfterHover(POINT p)
{
    DragAt(p, p);
}

class SkinEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateDirectoryW(EditorSkinFolder().c_str(), nullptr);
        for (const wchar_t* file : {L"silver.zim", L"silver.bmp"})
        {
            CopyFileW((BinDir() + L"\\data\\" + file).c_str(), (EditorSkinFolder() + L"\\" + file).c_str(), FALSE);
        }
        DeleteFileW((EditorSkinFolder() + L"\\Restyled.zim").c_str());
        // Another skin of the folder, which a new name must not replace silently.
        CopyFileW((BinDir() + L"\\data\\silver.zim").c_str(), (EditorSkinFolder() + L"\\Other.zim").c_str(), FALSE);
        original = FileBytes(EditorSkinFolder() + L"\\silver.zim");
        ASSERT_FALSE(original.empty());
        ASSERT_TRUE(StartZimDesk(app, {{L"Options", L"TaskSwitch", L"0"},
                                       {L"Options", L"Autohide", L"0"},
                                       {L"ZIMMonitor", L"SkinDir", EditorSkinFolder()},
                                       {L"ZIMMonitor", L"Skin", L"silver.zim"}}));
        monitor = WaitForMonitor(app);
        ASSERT_NE(monitor, nullptr);
        const auto main = FindWindowOf(app.Id(), L"TZIM");
        const auto options = FindWindowOf(app.Id(), L"TOptionsDlg");
        ASSERT_TRUE(main && options);
        mainWindow = main->hwnd;
        dialog = options->hwnd;
        bitmap = BitmapSize(L"silver.bmp");
        ASSERT_GT(bitmap.cx, 0);
    }

    void TearDown() override { CloseProgram(app, monitor); }

    bool OpenEditor()
    {
        PostMessageW(mainWindow, WM_COMMAND, IDM_OPTIONS, 0);
        if (!WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 10s))
        {
            return false;
        }
        const HWND button = DialogControl(dialog, IDC_EDIT_SKIN);
        if (!button || !WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, 5s))
        {
            return false;
        }
        PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_EDIT_SKIN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        if (!WaitUntil(
                [&] {
                    return (tools = FindWindowExW(monitor, nullptr, L"#32770", nullptr)) != nullptr &&
                           IsWindowVisible(tools);
                },
                10s))
        {
            return false;
        }
        handle = FindWindowExW(monitor, nullptr, L"TStretchHandle", nullptr);
        // The options dialog out of the way, so that real input reaches the monitor.
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindowVisible(dialog); }, 5s);
        SetForegroundWindow(monitor);
        Sleep(300);
        return handle != nullptr;
    }

    POINT OnScreen(POINT client) const
    {
        ClientToScreen(monitor, &client);
        return client;
    }

    void PressTool(int id)
    {
        const HWND control = GetDlgItem(tools, id);
        PostMessageW(tools, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    }

    // The process's top-level window of a class, once shown.
    HWND WaitForWindow(const wchar_t* className)
    {
        HWND found = nullptr;
        WaitUntil(
            [&]
            {
                const auto w = FindWindowOf(app.Id(), className);
                found = w && w->visible ? w->hwnd : nullptr;
                return found != nullptr;
            },
            5s);
        return found;
    }

    void NameNewSkin(const wchar_t* name)
    {
        PressTool(IDC_EDITOR_NEW_SKIN);
        const HWND box = WaitForWindow(L"TOKBottomDlg");
        ASSERT_NE(box, nullptr) << "the name dialog did not open";
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDlgItem(box, IDC_NEW_SKIN_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name),
                            SMTO_ABORTIFHUNG, 2000, &ignored);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    RECT Grid() const { return MonitorGridArea(monitor); }

    // Input reaches the editor only once Wine has made it the foreground
    // window; a click right after a desktop change elsewhere can be lost, so
    // it is repeated until the handle holds the keyboard focus.
    bool FocusHandleByClick(POINT at)
    {
        const DWORD thread = GetWindowThreadProcessId(monitor, nullptr);
        const auto focused = [&]
        {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            return GetGUIThreadInfo(thread, &info) && info.hwndFocus == handle;
        };
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            SetForegroundWindow(monitor);
            WaitUntil([&] { return GetForegroundWindow() == monitor; }, 2s);
            ClickAfterHover(at);
            if (WaitUntil(focused, 2s))
            {
                Sleep(100);
                return true;
            }
        }
        return false;
    }

    ChildProcess app;
    HWND monitor = nullptr;
    HWND mainWindow = nullptr;
    HWND dialog = nullptr;
    HWND tools = nullptr;
    HWND handle = nullptr;
    SIZE bitmap{};
    std::string original;
};

TEST_F(SkinEditorTest, MovesAndResizesByKeyboardMouseAndGripAndSavesAsANewSkin)
{
    ASSERT_TRUE(OpenEditor());
    const RECT window = WindowRect(monitor);
    EXPECT_EQ(window.right - window.left, std::max<LONG>(bitmap.cx, 397));
    EXPECT_EQ(window.bottom - window.top, std::max<LONG>(bitmap.cy + 86 + kTitleBar, 304));

    // The grid area is selected: the handle lies 2 pixels around it.
    const int gridLeft = SkinKey(L"silver.zim", L"Desktop Grid", L"Left");
    const int gridTop = SkinKey(L"silver.zim", L"Desktop Grid", L"Top");
    RECT grid = Grid();
    ASSERT_EQ(grid.left, gridLeft);
    ASSERT_EQ(grid.top, gridTop + kTitleBar) << "the panel lies below the title bar";
    ASSERT_TRUE(IsWindowVisible(handle));
    RECT over = WindowRect(handle);
    EXPECT_EQ(over.left, OnScreen({grid.left, grid.top}).x - 2);

    // The keyboard: a click on the grid gives the handle the focus; three
    // pixels right and two down.
    const POINT inside = OnScreen({(grid.left + grid.right) / 2, (grid.top + grid.bottom) / 2});
    ASSERT_TRUE(FocusHandleByClick(inside)) << "a click on the grid area did not give the handle the focus";
    for (const WORD key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN})
    {
        PressKey(key);
        Sleep(50);
    }
    EXPECT_TRUE(WaitUntil([&] { return Grid().left == gridLeft + 3 && Grid().top == gridTop + kTitleBar + 2; }, 5s))
        << "the arrow keys did not move the grid area: " << Grid().left << "," << Grid().top;

    // The mouse: a drag by (12, 9) moves it by 2 pixels less on each axis, as
    // the handle places the moved edge.
    grid = Grid();
    DragAt(OnScreen({grid.left + 20, grid.top + 20}), OnScreen({grid.left + 32, grid.top + 29}));
    EXPECT_TRUE(WaitUntil([&] { return Grid().left == grid.left + 10 && Grid().top == grid.top + 7; }, 5s))
        << "the drag did not move the grid area: " << Grid().left << "," << Grid().top;
    const RECT moved = Grid();

    // A button selected by a click, then resized by its bottom-right grip.
    const int left = SkinKey(L"silver.zim", L"Options Button", L"Left");
    const int top = SkinKey(L"silver.zim", L"Options Button", L"Top");
    const int width = SkinKey(L"silver.zim", L"Options Button", L"Width");
    const int height = SkinKey(L"silver.zim", L"Options Button", L"Height");
    ClickAfterHover(OnScreen({left + width / 2, top + kTitleBar + height / 2}));
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(handle).right - WindowRect(handle).left == width + 5; }, 5s))
        << "the button was not selected";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(tools, IDC_EDITOR_FONT))) << "a command button takes no font";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(tools, IDC_EDITOR_COLOR)));
    Sleep(300);
    RedrawWindow(monitor, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    SaveScreenshot(L"skin-editor-selection");
    over = WindowRect(handle);
    const POINT grip{over.right - 3, over.bottom - 3}; // 2 inside the 21 x 21 handle's far corner
    DragAt(grip, {grip.x + 10, grip.y + 8});
    Sleep(500);

    NameNewSkin(L"Restyled");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !FindWindowOf(app.Id(), L"TOKBottomDlg").has_value() ||
                   !FindWindowOf(app.Id(), L"TOKBottomDlg")->visible;
        },
        5s));
    PressTool(IDOK);
    const std::wstring saved = EditorSkinFolder() + L"\\Restyled.zim";
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s))
        << "no new skin file";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(tools); }, 5s));

    EXPECT_EQ(SkinKey(L"Restyled.zim", L"Desktop Grid", L"Left"), moved.left);
    EXPECT_EQ(SkinKey(L"Restyled.zim", L"Desktop Grid", L"Top"), moved.top - kTitleBar);
    EXPECT_EQ(SkinKey(L"Restyled.zim", L"Options Button", L"Left"), left);
    // The pointer's absolute position is quantised by the input queue: one pixel either way.
    EXPECT_NEAR(SkinKey(L"Restyled.zim", L"Options Button", L"Width"), width + 10 - 3, 1);
    EXPECT_NEAR(SkinKey(L"Restyled.zim", L"Options Button", L"Height"), height + 8 - 3, 1);
    EXPECT_EQ(SkinKey(L"Restyled.zim", L"Zim Desk Skin", L"FileformatVersion"), 1);
    wchar_t image[MAX_PATH] = {};
    GetPrivateProfileStringW(L"Background Image", L"Filename", L"", image, MAX_PATH, saved.c_str());
    EXPECT_STREQ(image, L"silver.bmp") << "the new skin names the same bitmap";
    EXPECT_EQ(FileBytes(EditorSkinFolder() + L"\\silver.zim"), original) << "the skin that was open changed";

    // Closed: the window fits the bitmap again, and the new skin is the chosen one.
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            const RECT r = WindowRect(monitor);
            return r.right - r.left == bitmap.cx && r.bottom - r.top == bitmap.cy;
        },
        5s));
    EXPECT_EQ(Grid().left, moved.left);
    EXPECT_EQ(Grid().top, moved.top - kTitleBar);
    const HWND skins = DialogControl(dialog, IDC_SKIN);
    wchar_t chosen[MAX_PATH] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(skins, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(chosen), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    EXPECT_STREQ(chosen, L"Restyled.zim");
}

TEST_F(SkinEditorTest, ACancelledSessionLeavesTheSkinFileAsItWasAndNeverOverwritesSilently)
{
    ASSERT_TRUE(OpenEditor());
    const RECT before = Grid();
    PostMessageW(handle, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(handle, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(WaitUntil([&] { return Grid().left == before.left + 1 && Grid().top == before.top + 1; }, 5s));

    // A name that exists asks first; "No" keeps the skin being edited.
    NameNewSkin(L"OTHER");
    std::optional<std::pair<HWND, std::wstring>> box;
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Id())).has_value() && !box->second.empty(); }, 5s));
    EXPECT_NE(box->second.find(L"already exists"), std::wstring::npos)
        << std::string(box->second.begin(), box->second.end());
    PostMessageW(box->first, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxOf(app.Id()).has_value(); }, 5s));

    // A name no file can hold is refused with a message.
    NameNewSkin(L"a/b");
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Id())).has_value() && !box->second.empty(); }, 5s));
    EXPECT_NE(box->second.find(L"cannot contain"), std::wstring::npos);
    PostMessageW(box->first, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !MessageBoxOf(app.Id()).has_value(); }, 5s));

    // A transparent-colour pick left pending, then Cancel.
    CheckDlgButton(tools, IDC_EDITOR_TRANSPARENT, BST_CHECKED);
    PressTool(IDC_EDITOR_TRANSPARENT);
    Sleep(300);
    PressTool(IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tools); }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return Grid().left == before.left && Grid().top == before.top - kTitleBar; }, 5s))
        << "Cancel did not reload the skin";
    RECT client{};
    GetClientRect(monitor, &client);
    EXPECT_EQ(client.right, bitmap.cx);
    EXPECT_EQ(client.bottom, bitmap.cy);
    EXPECT_EQ(FileBytes(EditorSkinFolder() + L"\\silver.zim"), original);
    EXPECT_EQ(FileBytes(EditorSkinFolder() + L"\\Other.zim"), FileBytes(BinDir() + L"\\data\\silver.zim"));
    SaveScreenshot(L"skin-editor-cancelled");
}

} // namespace
} // namespace zim::e2e
