#pragma once
// An event of a control, a form or a reader: a function, or a lambda that captures at most
// two pointers' worth of plain values ([this], [&count]). It is copied as it stands, so
// unlike std::function no code to copy or destroy the handler comes along for each of the
// many handlers the programs on the medium set.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace zov {

// Raises the error of an event called while it has no handler (callers ask first).
[[noreturn]] void ThrowUnsetEvent();

template <class Signature>
class TEvent;

template <class R, class... Args>
class TEvent<R(Args...)> {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                                !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
    TEvent(F handler) {
        static_assert(std::is_trivially_copyable_v<F> && sizeof(F) <= sizeof(storage_) &&
                          alignof(F) <= alignof(void*),
                      "an event holds a function or a lambda capturing at most two pointers of plain values");
        ::new (static_cast<void*>(storage_)) F(std::move(handler));
        call_ = [](void* storage, Args... args) -> R {
            return (*std::launder(static_cast<F*>(storage)))(std::forward<Args>(args)...);
        };
    }

    explicit operator bool() const { return call_ != nullptr; }
    R operator()(Args... args) const {
        if (!call_) ThrowUnsetEvent();
        return call_(storage_, std::forward<Args>(args)...);
    }

private:
    alignas(void*) mutable unsigned char storage_[2 * sizeof(void*)] = {};
    R (*call_)(void*, Args...) = nullptr;
};

}  // namespace zov
