#include "platform/resutil/ResWriter.h"

#include "platform/resutil/ByteCursor.h"
#include "platform/resutil/ResReader.h"
#include "platform/resutil/ResStrings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace resutil {

namespace {

constexpr int kStringsPerBlock = 16;
constexpr qint64 kStringHeaderSize = 32;

constexpr std::size_t kOutputBuffer = std::size_t(1) << 18;

qint64 dataSize(const StringTable &table)
{
    qint64 size = 2 * kStringsPerBlock;
    for (QStringView text : table.texts)
        size += 2 * text.size();
    return size;
}

QString quoted(QStringView text)
{
    constexpr qsizetype kShown = 40;
    return QLatin1Char('"') + (text.size() > kShown ? text.left(kShown).toString() + QStringLiteral("...") : text.toString())
           + QLatin1Char('"');
}

QString entryName(const ResStrings::Peeked &entry)
{
    return QStringLiteral("string ID %1 in locale %2").arg(entry.id).arg(entry.localeId);
}

qm::Status checkFits(const ResStrings::Peeked &entry)
{
    if (entry.id < 0 || entry.id > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the string ID is outside 0..65535").arg(entryName(entry)));
    if (entry.localeId < 0 || entry.localeId > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the locale ID is outside 0..65535").arg(entryName(entry)));
    if (entry.text.size() > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the text has %2 UTF-16 units, more than the 65535 a string can hold")
                                 .arg(entryName(entry), QString::number(entry.text.size())));
    return {};
}

qm::Result<std::vector<StringTable>> groupIntoBlocks(const ResStrings &strings)
{
    std::vector<StringTable> blocks;
    blocks.reserve(std::size_t(strings.Count() / kStringsPerBlock + 1));
    QHash<quint32, std::size_t> blockIndex; // filled once an entry comes out of order
    std::size_t last = std::size_t(-1);
    qm::Status failed;
    // Entries are read in place: a loaded file's texts are never made into objects.
    strings.Peek([&](const ResStrings::Peeked &entry) {
        if (!failed.ok())
            return;
        if (auto status = checkFits(entry); !status.ok()) {
            failed = status;
            return;
        }
        if (entry.text.isEmpty())
            return; // the format has no empty string
        const quint32 key = blockKey(quint16(entry.localeId), quint16((entry.id >> 4) + 1));
        // Entries mostly come in order: the same block as the one before, or a
        // new one above all before it. Only others need the map of blocks.
        if (last == std::size_t(-1) || blocks[last].key != key) {
            if (blockIndex.isEmpty() && !blocks.empty() && key < blocks.back().key) {
                for (std::size_t i = 0; i < blocks.size(); ++i)
                    blockIndex.insert(blocks[i].key, i);
            }
            // Still without the map, key is above every block so far.
            const auto found = blockIndex.isEmpty() ? blockIndex.constEnd() : blockIndex.constFind(key);
            if (found == blockIndex.constEnd()) {
                last = blocks.size();
                if (!blockIndex.isEmpty())
                    blockIndex.insert(key, last);
                blocks.push_back(StringTable{key, {}});
            } else {
                last = found.value();
            }
        }
        QStringView &slot = blocks[last].texts[std::size_t(entry.id & 0xF)];
        if (!slot.isEmpty() && slot != entry.text)
            failed = qm::makeError(QStringLiteral("%1 has two different texts, %2 and %3")
                                       .arg(entryName(entry), quoted(slot), quoted(entry.text)));
        else if (slot.isEmpty())
            slot = entry.text;
    });
    if (!failed.ok())
        return failed.error();
    const auto byKey = [](const StringTable &a, const StringTable &b) { return a.key < b.key; };
    if (!std::is_sorted(blocks.begin(), blocks.end(), byKey))
        std::sort(blocks.begin(), blocks.end(), byKey);
    for (StringTable &table : blocks)
        table.dataSize = dataSize(table);
    return blocks;
}

// Collects the bytes in a buffer small enough to stay in the cache and hands
// it to the sink whenever it is full.
class Output {
public:
    explicit Output(const ByteSink &sink) : m_sink(sink), m_buffer(std::make_unique_for_overwrite<char[]>(kOutputBuffer)) {}
    void u16(quint16 value)
    {
        qToLittleEndian(value, room(2));
        m_used += 2;
    }
    void u32(quint32 value)
    {
        qToLittleEndian(value, room(4));
        m_used += 4;
    }
    void raw(const char *data, qint64 size)
    {
        if (std::size_t(size) > kOutputBuffer / 4) {
            flush();
            pass(QByteArrayView(data, size));
            m_written += size;
        } else {
            std::memcpy(room(std::size_t(size)), data, std::size_t(size));
            m_used += std::size_t(size);
        }
    }
    void utf16(QStringView text)
    {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            raw(reinterpret_cast<const char *>(text.constData()), 2 * text.size());
        } else {
            for (QChar c : text)
                u16(c.unicode());
        }
    }
    void alignFrom(qint64 entryStart)
    {
        const std::size_t padding = std::size_t(alignTo4(pos() - entryStart) - (pos() - entryStart));
        std::memset(room(padding), 0, padding);
        m_used += padding;
    }
    qint64 pos() const { return m_written + qint64(m_used); }
    qm::Status finish()
    {
        flush();
        return m_status;
    }

private:
    char *room(std::size_t bytes)
    {
        if (kOutputBuffer - m_used < bytes)
            flush();
        return m_buffer.get() + m_used;
    }
    void flush()
    {
        pass(QByteArrayView(m_buffer.get(), qsizetype(m_used)));
        m_written += qint64(m_used);
        m_used = 0;
    }
    void pass(QByteArrayView bytes)
    {
        if (m_status.ok() && !bytes.isEmpty())
            m_status = m_sink(bytes);
    }

    const ByteSink &m_sink;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    qint64 m_written = 0; // bytes handed to the sink, or passed to it directly
    qm::Status m_status;
};

void writeBlock(Output &out, const StringTable &block, const ResHeaderFields &fields)
{
    const qint64 start = out.pos();
    out.u32(quint32(block.dataSize));
    out.u32(quint32(kStringHeaderSize));
    out.u16(0xFFFF);
    out.u16(RT_STRING);
    out.u16(0xFFFF);
    out.u16(quint16(block.key & 0xFFFF));
    out.u32(fields.dataVersion);
    out.u16(fields.memoryFlags);
    out.u16(quint16(block.key >> 16));
    out.u32(fields.version);
    out.u32(fields.characteristics);
    for (QStringView text : block.texts) {
        out.u16(quint16(text.size()));
        if (!text.isEmpty())
            out.utf16(text);
    }
    out.alignFrom(start);
}

void writeOther(Output &out, const ResResource &resource)
{
    const qint64 start = out.pos();
    out.raw(resource.header.constData(), resource.header.size());
    out.raw(resource.data.constData(), resource.data.size());
    out.alignFrom(start);
}

const QByteArray &leadEntryOf(const ResContent &content)
{
    static const QByteArray emptyEntry = [] {
        QByteArray entry(32, '\0');
        qToLittleEndian<quint32>(32, entry.data() + 4);
        qToLittleEndian<quint16>(0xFFFF, entry.data() + 8);
        qToLittleEndian<quint16>(0xFFFF, entry.data() + 12);
        return entry;
    }();
    return content.leadEntry && !content.leadEntry->isEmpty() ? *content.leadEntry : emptyEntry;
}

const QList<ResResource> &othersOf(const ResContent &content)
{
    static const QList<ResResource> none;
    return content.others ? *content.others : none;
}

} // namespace

qm::Result<ResLayout> layOut(const ResContent &content)
{
    ResLayout layout;
    layout.content = content;
    if (content.strings) {
        auto grouped = groupIntoBlocks(*content.strings);
        if (!grouped.ok())
            return grouped.error();
        layout.tables = std::move(grouped.value());
    }
    const QList<ResResource> &others = othersOf(content);
    // windres rejects a file that holds no resource at all, so an empty file
    // gets one string table without strings (which every reader treats as absent).
    if (layout.tables.empty() && others.isEmpty()) {
        layout.tables.push_back(StringTable{blockKey(0, 1), {}});
        layout.tables.back().dataSize = dataSize(layout.tables.back());
    }

    qint64 size = leadEntryOf(content).size();
    for (const ResResource &resource : others)
        size += alignTo4(resource.header.size() + resource.data.size());
    for (const StringTable &table : layout.tables)
        size += alignTo4(kStringHeaderSize + table.dataSize);
    if (size > qint64(0xFFFFFFFFu))
        return qm::makeError(QStringLiteral("the resource file would be %1 bytes, too large to write").arg(size));
    layout.size = size;
    return layout;
}

qm::Status writeRes(const ResLayout &layout, const ByteSink &sink)
{
    const ResContent &content = layout.content;
    const QList<ResResource> &others = othersOf(content);
    const QByteArray &lead = leadEntryOf(content);
    Output out(sink);
    out.raw(lead.constData(), lead.size());
    const qsizetype stringsAt = content.stringsAt < 0 ? others.size() : std::min(content.stringsAt, others.size());
    auto writeBlocks = [&] {
        static const std::vector<StringTableFields> none;
        const std::vector<StringTableFields> &known = content.tableFields ? *content.tableFields : none;
        auto next = known.begin(); // both are sorted by key
        for (const StringTable &table : layout.tables) {
            while (next != known.end() && next->key < table.key)
                ++next;
            writeBlock(out, table, next != known.end() && next->key == table.key ? next->fields : ResHeaderFields{});
        }
    };
    for (qsizetype i = 0; i < others.size(); ++i) {
        if (i == stringsAt)
            writeBlocks();
        writeOther(out, others[i]);
    }
    if (stringsAt == others.size())
        writeBlocks();
    qm::Status status = out.finish();
    Q_ASSERT(!status.ok() || out.pos() == layout.size);
    return status;
}

} // namespace resutil
