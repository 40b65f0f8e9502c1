#pragma once

#include "platform/common/AtomicFile.h"
#include "platform/common/Result.h"
#include "platform/excel/model/FormatBackEnds.h"

#include <QByteArray>
#include <QString>

// The .xls back end (BIFF8 and BIFF5 in an OLE2 compound file), the module
// loaded when an .xls file is first read or written.
namespace excel::backend {

// Lists the sheets and reads each one when it is first asked for, from
// book.sourceBytes, which `bytes` must be.
qm::Status readXls(Workbook &book, const QByteArray &bytes, const QString &path);
qm::Result<QByteArray> writeXls(const Workbook &book);
// A new .xls file from the model, written into file (open) as it is made;
// streamed sheets come from their parts.
qm::Status writeNewXls(const Workbook &book, qm::AtomicFile &file);
// After an .xls update was saved: every worksheet is in the file, in model order.
void relinkXls(Workbook &book);
// The reader's part of it: the sheets not read yet are read from the new
// bytes (or, should those not open, refused with the reason).
void relinkXlsSheets(Workbook &book);
// The OLE2 file around a workbook stream. Every other stream and storage of
// `source` (an .xls file, or empty) is copied into it as it is.
qm::Result<QByteArray> oleContainer(const QByteArray &stream, const QByteArray &source);
// The workbook stream of `source` (BIFF8) with the changed and new sheets of
// `book` written and every other record kept.
qm::Result<QByteArray> updatedWorkbookStream(const Workbook &book, const QByteArray &source);

} // namespace excel::backend
