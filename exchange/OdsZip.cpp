#include "exchange/OdsZip.h"

#include <libdeflate.h>

namespace exchange {

namespace {

void put16(QByteArray &out, quint32 v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void put32(QByteArray &out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

constexpr quint32 kDosDate = (0 << 9) | (1 << 5) | 1; // 1 January 1980

} // namespace

void OdsZipWriter::add(const QString &name, const QByteArray &data, bool stored)
{
    Entry entry;
    entry.name = name.toUtf8();
    entry.stored = stored;
    entry.size = quint32(data.size());
    entry.crc = quint32(libdeflate_crc32(0, data.constData(), size_t(data.size())));
    if (stored) {
        addEntry(std::move(entry), data);
        return;
    }
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(1);
    QByteArray body;
    body.resize(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(data.size()))));
    body.resize(qsizetype(
        libdeflate_deflate_compress(compressor, data.constData(), size_t(data.size()), body.data(), size_t(body.size()))));
    libdeflate_free_compressor(compressor);
    addEntry(std::move(entry), body);
}

void OdsZipWriter::addDeflated(const QString &name, const QByteArray &stream, quint32 size, quint32 crc)
{
    Entry entry;
    entry.name = name.toUtf8();
    entry.size = size;
    entry.crc = crc;
    addEntry(std::move(entry), stream);
}

void OdsZipWriter::addEntry(Entry entry, const QByteArray &body)
{
    entry.offset = quint32(m_out.size());
    entry.compressedSize = quint32(body.size());
    put32(m_out, 0x04034b50);
    put16(m_out, 20);
    put16(m_out, 0x0800); // names in UTF-8
    put16(m_out, entry.stored ? 0 : 8);
    put16(m_out, 0);
    put16(m_out, kDosDate);
    put32(m_out, entry.crc);
    put32(m_out, entry.compressedSize);
    put32(m_out, entry.size);
    put16(m_out, quint32(entry.name.size()));
    put16(m_out, 0);
    m_out += entry.name;
    m_out += body;
    m_entries.push_back(std::move(entry));
}

QByteArray OdsZipWriter::finish()
{
    const quint32 directory = quint32(m_out.size());
    for (const Entry &entry : m_entries) {
        put32(m_out, 0x02014b50);
        put16(m_out, 20);
        put16(m_out, 20);
        put16(m_out, 0x0800);
        put16(m_out, entry.stored ? 0 : 8);
        put16(m_out, 0);
        put16(m_out, kDosDate);
        put32(m_out, entry.crc);
        put32(m_out, entry.compressedSize);
        put32(m_out, entry.size);
        put16(m_out, quint32(entry.name.size()));
        put16(m_out, 0);
        put16(m_out, 0);
        put16(m_out, 0);
        put16(m_out, 0);
        put32(m_out, 0);
        put32(m_out, entry.offset);
        m_out += entry.name;
    }
    const quint32 size = quint32(m_out.size()) - directory;
    put32(m_out, 0x06054b50);
    put16(m_out, 0);
    put16(m_out, 0);
    put16(m_out, quint32(m_entries.size()));
    put16(m_out, quint32(m_entries.size()));
    put32(m_out, size);
    put32(m_out, directory);
    put16(m_out, 0);
    return std::move(m_out);
}

} // namespace exchange
