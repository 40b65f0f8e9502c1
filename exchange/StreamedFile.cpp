#include "exchange/StreamedFile.h"

namespace exchange {

namespace {

constexpr qsizetype kChunk = qsizetype(1) << 20;

} // namespace

StreamedFile::StreamedFile(const QString &path) : m_file(path), m_sink(kChunk)
{
    m_sink.setDrain([this](const char *data, size_t size) { write(data, size); });
}

void StreamedFile::write(const char *data, size_t size)
{
    if (!m_failure)
        return;
    if (!m_opened) {
        m_opened = true;
        m_failure = m_file.open();
        if (!m_failure)
            return;
        m_disk.emplace(m_file.handle());
    }
    m_failure = m_file.write(QByteArrayView(data, qsizetype(size)));
    if (m_failure)
        m_disk->written(qint64(size));
}

qm::Status StreamedFile::commit()
{
    m_sink.flush();
    if (!m_opened) // nothing was written at all: still an (empty) file
        write(nullptr, 0);
    if (!m_failure)
        return m_failure;
    return m_file.commit();
}

} // namespace exchange
