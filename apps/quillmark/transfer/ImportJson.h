#pragma once

#include "transfer/ExcelImport.h"

#include <QByteArray>
#include <QStringList>

#include <string>
#include <vector>

namespace cli {

// {"entries": [[locale, id, "text"], ...], "messages": ["...", ...],
// "progress_max": N} and a line feed; the messages' CR LF become "\n".
QByteArray importJson(const std::vector<ExcelTransfer::ImportedString> &entries, const QStringList &messages,
                      int progressMaximum);

// The same result, written entry by entry as an import reads them.
class ImportJsonWriter {
public:
    ImportJsonWriter();
    void reserve(qint64 entries);
    void add(qint32 localeId, qint32 id, QStringView text);
    // The whole result, once, after the last entry.
    std::string finish(const QStringList &messages, int progressMaximum);

private:
    std::string m_out;
    bool m_first = true;
};

} // namespace cli
