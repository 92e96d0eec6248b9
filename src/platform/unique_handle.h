#pragma once

// Move-only ownership of a system handle. Traits give the handle type, its
// invalid value and how to release it; win32/handles.h has one alias per kind.

#include <utility>

namespace zim
{

template <typename Traits> class UniqueHandle
{
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
        {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::Invalid(); }

    // Gives up ownership without releasing.
    Handle Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) noexcept
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
        {
            Traits::Close(old);
        }
    }

private:
    Handle m_handle = Traits::Invalid();
};

} // namespace zim
