// The installer built by the build (zimdesk-setup.exe) in the test prefix: a
// silent install for this user, the installed program started from its
// Start-menu shortcut, and a silent uninstall while it runs with windows on
// another desktop. Whatever the installer makes (the program folder, the
// shortcuts, the installed-programs entry, the settings the program saved, the
// log-on cleanup of a busy hook library) is removed after each case, so the
// other tests sharing the prefix see none of it.

#include "harness.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace zim::e2e
{
namespace
{

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZimDesk";
const wchar_t* const kRunOnceKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t* const kSettingsKey = L"Software\\zimdesk.ini";
// The uninstaller's RunOnce values for files it could only move aside: this, then the file's path.
const std::wstring kLeftoverPrefix = L"Zim Desk leftover ";

const std::set<std::wstring> kInstalledFiles = {L"zimdesk.exe",   L"cbt.dll",      L"cbt32.dll",
                                                L"cbthost32.exe", L"zimstart.exe", L"zimdesk-rescue.exe",
                                                L"Zimdesk.html",  L"uninstall.exe"};

fs::path KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    fs::path out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
    {
        out = path;
    }
    CoTaskMemFree(path);
    return out;
}

bool SamePath(const fs::path& a, const fs::path& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

struct Shortcut
{
    fs::path target;
    std::wstring arguments;
    fs::path workingFolder;
};

std::optional<Shortcut> ReadShortcut(const fs::path& file)
{
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    {
        return std::nullopt;
    }
    std::optional<Shortcut> out;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))))
    {
        if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)))
        {
            wchar_t target[MAX_PATH] = {};
            wchar_t arguments[1024] = {};
            wchar_t folder[MAX_PATH] = {};
            link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, 1024);
            link->GetWorkingDirectory(folder, MAX_PATH);
            out = Shortcut{target, arguments, folder};
        }
        persist->Release();
    }
    link->Release();
    return out;
}

std::wstring ReadText(HKEY root, const std::wstring& key, const std::wstring& name)
{
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    {
        return L"<missing>";
    }
    return buffer;
}

bool KeyExists(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// The uninstaller's leftovers: value name and command, by the moved file's path.
std::vector<std::pair<fs::path, std::wstring>> Leftovers()
{
    std::vector<std::pair<fs::path, std::wstring>> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunOnceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    {
        return out;
    }
    for (DWORD i = 0;; ++i)
    {
        wchar_t name[1024];
        DWORD length = 1024;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        {
            break;
        }
        const std::wstring value(name, length);
        if (value.starts_with(kLeftoverPrefix))
        {
            out.emplace_back(value.substr(kLeftoverPrefix.size()), ReadText(HKEY_CURRENT_USER, kRunOnceKey, value));
        }
    }
    RegCloseKey(key);
    return out;
}

// A leftover whose file can go now goes, with its value; one still loaded (by
// this very process, for one) keeps its value, which only deletes a file.
void DeleteLeftovers()
{
    for (const auto& [file, command] : Leftovers())
    {
        std::error_code error;
        fs::remove(file, error);
        if (!fs::exists(file, error))
        {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunOnceKey, (kLeftoverPrefix + file.wstring()).c_str());
        }
    }
}

// The files under a folder, relative to it.
std::set<std::wstring> FilesUnder(const fs::path& folder)
{
    std::set<std::wstring> out;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
    {
        if (it->is_regular_file())
        {
            out.insert(fs::relative(it->path(), folder).wstring());
        }
    }
    return out;
}

std::string Narrow(const std::wstring& text)
{
    return fs::path(text).string();
}

