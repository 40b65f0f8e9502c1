#pragma once

#include "checks/StringTableChecks.h"

#include <QString>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace cli {

// check --fit measures texts with Qt Gui's fonts, in a module of its own loaded
// only then: the other commands start without Qt Gui. Appends the width
// problems to problems, with factor, or when it is 0 the one stored for
// projectFile (else 1.3); false, with the reason in error, when the module
// cannot be loaded or the fonts cannot be used.
bool checkWidthsInFitModule(const resutil::ResStrings &strings, qint32 sourceLocale, double factor, const QString &projectFile,
                            std::vector<checks::StringProblem> &problems, QString &error);

} // namespace cli

// The module's entry point, looked up by this name: 0, or 1 with error set.
extern "C" int qm_cli_fit_check(const resutil::ResStrings &strings, qint32 sourceLocale, double factor, const QString &projectFile,
                                std::vector<checks::StringProblem> &problems, QString &error);
