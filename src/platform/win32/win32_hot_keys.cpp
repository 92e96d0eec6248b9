#include "platform/win32/win32_hot_keys.h"

namespace zim::win32
{

bool Win32HotKeys::Register(int id, unsigned modifiers, unsigned virtualKey)
{
    // A null window would bind the key to the thread instead, where nobody listens.
    return m_window != nullptr && ::RegisterHotKey(m_window, id, modifiers, virtualKey) != FALSE;
}

void Win32HotKeys::Unregister(int id)
{
    if (m_window != nullptr)
    {
        ::UnregisterHotKey(m_window, id);
    }
}

} // namespace zim::win32
