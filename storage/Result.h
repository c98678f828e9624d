#pragma once

#include <type_traits>
#include <utility>
#include <variant>

/** The value of an operation that succeeded with nothing to give back. */
struct Done
{
};

/**
 * A value, or the failure that stopped the operation giving it. Windows test it and decide what to
 * show; nothing unwinds through Qt's event handling.
 */
template <typename T, typename Failure> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    { }
    Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure))
    { }

    explicit operator bool() const { return m_state.index() == 0; }
    T &operator*() { return std::get<0>(m_state); }
    const T &operator*() const { return std::get<0>(m_state); }
    T *operator->() { return &std::get<0>(m_state); }
    const T *operator->() const { return &std::get<0>(m_state); }
    const Failure &error() const { return std::get<1>(m_state); }

    /** The value, or the failure thrown: for code with nobody to show it to (tools, tests). */
    T &value()
    {
        if (!*this)
            throw error();
        return **this;
    }

private:
    std::variant<T, Failure> m_state;
};
