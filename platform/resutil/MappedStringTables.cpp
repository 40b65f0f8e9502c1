#include "platform/resutil/MappedStringTables.h"

#include "platform/resutil/ResReader.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace resutil {

namespace {

// Pages read are let go this often. They come back from the page cache if
// needed again; the mapping itself stays.
constexpr qint64 kLetGoEvery = qint64(8) << 20;
constexpr qint64 kPage = 4096;

} // namespace

std::unique_ptr<MappedStringTables> MappedStringTables::open(const QString &path)
{
    if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return nullptr; // texts are used in place
    std::unique_ptr<MappedStringTables> tables(new MappedStringTables);
    tables->m_file.setFileName(path);
    if (!tables->m_file.open(QIODevice::ReadOnly) || tables->m_file.size() <= 0)
        return nullptr;
    tables->m_size = tables->m_file.size();
    tables->m_bytes = tables->m_file.map(0, tables->m_size);
    if (!tables->m_bytes || !tables->read())
        return nullptr;
    return tables;
}

MappedStringTables::~MappedStringTables() = default; // QFile unmaps

bool MappedStringTables::read()
{
    const char *base = reinterpret_cast<const char *>(m_bytes);
    qint32 language = -1;
    auto parsed = readSortedRes(QByteArrayView(base, m_size), [&](quint16 locale, quint16 id, const char *units, qsizetype) {
        if (locale != language) {
            language = locale;
            m_locales.push_back(locale);
        }
        if (!m_seen[id]) {
            m_seen[id] = true;
            m_ids.push_back(id);
        }
        ++m_count;
        if (const qint64 at = units - base; at - m_readSinceLetGo >= kLetGoEvery) {
            letGo(at);
            m_readSinceLetGo = at;
        }
    });
    if (!parsed)
        return false;
    m_tables.reserve(parsed->blocks.size());
    for (const StringBlock &block : parsed->blocks) {
        if (block.dataOffset % 2 != 0)
            return false; // its texts could not be used in place
        m_tables.push_back(Table{block.key, block.dataSize, block.dataOffset});
    }
    letGo(m_size);
    m_readSinceLetGo = 0;

    m_columns.resize(m_locales.size());
    std::size_t at = 0;
    for (std::size_t c = 0; c < m_locales.size(); ++c) {
        Column &column = m_columns[c];
        column.locale = m_locales[c];
        while (at < m_tables.size() && qint32(m_tables[at].key >> 16) < m_locales[c])
            ++at;
        column.first = at;
        while (at < m_tables.size() && qint32(m_tables[at].key >> 16) == m_locales[c])
            ++at;
        column.end = at;
    }
    return true;
}

void MappedStringTables::letGo(qint64 upTo)
{
#if defined(__linux__)
    if (const qint64 end = upTo / kPage * kPage; end > 0)
        madvise(const_cast<uchar *>(m_bytes), std::size_t(end), MADV_DONTNEED);
#else
    (void)upTo;
#endif
}

QStringView MappedStringTables::text(std::size_t column, qint32 id)
{
    Column &of = m_columns[column];
    const int name = id / 16 + 1;
    if (of.name != name)
        readTable(of, name);
    const int i = id % 16;
    return of.units[i] ? QStringView(of.units[i], of.sizes[i]) : QStringView();
}

void MappedStringTables::readTable(Column &column, int name)
{
    column.name = name;
    std::fill(std::begin(column.units), std::end(column.units), nullptr);
    const quint32 key = (quint32(column.locale) << 16) | quint32(name);
    const auto begin = m_tables.begin() + qsizetype(column.first), end = m_tables.begin() + qsizetype(column.end);
    const auto table = std::lower_bound(begin, end, key, [](const Table &t, quint32 k) { return t.key < k; });
    if (table == end || table->key != key)
        return;
    // Checked when opened, but read again here: the file may have changed.
    const uchar *at = m_bytes + table->offset;
    const uchar *const tableEnd = at + std::min<qint64>(table->size, m_size - table->offset);
    for (int i = 0; i < 16; ++i) {
        if (tableEnd - at < 2) {
            m_intact = false;
            return;
        }
        const quint16 size = qFromLittleEndian<quint16>(at);
        at += 2;
        if (size == 0)
            continue;
        if (tableEnd - at < 2 * qint64(size)) {
            m_intact = false;
            return;
        }
        column.units[i] = reinterpret_cast<const char16_t *>(at);
        column.sizes[i] = size;
        at += 2 * qint64(size);
    }
    m_readSinceLetGo += table->size;
    if (m_readSinceLetGo >= kLetGoEvery) {
        // Every column's table is still reachable; its pages come back when read.
        letGo(m_size);
        m_readSinceLetGo = 0;
    }
}

} // namespace resutil
