#pragma once

#include "platform/common/Result.h"

#include <QIODevice>
#include <QString>

class QFile;

namespace qm {

// Opens a user's file for reading, and refuses before a byte is read what no
// reader should start on: anything but a regular file (or a link to one),
// such as a device that never ends or a FIFO that blocks, and a file larger
// than maxBytes. kinds names such files in the message ("resource files").
//
// Returns the file's size. The error is the reason alone, without the path
// ("it is a FIFO, not a regular file; only regular files are read"), so that
// callers word it as they word a file that cannot be opened.
Result<qint64> openInputFile(QFile &file, const QString &path, qint64 maxBytes, const QString &kinds,
                             QIODevice::OpenMode mode = QIODevice::ReadOnly);

// Whether a regular file of size bytes may be read under maxBytes; the
// reason when not, worded as openInputFile words it.
Status checkInputSize(qint64 size, qint64 maxBytes, const QString &kinds);

// The rest of file, opened by openInputFile with its size expected: memory
// for what is there, never for maxBytes, and a refusal once a file that grows
// while it is read passes maxBytes. The error is the reason alone.
Result<QByteArray> readInputFile(QFile &file, qint64 expected, qint64 maxBytes);

} // namespace qm