class Installer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_setup = fs::path(BinDir()).parent_path() / L"zimdesk-setup.exe";
        ASSERT_TRUE(fs::exists(m_setup)) << "the build made no installer: " << m_setup.string();
        m_folder = KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Zim Desk";
        m_menu = KnownFolder(FOLDERID_Programs) / L"Zim Desk";
        m_logOn = KnownFolder(FOLDERID_Startup) / L"Zim Desk.lnk";
        ASSERT_FALSE(m_folder.empty() || m_menu.empty() || m_logOn.empty());

        // Shortcuts made under Wine would also become menu entries of the Linux desktop.
        wchar_t overrides[1024] = {};
        GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
        m_overrides = overrides;
        SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (m_overrides + L";winemenubuilder.exe=d").c_str());

        RemoveEverything();
        ASSERT_FALSE(fs::exists(m_folder)) << "an earlier install could not be removed";
    }

    void TearDown() override
    {
        CloseInstalledProgram();
        m_helpers.Terminate();
        RemoveEverything();
        SetEnvironmentVariableW(L"WINEDLLOVERRIDES", m_overrides.c_str());
        CoUninitialize();
    }

    void RemoveEverything()
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
        fs::remove_all(m_menu, error);
        fs::remove(m_logOn, error);
        RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        DeleteLeftovers();
    }

    // Runs the installer or the uninstaller and waits for it; its exit code.
    std::optional<DWORD> Run(const fs::path& exe, const std::wstring& arguments)
    {
        ChildProcess process;
        if (!process.Start(exe.wstring(), arguments))
        {
            return std::nullopt;
        }
        return process.Wait(60s);
    }

    // The silent uninstaller copies itself out of the folder it deletes and
    // returns at once; it is done when the installed-programs entry is gone.
    bool Uninstall(const std::wstring& arguments = L"/S")
    {
        const auto code = Run(m_folder / L"uninstall.exe", arguments);
        if (!code || *code != 0)
        {
            ADD_FAILURE() << "the uninstaller could not be run";
            return false;
        }
        return WaitUntil([&] { return !KeyExists(kUninstallKey) && !fs::exists(m_folder / L"uninstall.exe"); }, 40s);
    }

    // The installed copy's visible monitor: the process whose image lies in the program folder.
    std::optional<WindowInfo> InstalledMonitor()
    {
        for (const WindowInfo& w : TopLevelWindows())
        {
            if (w.className != L"TZIMMonitor" || !w.visible)
            {
                continue;
            }
            const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, w.processId);
            if (!process)
            {
                continue;
            }
            wchar_t image[MAX_PATH] = {};
            DWORD length = MAX_PATH;
            const bool ours = QueryFullProcessImageNameW(process, 0, image, &length) &&
                              SamePath(fs::path(image), m_folder / L"zimdesk.exe");
            CloseHandle(process);
            if (ours)
            {
                return w;
            }
        }
        return std::nullopt;
    }

    void CloseInstalledProgram()
    {
        const auto monitor = InstalledMonitor();
        if (!monitor)
        {
            return;
        }
        const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, monitor->processId);
        PostMessageW(monitor->hwnd, WM_CLOSE, 0, 0);
        if (process)
        {
            if (WaitForSingleObject(process, 15000) != WAIT_OBJECT_0)
            {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
    }

    void ExpectShortcut(const fs::path& file, const fs::path& target, const std::wstring& arguments = L"")
    {
        const auto shortcut = ReadShortcut(file);
        ASSERT_TRUE(shortcut) << "no shortcut " << file.string();
        EXPECT_TRUE(SamePath(shortcut->target, target)) << file.string() << " points to " << shortcut->target.string();
        EXPECT_EQ(shortcut->arguments, arguments) << file.string();
        EXPECT_TRUE(SamePath(shortcut->workingFolder, m_folder))
            << file.string() << " starts in " << shortcut->workingFolder.string();
    }

    fs::path m_setup;
    fs::path m_folder;
    fs::path m_menu;
    fs::path m_logOn;
    std::wstring m_overrides;
    ChildProcess m_helpers;
};

TEST_F(Installer, SilentInstallPutsFilesShortcutsAndEntryInPlaceAndTheUninstallRemovesThem)
{
    const auto code = Run(m_setup, L"/S /STARTUP");
    ASSERT_TRUE(code) << "the installer did not finish";
    ASSERT_EQ(*code, 0u);

    const std::set<std::wstring> files = FilesUnder(m_folder);
    for (const std::wstring& name : kInstalledFiles)
    {
        EXPECT_TRUE(files.contains(name)) << "not installed: " << Narrow(name);
    }
    EXPECT_TRUE(files.contains(L"data\\silver.zim") && files.contains(L"data\\silver.bmp"))
        << "the shipped skins are not installed";
    EXPECT_FALSE(fs::exists(m_folder / L"skins")) << "skins\\ is the program's to make at its first start";
    EXPECT_EQ(fs::file_size(m_folder / L"zimdesk.exe"), fs::file_size(fs::path(BinDir()) / L"zimdesk.exe"));

    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ExpectShortcut(m_menu / L"Zim Desk.lnk", m_folder / L"zimdesk.exe");
    ExpectShortcut(m_menu / L"Zim Desk Rescue.lnk", fs::path(system) / L"cmd.exe", L"/k zimdesk-rescue.exe");
    ExpectShortcut(m_menu / L"Zim Desk Help.lnk", m_folder / L"Zimdesk.html");
    ExpectShortcut(m_menu / L"Uninstall Zim Desk.lnk", m_folder / L"uninstall.exe");
    ExpectShortcut(m_logOn, m_folder / L"zimdesk.exe");

    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kUninstallKey, L"DisplayName"), L"Zim Desk");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kUninstallKey, L"DisplayVersion"), TEXT(ZIM_VERSION));
    EXPECT_TRUE(SamePath(ReadText(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation"), m_folder));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"),
              L"\"" + (m_folder / L"uninstall.exe").wstring() + L"\"");

    // Settings of the user's stay: the uninstall without /PURGE keeps them.
    const std::wstring mine = L"kept";
    RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kSettingsKey) + L"\\Options").c_str(), L"InstallerTest", REG_SZ,
                    mine.c_str(), static_cast<DWORD>((mine.size() + 1) * sizeof(wchar_t)));

    ASSERT_TRUE(Uninstall()) << "the uninstall did not finish";
    EXPECT_FALSE(fs::exists(m_folder)) << "left in the program folder: " << FilesUnder(m_folder).size() << " files";
    EXPECT_FALSE(fs::exists(m_menu));
    EXPECT_FALSE(fs::exists(m_logOn));
    EXPECT_TRUE(Leftovers().empty()) << "nothing was busy, yet a file was left for the next log-on";
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, std::wstring(kSettingsKey) + L"\\Options", L"InstallerTest"), mine);
}

