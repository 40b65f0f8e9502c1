#pragma once

#include "platform/common/Result.h"

#include <QByteArrayView>
#include <QString>

class QFile;

namespace resutil {

// A whole file read into one UTF-16 buffer. The texts in it are handed out as
// QStrings that share the buffer (each over its own range, reference counted
// like any QString), so a file of hundreds of thousands of strings costs no
// allocation or copy per string. A text changed later detaches as usual; the
// buffer goes once no text refers to it.
class FileBuffer {
public:
    FileBuffer() = default;
    FileBuffer(const FileBuffer &) = delete;
    FileBuffer &operator=(const FileBuffer &) = delete;
    ~FileBuffer();

    // Reads file (open for reading) to its end; the error says why it failed.
    qm::Status read(QFile &file);

    QByteArrayView bytes() const { return QByteArrayView(reinterpret_cast<const char *>(m_buffer.constData()), m_size); }

    // The size UTF-16 units (little-endian) at units, which lies within bytes().
    // Shares the buffer where the units are aligned, else copies them.
    // Hand texts out in reading order: each writes into the buffer the null
    // that a QString keeps after its last unit, for the text handed out
    // before, so by then nothing read so far may be read again.
    QString text(const char *units, qsizetype size);

    // Writes the null after the last text handed out, once bytes() is read no more.
    void terminateTexts();

private:
    QString m_buffer;
    qsizetype m_size = 0;
    int m_spareReferences = 0; // taken on the buffer ahead, not yet handed out
    char16_t *m_pendingEnd = nullptr; // where the last text handed out still needs its null
};

} // namespace resutil
