#include "platform/resutil/FileBuffer.h"

#include "platform/resutil/LargeAllocation.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <limits>

namespace resutil {

namespace {

// Reads up to size bytes into out; the count read, or -1 on an error.
qint64 readUpTo(QFile &file, char *out, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(out + done, size - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

qm::Status FileBuffer::read(QFile &file, qint64 maxBytes)
{
    m_pendingEnd = nullptr;
    m_buffer = QString();
    m_size = 0;
    // Room for every byte, an odd last one, and the null after a text that
    // ends the file.
    const auto allocate = [this](qint64 bytes) {
        m_buffer = QString(qsizetype(bytes / 2 + 1), Qt::Uninitialized);
        adviseHugePages(m_buffer.data(), std::size_t(m_buffer.size()) * 2);
    };
    const auto finish = [this](qint64 got) -> qm::Status {
        m_size = qsizetype(got);
        std::memset(reinterpret_cast<char *>(m_buffer.data()) + m_size, 0, std::size_t(m_buffer.size()) * 2 - std::size_t(m_size));
        return {};
    };
    maxBytes = std::min<qint64>(maxBytes, std::numeric_limits<qsizetype>::max() / 4);
    const qint64 expected = file.isSequential() ? 0 : std::min(file.size(), maxBytes);
    if (expected > 0) {
        // One byte more than expected tells a file that grew meanwhile.
        allocate(expected + 1);
        const qint64 got = readUpTo(file, reinterpret_cast<char *>(m_buffer.data()), expected + 1);
        if (got < 0)
            return qm::makeError(file.errorString());
        if (got <= expected)
            return finish(got);
        if (!file.seek(0))
            return qm::makeError(file.errorString());
    }
    // A file whose size does not tell (one of /proc) or that grew: read in
    // steps, never past the bound.
    QByteArray all;
    for (qint64 step = 1 << 16;; step = std::min<qint64>(step * 2, qint64(64) << 20)) {
        const qsizetype at = all.size();
        const qint64 wanted = std::min<qint64>(step, maxBytes + 1 - at);
        all.resize(at + qsizetype(wanted));
        const qint64 got = readUpTo(file, all.data() + at, wanted);
        if (got < 0)
            return qm::makeError(file.errorString());
        all.resize(at + qsizetype(got));
        if (all.size() > maxBytes)
            return qm::makeError(QStringLiteral("it grew past %1 bytes while it was read").arg(maxBytes));
        if (got < wanted)
            break;
    }
    allocate(all.size());
    std::memcpy(m_buffer.data(), all.constData(), std::size_t(all.size()));
    return finish(all.size());
}

qsizetype FileBuffer::place(const char *units, qsizetype size)
{
    if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN || reinterpret_cast<quintptr>(units) % alignof(char16_t) != 0)
        return -1;
    auto *begin = const_cast<char16_t *>(reinterpret_cast<const char16_t *>(units));
    terminateTexts();
    m_pendingEnd = begin + size;
    return begin - reinterpret_cast<const char16_t *>(m_buffer.constData());
}

void FileBuffer::terminateTexts()
{
    if (m_pendingEnd)
        *m_pendingEnd = u'\0';
    m_pendingEnd = nullptr;
}

} // namespace resutil
