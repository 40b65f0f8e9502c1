#pragma once

#include "exchange/StringGrid.h"
#include "platform/common/Result.h"
#include "platform/excel/io/ByteSink.h"

#include <QByteArray>
#include <QString>

namespace exchange {

// The table as RFC 4180 text in UTF-8 with a byte order mark, records ended
// by CR LF. A text that a spreadsheet program would take for a formula or
// that starts with an apostrophe gets an apostrophe in front, which the
// reader takes off again. Refuses, naming the cell, a text that UTF-8 cannot
// hold (an unpaired surrogate).
qm::Status writeCsv(const Grid &grid, QChar separator, excel::backend::ByteSink &out);

// The most fields a record may have: the string ID column and one column for
// each locale ID a resource file can hold.
inline constexpr qint64 MaxCsvFields = 1 + 65536;

// Reads UTF-8 with or without a byte order mark, or UTF-16 with one.
// separator 0: the one of comma, semicolon and tab that splits the first
// records into a table, most of them as long as the first (`detected`, when
// given, receives the one used). A record shorter than the others has empty
// cells at its end. Every field is a text. A broken file (bad encoding, a
// stray or unclosed quote) is refused with its line. The cells are bounded
// by the file's size: no more than one per byte (or MaxStoredGridCells).
qm::Result<Grid> readCsv(const QByteArray &bytes, QChar separator, QChar *detected = nullptr);

// The separator a file name suggests: a tab for .tsv, .tab and .txt, else a comma.
QChar separatorForFileName(const QString &fileName);

} // namespace exchange
