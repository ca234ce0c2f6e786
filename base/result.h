#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace lanzhou {

// The failure side of a Result, built with fail(): Result<T> converts from it.
template <class E>
struct Failure {
    E error;
};

template <class E>
Failure<std::decay_t<E>> fail(E&& error) {
    return {std::forward<E>(error)};
}

inline Failure<std::string> fail(const char* error) {
    return {std::string(error)};
}

// A value or the reason there is none, in the manner of std::expected: test
// it, then read value() or error(). The error is a UTF-8 text unless said
// otherwise.
template <class T, class E = std::string>
class [[nodiscard]] Result {
public:
    Result(const T& value) : state_(std::in_place_index<0>, value) {}
    Result(T&& value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    requires std::is_constructible_v<E, G> Result(Failure<G> failure)
        : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

// Success without a value, or the reason of the failure.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <class G>
    requires std::is_constructible_v<E, G> Result(Failure<G> failure)
        : failed_(true), error_(std::move(failure.error)) {}

    bool has_value() const { return !failed_; }
    explicit operator bool() const { return has_value(); }
    const E& error() const { return error_; }

private:
    bool failed_ = false;
    E error_{};
};

}  // namespace lanzhou
