#pragma once
#include <mutex>
#include <utility>

namespace tieba {

// A value that several threads read and write: every access holds the value's own lock.
// Lists are replaced or edited whole inside `with`, so no reader ever sees half a change.
template <class T>
class Synchronized {
public:
    Synchronized() = default;
    explicit Synchronized(T initial) : value_(std::move(initial)) {}

    T get() const
    {
        std::lock_guard lock(mutex_);
        return value_;
    }

    void set(T value)
    {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }

    template <class F>
    decltype(auto) with(F&& f)
    {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(value_);
    }

    template <class F>
    decltype(auto) with(F&& f) const
    {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(value_);
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

} // namespace tieba
