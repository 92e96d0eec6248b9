#pragma once

// The system's hot key service, bound to the one window that receives WM_HOTKEY.

namespace zim
{

class HotKeyService
{
public:
    HotKeyService() = default;
    HotKeyService(const HotKeyService&) = delete;
    HotKeyService& operator=(const HotKeyService&) = delete;
    virtual ~HotKeyService() = default;

    // RegisterHotKey(window, id, modifiers, virtualKey); false when refused (the
    // combination is held by another program, or the key is not allowed).
    virtual bool Register(int id, unsigned modifiers, unsigned virtualKey) = 0;
    // Failures ignored: an id that was never registered is no error.
    virtual void Unregister(int id) = 0;
};

} // namespace zim
