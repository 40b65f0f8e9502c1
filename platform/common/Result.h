#pragma once

#include <QString>

#include <optional>
#include <source_location>
#include <utility>
#include <variant>

namespace qm {

// A failure as the libraries report it: one sentence a user can act on
// (name the file, the offset or cell, what was expected and what was found),
// and where in our code it was raised.
struct Error {
    QString message;
    std::source_location where = std::source_location::current();
};

inline Error makeError(QString message, std::source_location where = std::source_location::current())
{
    return Error{std::move(message), where};
}

// The value of an operation that can fail. Libraries return these instead of throwing.
template<class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<T>(m_state); }
    const T &value() const & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }

    const Error &error() const { return std::get<Error>(m_state); }
    QString errorString() const { return ok() ? QString() : error().message; }

private:
    std::variant<T, Error> m_state;
};

template<>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return *m_error; }
    QString errorString() const { return ok() ? QString() : m_error->message; }

private:
    std::optional<Error> m_error;
};

using Status = Result<void>;

} // namespace qm
