#pragma once

#include "platform/common/Result.h"

#include <QByteArrayView>
#include <QString>

class QFile;

namespace resutil {

// A whole file read into one UTF-16 buffer, so that the texts in it can be
// used in place (as QStrings sharing the buffer, each over its own range and
// reference counted like any QString): a file of hundreds of thousands of
// strings costs no allocation or copy per string. A text changed later
// detaches as usual; the buffer goes once no text refers to it.
class FileBuffer {
public:
    FileBuffer() = default;
    FileBuffer(const FileBuffer &) = delete;
    FileBuffer &operator=(const FileBuffer &) = delete;

    // Reads file (open for reading) to its end, but never more than maxBytes;
    // the error says why it failed.
    qm::Status read(QFile &file, qint64 maxBytes);

    QByteArrayView bytes() const { return QByteArrayView(reinterpret_cast<const char *>(m_buffer.constData()), m_size); }

    // Where the size UTF-16 units (little-endian) at units, which lie within
    // bytes(), are in the buffer as text: their offset in units, or -1 where
    // they cannot be used in place (not aligned, or not little-endian).
    // Place texts in reading order: each writes into the buffer the null that
    // a QString keeps after its last unit, for the text placed before, so by
    // then nothing read so far may be read again.
    qsizetype place(const char *units, qsizetype size);

    // Writes the null after the last text placed, once bytes() is read no more.
    void terminateTexts();

    // The buffer, shared, for the texts placed in it. Writing the nulls does
    // not detach it.
    QString shared() const { return m_buffer; }

private:
    QString m_buffer;
    qsizetype m_size = 0;
    char16_t *m_pendingEnd = nullptr; // where the last text placed still needs its null
};

} // namespace resutil
