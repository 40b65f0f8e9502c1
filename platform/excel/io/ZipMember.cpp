#include "platform/excel/io/ZipMember.h"

#include "platform/excel/io/DeflateStream.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>

namespace excel::backend {

std::unique_ptr<ZipMember> ZipMember::deflating(QByteArray data)
{
    std::unique_ptr<ZipMember> m(new ZipMember);
    ZipMember *member = m.get();
    m->m_done = std::async(std::launch::async | std::launch::deferred, [member, data = std::move(data)]() mutable {
        const bool ok = member->deflateAll(data);
        data = QByteArray();
        return ok;
    });
    return m;
}

std::unique_ptr<ZipMember> ZipMember::deflated(QByteArray stream, quint64 size, quint32 crc)
{
    std::unique_ptr<ZipMember> m(new ZipMember);
    m->m_stream = std::move(stream);
    m->m_size = size;
    m->m_crc = crc;
    m->m_waited = m->m_ok = true;
    return m;
}

std::unique_ptr<ZipMember> ZipMember::spilled(std::shared_ptr<const SpilledStream> stream, quint64 size, quint32 crc)
{
    std::unique_ptr<ZipMember> m = deflated(QByteArray(), size, crc);
    m->m_spilled = std::move(stream);
    return m;
}

std::unique_ptr<ZipMember> ZipMember::stored(QByteArray data)
{
    const auto crc = quint32(libdeflate_crc32(0, data.constData(), size_t(data.size())));
    const auto size = quint64(data.size());
    std::unique_ptr<ZipMember> m = deflated(std::move(data), size, crc);
    m->m_stored = true;
    return m;
}

ZipMember::~ZipMember()
{
    wait(); // the deflation writes into this member
}

// libdeflate at level 1: a big sheet deflates in a third of zlib's time and a
// little smaller.
bool ZipMember::deflateAll(const QByteArray &data)
{
    m_size = quint64(data.size());
    m_crc = quint32(libdeflate_crc32(0, data.constData(), size_t(data.size())));
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(1);
    if (!compressor)
        return false;
    m_stream.resize(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(data.size()))));
    const size_t n = libdeflate_deflate_compress(compressor, data.constData(), size_t(data.size()), m_stream.data(),
                                                 size_t(m_stream.size()));
    libdeflate_free_compressor(compressor);
    m_stream.truncate(qsizetype(n));
    return n > 0;
}

bool ZipMember::wait()
{
    if (!m_waited) {
        m_ok = m_done.get();
        m_waited = true;
    }
    return m_ok;
}

quint64 ZipMember::compressedSize() const
{
    return quint64(m_spilled ? m_spilled->size() : m_stream.size());
}

qint64 ZipMember::read(quint64 offset, char *out, qint64 n) const
{
    if (m_spilled)
        return m_spilled->read(qint64(offset), out, n);
    const quint64 size = quint64(m_stream.size());
    const qint64 count = qint64(std::min<quint64>(quint64(n), size - std::min(offset, size)));
    std::memcpy(out, m_stream.constData() + offset, size_t(count));
    return count;
}

} // namespace excel::backend
