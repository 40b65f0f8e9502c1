#pragma once

#include "platform/common/AtomicFile.h"
#include "platform/common/Result.h"
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <QString>

// The file formats behind the object model. Readers fill an empty workbook
// and leave it unusable on failure; writers return the whole file.
namespace excel::backend {

// Files larger than this are refused before they are read.
constexpr qint64 MaxFileSize = qint64(512) << 20;

// Readers list the sheets and read each one when it is first asked for,
// from book.sourceBytes, which `bytes` must be.
qm::Status readXlsx(Workbook &book, const QByteArray &bytes, const QString &path);
// BIFF8 and BIFF5 files.
qm::Status readXls(Workbook &book, const QByteArray &bytes, const QString &path);

// A new package from the model, or, for a workbook read from an .xlsx file,
// that file with only the changed sheets (and the entries naming them) rewritten.
qm::Result<QByteArray> writeXlsx(Workbook &book);
// A new package from the model of a workbook not read from a file, written
// into file (open) as it is made. A failure to write is the file's own
// sentence; any other failure names only what went wrong.
qm::Status writeNewXlsx(const Workbook &book, qm::AtomicFile &file);
qm::Result<QByteArray> writeXls(const Workbook &book);
// After an .xlsx update was saved: the sheets now live in sourceBytes.
qm::Status relinkXlsx(Workbook &book);
// The reader's part of it: the sheets not read yet are read from the new bytes.
qm::Status relinkXlsxSheets(Workbook &book);
// The same after an .xls update: every worksheet is in the file, in model order.
void relinkXls(Workbook &book);
// The reader's part of it: the sheets not read yet are read from the new
// bytes (or, should those not open, refused with the reason).
void relinkXlsSheets(Workbook &book);

// Refuses what the format cannot hold, naming the cell, the text and the limit.
qm::Status checkLimits(const Workbook &book, FileFormat format);

// "B3" for row 3, column 2.
QString cellName(int row, int column);
// The start of a long text, for messages.
QString excerpt(const QString &text);

} // namespace excel::backend
