#pragma once

#include "excel/ExcelImport.h"
#include "platform/common/Result.h"
#include "platform/excel/ByteSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace exchange {

// A resource script: #pragma code_page(65001), then per language (ascending)
// a LANGUAGE statement and a STRINGTABLE with its IDs ascending. Every
// character outside printable ASCII is written as a \xHHHH escape of a wide
// string, which windres and llvm-rc both read back as that UTF-16 unit, so
// any text comes back exactly. Refuses IDs and locales outside 0..65535.
qm::Status writeRc(const resutil::ResStrings &strings, const QString &original, excel::backend::ByteSink &out);

struct RcImport {
    std::vector<ExcelTransfer::ImportedString> entries;
    QStringList notes; // resources and directives that were not read
};

// Reads the string tables of a resource script: LANGUAGE statements, narrow
// and L"..." strings with their escapes, concatenated literals, IDs as
// numbers, simple expressions or names #define'd in the script, in headers
// it includes (found beside it or in `includes`) or in headers named in
// `includes`. Other resources and preprocessor conditions are skipped with
// a note. Anything else that is not understood is refused with its line.
qm::Result<RcImport> readRc(const QByteArray &bytes, const QString &path, const QStringList &includes);

} // namespace exchange
