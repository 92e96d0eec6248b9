#pragma once

// For the tests of the hook library and the launcher: a stand-in for the
// program's main window and child processes waited for with a pumping thread.

#include "cbt/cbt_api.h"
#include "platform/win32/handles.h"
#include "win32_test_support.h"

#include <optional>
#include <string>
#include <vector>

namespace zim::win32::test
{

inline std::wstring ExeFolderW()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder;
}

// A hidden window of the main window's class "TZIM" that answers the grid
// questions and records the messages the library and the launcher send. Tests
// run one at a time and it lives only during one, so that no running program is
// taken for it and it is never taken for one.
class FakeMainWindow
{
public:
    struct Message
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    FakeMainWindow()
        : m_appStarting(::RegisterWindowMessageW(ZIM_CBT_WIDE(ZIM_CBT_APPSTARTING_NAME))),
          m_appStarted(::RegisterWindowMessageW(ZIM_CBT_WIDE(ZIM_CBT_APPSTARTED_NAME)))
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = ZIM_CBT_WIDE(ZIM_CBT_MAIN_WINDOW_CLASS);
        ::RegisterClassExW(&wc); // fails harmlessly when already registered
        m_window.Reset(::CreateWindowExW(0, wc.lpszClassName, L"fake main window", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, wc.hInstance, nullptr));
        ::SetWindowLongPtrW(m_window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    FakeMainWindow(const FakeMainWindow&) = delete;
    FakeMainWindow& operator=(const FakeMainWindow&) = delete;

    HWND Handle() const { return m_window.Get(); }
    void Destroy() { m_window.Reset(); }
    void SetGrid(int columns, int rows)
    {
        m_columns = columns;
        m_rows = rows;
    }
    UINT AppStarting() const { return m_appStarting; }
    UINT AppStarted() const { return m_appStarted; }
    const std::vector<Message>& Received() const { return m_received; }
    // Called as each message arrives, before the answer.
    std::function<void(const Message&)> onMessage;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<FakeMainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr)
        {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        if (message == ZIM_CBT_MSG_GET_SIZE_X)
        {
            return self->m_columns;
        }
        if (message == ZIM_CBT_MSG_GET_SIZE_Y)
        {
            return self->m_rows;
        }
        if (message == ZIM_CBT_MSG_SEND_TO_DESKTOP || message == self->m_appStarting || message == self->m_appStarted)
        {
            self->m_received.push_back({message, wParam, lParam});
            if (self->onMessage)
            {
                self->onMessage(self->m_received.back());
            }
            return message == ZIM_CBT_MSG_SEND_TO_DESKTOP ? 0 : ZIM_CBT_REGISTERED_RESULT;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    const UINT m_appStarting;
    const UINT m_appStarted;
    UniqueWindow m_window;
    int m_columns = 3;
    int m_rows = 2;
    std::vector<Message> m_received;
};

// A program started from the test folder; its output to stdout and stderr is kept.
class ChildProcess
{
public:
    explicit ChildProcess(const std::wstring& commandLine)
    {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        if (!::CreatePipe(&read, &write, &inherit, 0))
        {
            return;
        }
        m_output.Reset(read);
        const UniqueKernelHandle writeEnd(write);
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write;
        startup.hStdError = write;
        PROCESS_INFORMATION info{};
        std::wstring line = commandLine;
        if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        {
            ::CloseHandle(info.hThread);
            m_process.Reset(info.hProcess);
            m_id = info.dwProcessId;
        }
    }

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }

    // The exit code, pumping this thread's messages while waiting; nothing on timeout.
    std::optional<DWORD> Wait(unsigned timeoutMs)
    {
        const bool ended =
            PumpUntil([this] { return ::WaitForSingleObject(m_process.Get(), 0) != WAIT_TIMEOUT; }, timeoutMs);
        DWORD code = 0;
        if (!ended || !::GetExitCodeProcess(m_process.Get(), &code))
        {
            return std::nullopt;
        }
        return code;
    }

    // Everything written, once the process has ended.
    std::string Output()
    {
        std::string text;
        char buffer[512];
        DWORD available = 0;
        DWORD read = 0;
        while (::PeekNamedPipe(m_output.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ::ReadFile(m_output.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        {
            text.append(buffer, read);
        }
        return text;
    }

    ~ChildProcess()
    {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
        {
            ::TerminateProcess(m_process.Get(), 1);
        }
    }

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_output;
    DWORD m_id = 0;
};

} // namespace zim::win32::test
