#pragma once

#include "platform/common/AtomicFile.h"
#include "platform/common/Result.h"
#include "platform/excel/model/FormatBackEnds.h"

#include <QByteArray>
#include <QString>

// The .xlsx back end (Office Open XML packages).
namespace excel::backend {

// Lists the sheets and reads each one when it is first asked for, from
// book.sourceBytes, which `bytes` must be.
qm::Status readXlsx(Workbook &book, const QByteArray &bytes, const QString &path);
// A new package from the model, or, for a workbook read from an .xlsx file,
// that file with only the changed sheets (and the entries naming them) rewritten.
qm::Result<QByteArray> writeXlsx(Workbook &book);
// A new package from the model of a workbook not read from a file, written
// into file (open) as it is made. A failure to write is the file's own
// sentence; any other failure names only what went wrong.
qm::Status writeNewXlsx(const Workbook &book, qm::AtomicFile &file);
// After an .xlsx update was saved: the sheets now live in sourceBytes.
qm::Status relinkXlsx(Workbook &book);
// The reader's part of it: the sheets not read yet are read from the new bytes.
qm::Status relinkXlsxSheets(Workbook &book);

} // namespace excel::backend
