#include "platform/win32/win32_shell.h"

#include "platform/win32/handles.h"
#include "platform/win32/utf.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <system_error>

namespace zim::win32
{

void Win32Shell::PlaySoundAsync(const std::string& file)
{
    if (file.empty())
    {
        return;
    }
    ::PlaySoundW(Widen(file).c_str(), nullptr, SND_FILENAME | SND_NOWAIT | SND_NODEFAULT | SND_ASYNC);
}

std::string Win32Shell::ExpandEnvironmentStrings(const std::string& text)
{
    const std::wstring source = Widen(text);
    // A variable may change between the size query and the expansion.
    std::wstring expanded(source.size() + 1, L'\0');
    for (;;)
    {
        const DWORD needed =
            ::ExpandEnvironmentStringsW(source.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0)
        {
            return text;
        }
        if (needed <= expanded.size())
        {
            expanded.resize(needed - 1); // without the terminating NUL
            return Narrow(expanded);
        }
        expanded.assign(needed, L'\0');
    }
}

bool Win32Shell::ShellOpen(const std::string& path)
{
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show)
{
    const int command = show == LaunchShow::Hidden ? SW_HIDE : SW_SHOWNORMAL;
    const std::wstring folder = Widen(workingFolder);
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", Widen(path).c_str(), nullptr,
                                             folder.empty() ? nullptr : folder.c_str(), command);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

Win32Shell::~Win32Shell()
{
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
        m_pending.reset();
    }
    m_wake.notify_all();
    if (m_worker.joinable())
    {
        m_worker.join();
    }
}

void Win32Shell::SetWallpaper(const std::string& path, bool updateProfile)
{
    {
        std::lock_guard lock(m_lock);
        m_pending = WallpaperRequest{path, updateProfile};
        if (!m_worker.joinable())
        {
            try
            {
                m_worker = std::thread([this] { WallpaperWorker(); });
            }
            catch (const std::system_error&)
            {
                // No thread to be had: the wallpaper stays as it is.
                m_pending.reset();
                return;
            }
        }
    }
    m_wake.notify_one();
}

void Win32Shell::WallpaperWorker()
{
    for (;;)
    {
        WallpaperRequest request;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || m_pending.has_value(); });
            if (m_stopping)
            {
                return;
            }
            request = std::move(*m_pending);
            m_pending.reset();
        }
        // The broadcast of the change waits for every window to take it.
        std::wstring path = Widen(request.path);
        ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(),
                                request.updateProfile ? (SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) : 0);
    }
}

} // namespace zim::win32
