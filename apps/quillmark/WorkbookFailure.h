#pragma once

#include "Console.h"

#include <QDir>
#include <QString>

namespace cli {

// Reports a workbook failure; a message that does not start with the
// workbook's name gets it put first.
inline int failOn(const QString &file, const QString &what)
{
    if (what.startsWith(file) || what.startsWith(QDir::toNativeSeparators(file)))
        return fail(what);
    return fail(file, what);
}

} // namespace cli
