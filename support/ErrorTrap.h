#pragma once

// The error trap every procedure of the add-in uses.
//
//     QString clsProject::ResFileName()
//     {
//         QString result;
//         trap("ResFileName", [&] {
//             result = ...;
//             check(file.Load(path));   // a failure here reports this line
//         });
//         return result;   // what was assigned before the failure, or empty
//     }
//
// An unexpected failure inside the body ends the body, is shown with ShowError
// under the procedure's name and the source line of the failing statement, and
// the procedure then returns normally.
//
// A failure the user can expect and act on (a missing, unreadable or read-only
// file, a full disk) is raised with raiseExpected or checkExpected instead: it
// ends the body the same way but is shown as a plain message, not as a report.

#include "platform/common/ProcedureError.h"

#include <QString>

#include <functional>
#include <source_location>

namespace qm {

// Ends the current procedure with a plain message: `lead` (what could not be
// done, in the user's language), then the library's own sentence naming the
// file and the reason, in the user's language too.
[[noreturn]] void raiseLibraryFailure(const QString &lead, const QString &libraryMessage);

// Unwraps a library result, or ends the current procedure with that message.
template<class T>
T checkExpected(Result<T> result, const QString &lead)
{
    if (!result.ok())
        raiseLibraryFailure(lead, result.error().message);
    return std::move(result).value();
}

inline void checkExpected(Status status, const QString &lead)
{
    if (!status.ok())
        raiseLibraryFailure(lead, status.error().message);
}

// Runs body under the trap of procedure `name`. `details` supplies the report's
// details field at the moment of failure (most procedures leave it empty).
// Returns false when the body failed (and was reported or told).
bool trap(const char *name, const std::function<void()> &body,
          const std::function<QString()> &details = {},
          std::source_location where = std::source_location::current());

} // namespace qm
