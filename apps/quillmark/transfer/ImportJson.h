#pragma once

#include "excel/ExcelImport.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace cli {

// {"entries": [[locale, id, "text"], ...], "messages": ["...", ...],
// "progress_max": N} and a line feed; the messages' CR LF become "\n".
QByteArray importJson(const std::vector<ExcelTransfer::ImportedString> &entries, const QStringList &messages,
                      int progressMaximum);

} // namespace cli