TEST_F(Installer, TheInstalledProgramRunsFromItsShortcutAndTheUninstallerClosesItFirst)
{
    const auto code = Run(m_setup, L"/S");
    ASSERT_TRUE(code && *code == 0) << "the installer failed";
    EXPECT_FALSE(fs::exists(m_logOn)) << "the log-on shortcut is the user's choice, off by default";

    // From the shortcut, as the user starts it, on first-run settings: the
    // program makes skins\ in its own folder from the shipped copy.
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof(launch);
    launch.fMask = SEE_MASK_NOASYNC;
    launch.lpVerb = L"open";
    const std::wstring link = (m_menu / L"Zim Desk.lnk").wstring();
    launch.lpFile = link.c_str();
    launch.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&launch)) << "the shortcut could not be opened: error " << GetLastError();
    std::optional<WindowInfo> monitor;
    ASSERT_TRUE(WaitUntil([&] { return (monitor = InstalledMonitor()).has_value(); }, 20s))
        << "the installed program did not show its monitor";
    for (const wchar_t* file : {L"silver.zim", L"silver.bmp", L"LCD.zim", L"Brown.bmp"})
    {
        EXPECT_TRUE(fs::exists(m_folder / L"skins" / file)) << "no skins\\" << Narrow(file) << " in the program folder";
    }
    // The silver skin shapes the monitor from its bitmap.
    const HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(monitor->hwnd, region), ERROR) << "the monitor is not shaped by its skin";
    DeleteObject(region);
    Sleep(500);
    SaveScreenshot(L"installer-program-started");

    // A skin of the user's own, which the uninstall keeps.
    std::ofstream(m_folder / L"skins" / L"mine.zim") << "[Skin type]\r\nNatural=1\r\n";

    // Test windows left on desktop (0, 0) while desktop (1, 0) is shown.
    ASSERT_TRUE(m_helpers.Start(BinDir() + L"\\testwin.exe",
                                L"open --count 2 --title \"Installer test\" --rect 100,120,300,200", true));
    ASSERT_TRUE(WaitUntil([&] { return HelperWindows(m_helpers).size() == 2; }, 15s));
    std::vector<std::pair<HWND, RECT>> windows;
    for (HWND h : HelperWindows(m_helpers))
    {
        windows.emplace_back(h, WindowRect(h));
    }
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const auto allAt = [&](int dx)
    {
        return std::all_of(windows.begin(), windows.end(),
                           [&](const auto& w)
                           {
                               RECT expected = w.second;
                               OffsetRect(&expected, dx, 0);
                               return SameRect(WindowRect(w.first), expected);
                           });
    };
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            ClickMonitorCell(monitor->hwnd, 1, 0);
            return WaitUntil([&] { return allAt(-screenW); }, 1s);
        },
        10s))
        << "the switch to desktop (1, 0) did not move the test windows off the screen";

    const auto started = std::chrono::steady_clock::now();
    const HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, monitor->processId);
    ASSERT_TRUE(program);
    ASSERT_TRUE(Uninstall()) << "the uninstall did not finish";
    const bool programEnded = WaitForSingleObject(program, 0) == WAIT_OBJECT_0;
    CloseHandle(program);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("[ installer ] uninstall with the program running: %.1f s\n", seconds);
    SaveScreenshot(L"installer-uninstalled");

    EXPECT_TRUE(programEnded) << "the uninstaller did not close the running program";
    EXPECT_TRUE(allAt(0)) << "the test windows did not come back to the visible screen";
    EXPECT_EQ(FilesUnder(m_folder), std::set<std::wstring>{L"skins\\mine.zim"})
        << "the uninstall must remove what it installed and the shipped skins, and keep the user's own";
    EXPECT_FALSE(fs::exists(m_menu));
    EXPECT_FALSE(KeyExists(kUninstallKey));

    // The hook library may still be loaded by the other programs the hook reached
    // (Wine keeps it until they end): then it lies outside the program folder and
    // is deleted at the next log-on.
    for (const auto& [file, command] : Leftovers())
    {
        std::printf("[ installer ] left for the next log-on: %s\n", file.string().c_str());
        EXPECT_TRUE(fs::exists(file)) << "a leftover entry for a file that is not there";
        EXPECT_FALSE(SamePath(file.parent_path(), m_folder)) << "the busy file was not moved out of the folder";
        EXPECT_NE(command.find(L"/c del /f /q \"" + file.wstring() + L"\""), std::wstring::npos) << Narrow(command);
    }
}

} // namespace
} // namespace zim::e2e
