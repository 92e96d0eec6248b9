#pragma once

#include "platform/platform.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zim::win32
{

// Sounds, environment strings and opening documents.
class Win32Shell final : public Shell
{
public:
    Win32Shell() = default;
    // Waits for a wallpaper change under way; one still waiting is dropped.
    ~Win32Shell() override;

    void PlaySoundAsync(const std::string& file) override;
    std::string ExpandEnvironmentStrings(const std::string& text) override;
    bool ShellOpen(const std::string& path) override;
    bool ShellOpen(const std::string& path, const std::string& workingFolder, LaunchShow show) override;
    void SetWallpaper(const std::string& path, bool updateProfile) override;

private:
    struct WallpaperRequest
    {
        std::string path;
        bool updateProfile = false;
    };
    void WallpaperWorker();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::optional<WallpaperRequest> m_pending; // the latest request not yet taken
    bool m_stopping = false;
    std::thread m_worker; // started with the first request
};

} // namespace zim::win32
