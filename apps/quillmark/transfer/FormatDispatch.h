#pragma once

#include "Console.h"

#include "exchange/ExchangeFormat.h"

#include <QString>
#include <QStringList>

namespace cli {

// The format of the file at path: --format, else the extension; 0 when
// refused (the message was written).
std::optional<exchange::Format> chosenFormat(const QString &path, const Arguments &arguments);

// export FILE.res OUT and import IN FILE.res for the formats that are not workbooks.
int exportOther(const QString &resPath, const QString &outPath, exchange::Format format, const Arguments &arguments);
int importOther(const QString &inPath, const QString &resPath, exchange::Format format, const Arguments &arguments);

} // namespace cli
