#pragma once

// The failures a procedure raises under the error trap (support/ErrorTrap.h),
// which catches and shows them. Free of windows, so that the code below the
// add-in raises them the same way.

#include "platform/common/Result.h"

#include <QString>

#include <exception>
#include <source_location>
#include <utility>

namespace qm {

// An unexpected failure inside a procedure. Only the trap catches it.
class ProcedureError : public std::exception {
public:
    ProcedureError(QString description, std::source_location where)
        : m_description(std::move(description)), m_line(static_cast<int>(where.line())) {}
    const QString &description() const { return m_description; }
    int line() const { return m_line; }
    const char *what() const noexcept override { return "ProcedureError"; }

private:
    QString m_description;
    int m_line;
};

// A failure the user is told about in a plain message box; only the trap catches it.
class ExpectedFailure : public std::exception {
public:
    explicit ExpectedFailure(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return "ExpectedFailure"; }

private:
    QString m_message;
};

// Fails the current procedure at the caller's line.
[[noreturn]] inline void raise(const QString &description,
                               std::source_location where = std::source_location::current())
{
    throw ProcedureError(description, where);
}

// Unwraps a library result, or fails the current procedure at the caller's line.
template<class T>
T check(Result<T> result, std::source_location where = std::source_location::current())
{
    if (!result.ok())
        throw ProcedureError(result.error().message, where);
    return std::move(result).value();
}

inline void check(Status status, std::source_location where = std::source_location::current())
{
    if (!status.ok())
        throw ProcedureError(status.error().message, where);
}

// Ends the current procedure with a plain message to the user.
[[noreturn]] inline void raiseExpected(const QString &message)
{
    throw ExpectedFailure(message);
}

} // namespace qm
