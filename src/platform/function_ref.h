#pragma once

#include <type_traits>
#include <utility>

namespace zim
{

// A non-owning reference to a callable: lets interfaces take callbacks without
// std::function's allocation (window enumeration runs on every switch and refresh).
template <typename Signature> class FunctionRef;

template <typename R, typename... Args> class FunctionRef<R(Args...)>
{
public:
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, FunctionRef>>>
    FunctionRef(F&& f) noexcept // NOLINT(google-explicit-constructor): used like a plain callback parameter
        : m_object(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          m_call(
              [](void* object, Args... args) -> R {
                  return (*static_cast<std::add_pointer_t<std::remove_reference_t<F>>>(object))(
                      std::forward<Args>(args)...);
              })
    {
    }

    R operator()(Args... args) const { return m_call(m_object, std::forward<Args>(args)...); }

private:
    void* m_object;
    R (*m_call)(void*, Args...);
};

} // namespace zim
