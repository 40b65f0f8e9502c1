#pragma once

#include "exchange/StringGrid.h"
#include "platform/common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace exchange {

// An OpenDocument spreadsheet holding grid as the sheet grid.name: numbers
// as float cells, texts as string cells (so "007" or "=x" stay texts), each
// text exact: spaces, tabs and line breaks as ODF marks them, and the text
// itself in office:string-value where its paragraphs could not say it (a
// carriage return). With `existing`, that file with the sheet of that name
// replaced, or added after the others; everything else is kept. Refuses,
// naming the cell, a character that XML cannot hold.
qm::Result<QByteArray> writeOds(const Grid &grid, const QByteArray *existing);

// The sheet `sheetName` (empty: the first) of an .ods file. Bounded: the
// inflated size by the zip reader, the cells as a workbook's are (more for a
// file of more than 10 MB, in proportion), however many repeats a row or cell claims.
qm::Result<Grid> readOds(const QByteArray &bytes, const QString &path, const QString &sheetName);
qm::Result<QStringList> readOdsSheetNames(const QByteArray &bytes, const QString &path);

} // namespace exchange
