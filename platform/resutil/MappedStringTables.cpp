#include "platform/resutil/MappedStringTables.h"

#include "platform/common/InputFile.h"
#include "platform/resutil/ResLimits.h"
#include "platform/resutil/ResReader.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

#include <unistd.h>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace resutil {

namespace {

// While the file is mapped, the pages read are let go this often: they count
// as the process's memory until then (at 8 MB they were a third of an export's).
constexpr qint64 kLetGoEvery = qint64(1) << 20;
constexpr qint64 kPage = 4096;
// Read in key order, the tables of a file in another order are let go this
// often: the pages a fault maps around each stay within a few megabytes.
constexpr int kLetGoTables = 64;
// What the windows of all languages may take, about.
constexpr qint64 kWindowsTogether = qint64(4) << 20;

} // namespace

std::unique_ptr<MappedStringTables> MappedStringTables::open(const QString &path)
{
    if (Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return nullptr; // texts are used in place
    std::unique_ptr<MappedStringTables> tables(new MappedStringTables);
    tables->m_path = path;
    // A file this reader refuses is loaded instead, which says why.
    auto opened = qm::openInputFile(tables->m_file, path, MaxResFileBytes, QStringLiteral("resource files"), QIODevice::Unbuffered);
    if (!opened || opened.value() <= 0)
        return nullptr;
    tables->m_size = tables->m_file.size();
    tables->m_bytes = tables->m_file.map(0, tables->m_size);
    if (!tables->m_bytes || !tables->read())
        return nullptr;
    return tables;
}

MappedStringTables::~MappedStringTables() = default;

bool MappedStringTables::read()
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(m_bytes), m_size);
    qint32 language = -1;
    const auto add = [&](quint16 locale, quint16 id) {
        if (locale != language) {
            language = locale;
            m_locales.push_back(locale);
        }
        if (!m_seen[id]) {
            m_seen[id] = true;
            m_ids.push_back(id);
        }
        ++m_count;
    };
    // Tables in key order, as writers put them, are read in one pass, the
    // pages read let go behind it.
    qint64 letGone = 0;
    auto parsed = readSortedRes(bytes, [&](quint16 locale, quint16 id, const char *units, qsizetype) {
        add(locale, id);
        if (const qint64 at = units - bytes.data(); at - letGone >= kLetGoEvery) {
            letGo(at);
            letGone = at;
        }
    });
    if (!parsed) {
        // Any other order: the layout first, then the tables in key order,
        // wherever they lie; every so often all pages are let go.
        language = -1;
        m_locales.clear();
        m_ids.clear();
        m_seen.reset();
        m_count = 0;
        letGo(m_size);
        letGone = 0;
        auto layout = readLayout(bytes, [&](qint64 end) {
            if (end - letGone >= kLetGoEvery) {
                letGo(end);
                letGone = end;
            }
        });
        if (!layout)
            return false;
        letGo(m_size);
        // A language's tables may lie all over the file, each one a fault that
        // maps the pages around it: let go after so many tables.
        quint32 table = 0;
        int tables = 0;
        const auto status = readStrings(bytes, layout.value(), [&](quint16 locale, quint16 id, const char *, qsizetype) {
            add(locale, id);
            if (const quint32 key = blockKey(locale, quint16(id / 16 + 1)); key != table) {
                table = key;
                if (++tables % kLetGoTables == 0)
                    letGo(m_size);
            }
        });
        if (!status.ok())
            return false;
        parsed = std::move(layout).value();
    }
    m_tables.reserve(parsed->blocks.size());
    for (const StringBlock &block : parsed->blocks) {
        if (block.dataOffset % 2 != 0)
            return false; // its texts could not be used in place
        m_tables.push_back(Table{block.key, block.dataSize, block.dataOffset});
    }
    m_file.unmap(const_cast<uchar *>(m_bytes));
    m_bytes = nullptr;

    // Texts are read from here on into a window per language: its pages, once
    // mapped, would stay with the process however far behind it they lie.
    m_windowSize = std::clamp<qint64>(kWindowsTogether / qint64(std::max<std::size_t>(m_locales.size(), 1)), 4096, 65536);
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
    // A language's tables mostly lie one after the other, so a window read
    // ahead holds the next ones too; where the next one lies before, or far
    // after, the table is read alone.
    if (table->offset < column.windowAt || table->offset + table->size > column.windowAt + column.windowBytes) {
        const auto next = table + 1;
        const bool ahead = next != end && next->offset > table->offset && next->offset + next->size <= table->offset + m_windowSize;
        const qint64 want = ahead ? std::max<qint64>(table->size, m_windowSize) : table->size;
        if (qint64(column.window.size()) * 2 < want)
            column.window.resize(std::size_t(want + 1) / 2);
        const ssize_t got = ::pread(m_file.handle(), column.window.data(), std::size_t(want), table->offset);
        column.windowAt = table->offset;
        column.windowBytes = std::max<ssize_t>(got, 0);
    }
    // Checked when opened, but read again here: the file may have changed.
    const uchar *at = reinterpret_cast<const uchar *>(column.window.data()) + (table->offset - column.windowAt);
    const uchar *const tableEnd = at + std::min<qint64>(table->size, column.windowAt + column.windowBytes - table->offset);
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
}

} // namespace resutil
