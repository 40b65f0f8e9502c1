#include "platform/resutil/ResWriter.h"

#include "platform/resutil/ByteCursor.h"
#include "platform/resutil/ResReader.h"
#include "platform/resutil/ResStrings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace resutil {

namespace {

constexpr int kStringsPerBlock = 16;
constexpr qint64 kStringHeaderSize = 32;

struct Block {
    quint32 key;
    std::array<const ResString *, kStringsPerBlock> entries{};
    qint64 dataSize() const
    {
        qint64 size = 2 * kStringsPerBlock;
        for (const ResString *entry : entries)
            if (entry)
                size += 2 * entry->Text().size();
        return size;
    }
};

QString quoted(const QString &text)
{
    constexpr qsizetype kShown = 40;
    return QLatin1Char('"') + (text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text) + QLatin1Char('"');
}

QString entryName(const ResString &entry)
{
    return QStringLiteral("string ID %1 in locale %2").arg(entry.ID()).arg(entry.LocaleID());
}

qm::Status checkFits(const ResString &entry)
{
    if (entry.ID() < 0 || entry.ID() > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the string ID is outside 0..65535").arg(entryName(entry)));
    if (entry.LocaleID() < 0 || entry.LocaleID() > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the locale ID is outside 0..65535").arg(entryName(entry)));
    if (entry.Text().size() > 0xFFFF)
        return qm::makeError(QStringLiteral("%1: the text has %2 UTF-16 units, more than the 65535 a string can hold")
                                 .arg(entryName(entry)).arg(entry.Text().size()));
    return {};
}

qm::Result<std::vector<Block>> groupIntoBlocks(const ResStrings &strings)
{
    std::vector<Block> blocks;
    QHash<quint32, std::size_t> blockIndex;
    blockIndex.reserve(strings.Count() / kStringsPerBlock + 1);
    std::size_t last = std::size_t(-1);
    for (const ResString *entry : strings) {
        if (auto status = checkFits(*entry); !status.ok())
            return status.error();
        if (entry->Text().isEmpty())
            continue; // the format has no empty string
        const quint32 key = blockKey(quint16(entry->LocaleID()), quint16((entry->ID() >> 4) + 1));
        // Entries mostly come in order, so the previous block is the likely one.
        if (last == std::size_t(-1) || blocks[last].key != key) {
            auto found = blockIndex.constFind(key);
            if (found == blockIndex.constEnd()) {
                last = blocks.size();
                blockIndex.insert(key, last);
                blocks.push_back(Block{key, {}});
            } else {
                last = found.value();
            }
        }
        const ResString *&slot = blocks[last].entries[std::size_t(entry->ID() & 0xF)];
        if (slot && slot->Text() != entry->Text())
            return qm::makeError(QStringLiteral("%1 has two different texts, %2 and %3")
                                     .arg(entryName(*entry), quoted(slot->Text()), quoted(entry->Text())));
        if (!slot)
            slot = entry;
    }
    std::sort(blocks.begin(), blocks.end(), [](const Block &a, const Block &b) { return a.key < b.key; });
    return blocks;
}

class Filler {
public:
    explicit Filler(QByteArray &out) : m_out(out) {}
    void u16(quint16 value)
    {
        qToLittleEndian(value, m_out.data() + m_pos);
        m_pos += 2;
    }
    void u32(quint32 value)
    {
        qToLittleEndian(value, m_out.data() + m_pos);
        m_pos += 4;
    }
    void raw(const char *data, qint64 size)
    {
        std::memcpy(m_out.data() + m_pos, data, std::size_t(size));
        m_pos += size;
    }
    void utf16(const QString &text)
    {
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            raw(reinterpret_cast<const char *>(text.utf16()), 2 * text.size());
        } else {
            for (QChar c : text)
                u16(c.unicode());
        }
    }
    void alignFrom(qint64 entryStart) { m_pos = entryStart + alignTo4(m_pos - entryStart); } // buffer is zero-filled
    qint64 pos() const { return m_pos; }

private:
    QByteArray &m_out;
    qint64 m_pos = 0;
};

void writeBlock(Filler &out, const Block &block, const ResHeaderFields &fields)
{
    const qint64 start = out.pos();
    out.u32(quint32(block.dataSize()));
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
    for (const ResString *entry : block.entries) {
        out.u16(entry ? quint16(entry->Text().size()) : 0);
        if (entry)
            out.utf16(entry->Text());
    }
    out.alignFrom(start);
}

void writeOther(Filler &out, const ResResource &resource)
{
    const qint64 start = out.pos();
    out.raw(resource.header.constData(), resource.header.size());
    out.raw(resource.data.constData(), resource.data.size());
    out.alignFrom(start);
}

} // namespace

qm::Result<QByteArray> writeRes(const ResContent &content)
{
    static const QByteArray emptyEntry = [] {
        QByteArray entry(32, '\0');
        qToLittleEndian<quint32>(32, entry.data() + 4);
        qToLittleEndian<quint16>(0xFFFF, entry.data() + 8);
        qToLittleEndian<quint16>(0xFFFF, entry.data() + 12);
        return entry;
    }();
    const QByteArray &lead = content.leadEntry && !content.leadEntry->isEmpty() ? *content.leadEntry : emptyEntry;
    static const QList<ResResource> none;
    const QList<ResResource> &others = content.others ? *content.others : none;

    std::vector<Block> blocks;
    if (content.strings) {
        auto grouped = groupIntoBlocks(*content.strings);
        if (!grouped.ok())
            return grouped.error();
        blocks = std::move(grouped.value());
    }

    // windres rejects a file that holds no resource at all, so an empty file
    // gets one string table without strings (which every reader treats as absent).
    if (blocks.empty() && others.isEmpty())
        blocks.push_back(Block{blockKey(0, 1), {}});

    qint64 size = lead.size();
    for (const ResResource &resource : others)
        size += alignTo4(resource.header.size() + resource.data.size());
    for (const Block &block : blocks)
        size += alignTo4(kStringHeaderSize + block.dataSize());
    if (size > qint64(std::numeric_limits<qsizetype>::max() / 2) || size > qint64(0xFFFFFFFFu))
        return qm::makeError(QStringLiteral("the resource file would be %1 bytes, too large to write").arg(size));

    QByteArray out(qsizetype(size), '\0');
    Filler filler(out);
    filler.raw(lead.constData(), lead.size());
    const qsizetype stringsAt = content.stringsAt < 0 ? others.size() : std::min(content.stringsAt, others.size());
    auto writeBlocks = [&] {
        for (const Block &block : blocks) {
            ResHeaderFields fields;
            if (content.blockFields)
                fields = content.blockFields->value(block.key, ResHeaderFields{});
            writeBlock(filler, block, fields);
        }
    };
    for (qsizetype i = 0; i < others.size(); ++i) {
        if (i == stringsAt)
            writeBlocks();
        writeOther(filler, others[i]);
    }
    if (stringsAt == others.size())
        writeBlocks();
    Q_ASSERT(filler.pos() == size);
    return out;
}

} // namespace resutil
