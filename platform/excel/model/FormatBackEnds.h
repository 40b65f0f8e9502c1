#pragma once

#include "platform/common/AtomicFile.h"
#include "platform/common/Result.h"
#include "platform/excel/model/Workbook.h"

#include <QByteArray>
#include <QString>

// The file formats behind the object model. The model reads and writes a file
// through the back end installed for its format (the application installs
// them); the back ends fill and read the model.
namespace excel::backend {

// Files larger than this are refused before they are read.
constexpr qint64 MaxFileSize = qint64(512) << 20;

struct FormatBackEnd {
    // Fills an empty workbook, listing the sheets and reading each one when it
    // is first asked for, from book.sourceBytes, which `bytes` must be; leaves
    // it unusable on failure.
    qm::Status (*read)(Workbook &book, const QByteArray &bytes, const QString &path) = nullptr;
    // The whole file: for a workbook read from a file of this format, that file
    // with only the changed sheets rewritten where the format allows it.
    qm::Result<QByteArray> (*write)(Workbook &book) = nullptr;
    // After an update was saved: the sheets now live in sourceBytes.
    qm::Status (*relink)(Workbook &book) = nullptr;
    // A new file from the model, written into file (open) as it is made. A
    // failure to write is the file's own sentence; any other failure names
    // only what went wrong.
    qm::Status (*writeNew)(const Workbook &book, qm::AtomicFile &file) = nullptr;
};

void install(FileFormat format, const FormatBackEnd &backEnd);
// A back end made when it is first asked for (from a module loaded then). A
// loader that fails is asked again the next time; its error is the answer.
using BackEndLoader = qm::Result<FormatBackEnd> (*)();
void installLoader(FileFormat format, BackEndLoader load);
// The back end of the format; an error naming the format when none is
// installed, or the loader's when it cannot be had.
qm::Result<const FormatBackEnd *> backEndOf(FileFormat format);

// Refuses what the format cannot hold, naming the cell, the text and the limit.
qm::Status checkLimits(const Workbook &book, FileFormat format);

// "B3" for row 3, column 2.
QString cellName(int row, int column);
// The start of a long text, for messages.
QString excerpt(const QString &text);

} // namespace excel::backend
