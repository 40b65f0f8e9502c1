#pragma once

#include "exchange/StringGrid.h"
#include "platform/common/Result.h"
#include "platform/excel/ByteSink.h"

#include <QByteArray>
#include <QString>

namespace exchange {

// The table as RFC 4180 text in UTF-8 with a byte order mark, records ended
// by CR LF. A text that a spreadsheet program would take for a formula or
// that starts with an apostrophe gets an apostrophe in front, which the
// reader takes off again. Refuses, naming the cell, a text that UTF-8 cannot
// hold (an unpaired surrogate).
qm::Status writeCsv(const Grid &grid, QChar separator, excel::backend::ByteSink &out);

// Reads UTF-8 with or without a byte order mark, or UTF-16 with one.
// separator 0: the one of comma, semicolon and tab that splits the first
// records into the same number of fields. Every field is a text. A broken
// file (bad encoding, a stray or unclosed quote) is refused with its line.
qm::Result<Grid> readCsv(const QByteArray &bytes, QChar separator);

// The separator a file name suggests: a tab for .tsv, .tab and .txt, else a comma.
QChar separatorForFileName(const QString &fileName);

} // namespace exchange
