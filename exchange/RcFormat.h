#pragma once

#include "transfer/ExcelImport.h"
#include "platform/common/Result.h"
#include "platform/excel/io/ByteSink.h"

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

// The script `existing` (at path) with its string tables replaced by those
// of strings; every other byte stays. A language's table takes the place of
// the body of the first table it had there and its other tables go; a
// language the script had no table for follows the last table (or, when that
// one stands inside a preprocessor condition, ends the script) with a
// LANGUAGE option of its own, so the resources after it keep theirs. Lines
// are ended as the script ends its first. A script whose tables cannot be
// told apart from the rest is refused with its line.
qm::Status updateRc(const resutil::ResStrings &strings, const QByteArray &existing, const QString &path,
                    const QStringList &includes, excel::backend::ByteSink &out);

// Where a string table stands in a script, as byte offsets.
struct RcTableBlock {
    qint32 locale = 0;
    qsizetype start = 0; // the STRINGTABLE keyword
    qsizetype body = 0;  // its BEGIN (or {)
    qsizetype end = 0;   // just after its END (or })
    bool conditional = false; // inside #if, #ifdef or #ifndef
};

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

// The string tables of a script in the order they stand, read as readRc reads
// them but for their bodies, which are only skipped: names of IDs need no header.
qm::Result<std::vector<RcTableBlock>> findRcTables(const QByteArray &bytes, const QString &path,
                                                   const QStringList &includes);

} // namespace exchange
