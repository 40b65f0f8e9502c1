#pragma once

#include "Console.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace cli {

// Reports a workbook failure; a message that does not start with the
// workbook's name, as given or as its full path, gets it put first.
inline int failOn(const QString &file, const QString &what)
{
    const QString full = QFileInfo(file).absoluteFilePath();
    for (const QString &name : {file, full})
        if (what.startsWith(name + QLatin1Char(':')) || what.startsWith(QDir::toNativeSeparators(name) + QLatin1Char(':')))
            return fail(what);
    return fail(file, what);
}

} // namespace cli
