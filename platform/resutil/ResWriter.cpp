#include "platform/resutil/ResWriter.h"

#include "platform/resutil/ByteCursor.h"
#include "platform/resutil/KeyOrder.h"
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

using BlockTexts = std::array<QStringView, kStringsPerBlock>;

qint64 dataSize(const BlockTexts &texts)
{
    qint64 size = 2 * kStringsPerBlock;
    for (QStringView text : texts)
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

qm::Error twoTexts(const ResStrings::Peeked &entry, QStringView earlier)
{
    return qm::makeError(QStringLiteral("%1 has two different texts, %2 and %3")
                             .arg(entryName(entry), quoted(earlier), quoted(entry.text)));
}

// Gathers the entries of one string table after another, given in key order.
class BlockGatherer {
public:
    quint32 key = 0;
    BlockTexts texts{};

    // Whether the entry begins a new table (the one gathered so far is then complete).
    bool beginsNew(const ResStrings::Peeked &entry) const { return !m_open || blockOf(entry) != key; }
    void start(const ResStrings::Peeked &entry)
    {
        key = blockOf(entry);
        texts = {};
        m_open = true;
    }
    // The text already there for the entry's ID, or an empty one once the entry's is in.
    QStringView place(const ResStrings::Peeked &entry)
    {
        QStringView &slot = texts[std::size_t(entry.id & 0xF)];
        if (!slot.isEmpty())
            return slot;
        slot = entry.text;
        return {};
    }
    bool open() const { return m_open; }

private:
    static quint32 blockOf(const ResStrings::Peeked &entry)
    {
        return blockKey(quint16(entry.localeId), quint16((entry.id >> 4) + 1));
    }
    bool m_open = false;
};

// The bytes of the string tables, one table at a time.
struct TablesSize {
    qint64 bytes = 0;
    qint64 tables = 0;
    void add(const BlockTexts &texts)
    {
        bytes += alignTo4(kStringHeaderSize + dataSize(texts));
        ++tables;
    }
};

// Checks every entry and measures the tables. Refusals come in the order of
// the entries, as the first entry that cannot be written meets it.
qm::Result<TablesSize> measureTables(const ResStrings &strings, std::shared_ptr<const KeyOrder> &order)
{
    qm::Status failed;
    qsizetype unfitAt = -1;
    bool inOrder = true, any = false;
    quint32 last = 0;
    BlockGatherer block;
    TablesSize size;
    strings.Peek([&](const ResStrings::Peeked &entry) {
        if (!failed.ok())
            return;
        if (auto status = checkFits(entry); !status.ok()) {
            failed = status;
            unfitAt = entry.position;
            return;
        }
        if (entry.text.isEmpty() || !inOrder)
            return; // the format has no empty string
        const quint32 key = KeyOrder::keyOf(entry.localeId, entry.id);
        if (any && key < last) {
            inOrder = false;
            return;
        }
        any = true;
        last = key;
        if (block.beginsNew(entry)) {
            if (block.open())
                size.add(block.texts);
            block.start(entry);
        }
        if (const QStringView earlier = block.place(entry); !earlier.isEmpty() && earlier != entry.text)
            failed = twoTexts(entry, earlier);
    });
    if (inOrder) {
        if (!failed.ok())
            return failed.error();
        if (block.open())
            size.add(block.texts);
        order = std::make_shared<KeyOrder>(strings);
        return size;
    }
    // Entries out of key order (added since the file was read, or from another
    // tool) are measured in key order: of the two texts of one key, the
    // refusal names the entry that came later, and goes first where it came
    // before any entry that does not fit.
    auto sorted = std::make_shared<KeyOrder>(strings, unfitAt);
    size = TablesSize();
    block = BlockGatherer();
    qsizetype twoAt = -1;
    qm::Status two;
    sorted->forEach([&](const ResStrings::Peeked &entry) {
        if (block.beginsNew(entry)) {
            if (block.open())
                size.add(block.texts);
            block.start(entry);
        }
        if (const QStringView earlier = block.place(entry);
            !earlier.isEmpty() && earlier != entry.text && (twoAt < 0 || entry.position < twoAt)) {
            twoAt = entry.position;
            two = twoTexts(entry, earlier);
        }
    });
    if (twoAt >= 0)
        return two.error();
    if (!failed.ok())
        return failed.error();
    if (block.open())
        size.add(block.texts);
    order = std::move(sorted);
    return size;
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

void writeBlock(Output &out, quint32 key, const BlockTexts &texts, const ResHeaderFields &fields)
{
    const qint64 start = out.pos();
    out.u32(quint32(dataSize(texts)));
    out.u32(quint32(kStringHeaderSize));
    out.u16(0xFFFF);
    out.u16(RT_STRING);
    out.u16(0xFFFF);
    out.u16(quint16(key & 0xFFFF));
    out.u32(fields.dataVersion);
    out.u16(fields.memoryFlags);
    out.u16(quint16(key >> 16));
    out.u32(fields.version);
    out.u32(fields.characteristics);
    for (QStringView text : texts) {
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

std::size_t ResLayout::heldBytes() const
{
    return order ? order->heldBytes() : 0;
}

qm::Result<ResLayout> layOut(const ResContent &content)
{
    ResLayout layout;
    layout.content = content;
    TablesSize tables;
    if (content.strings) {
        auto measured = measureTables(*content.strings, layout.order);
        if (!measured.ok())
            return measured.error();
        tables = measured.value();
    }
    const QList<ResResource> &others = othersOf(content);
    // windres rejects a file that holds no resource at all, so an empty file
    // gets one string table without strings (which every reader treats as absent).
    if (tables.tables == 0 && others.isEmpty()) {
        layout.emptyTable = true;
        tables.add(BlockTexts{});
    }

    qint64 size = leadEntryOf(content).size();
    for (const ResResource &resource : others)
        size += alignTo4(resource.header.size() + resource.data.size());
    size += tables.bytes;
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
        const auto write = [&](quint32 key, const BlockTexts &texts) {
            while (next != known.end() && next->key < key)
                ++next;
            writeBlock(out, key, texts, next != known.end() && next->key == key ? next->fields : ResHeaderFields{});
        };
        if (layout.emptyTable)
            write(blockKey(0, 1), BlockTexts{});
        if (!layout.order)
            return;
        BlockGatherer block;
        layout.order->forEach([&](const ResStrings::Peeked &entry) {
            if (block.beginsNew(entry)) {
                if (block.open())
                    write(block.key, block.texts);
                block.start(entry);
            }
            (void)block.place(entry); // a second text of a key is the same as the first
        });
        if (block.open())
            write(block.key, block.texts);
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
