#include "platform/resutil/ResReader.h"

#include "platform/resutil/ByteCursor.h"

#include <algorithm>

namespace resutil {

namespace {

constexpr qint64 kMinHeaderSize = 32; // sizes, ordinal type and name, fields
constexpr int kStringsPerBlock = 16;

QString at(qint64 offset)
{
    return QStringLiteral("offset %1 (0x%2)").arg(offset).arg(offset, 0, 16);
}

qm::Error fault(qint64 offset, const QString &what)
{
    return qm::makeError(at(offset) + QStringLiteral(": ") + what);
}

// A type or name field: 0xFFFF and an ordinal, or a zero-terminated UTF-16 string.
bool readName(ByteCursor &cursor, ResName &out)
{
    quint16 first = 0;
    if (!cursor.readU16(first))
        return false;
    if (first == 0xFFFF) {
        out.isString = false;
        return cursor.readU16(out.ordinal);
    }
    const qint64 begin = cursor.pos() - 2;
    quint16 unit = first;
    while (unit != 0) {
        if (!cursor.readU16(unit))
            return false;
    }
    const qint64 units = (cursor.pos() - begin) / 2 - 1;
    out.isString = true;
    out.name = QString(qsizetype(units), Qt::Uninitialized);
    ByteCursor text(cursor.here() - 2 * (units + 1), 2 * units);
    return text.readUtf16(reinterpret_cast<char16_t *>(out.name.data()), units);
}

struct EntryHeader {
    qint64 offset = 0;
    quint32 dataSize = 0;
    quint32 headerSize = 0;
    ResName type;
    ResName name;
    ResHeaderFields fields;
    qint64 dataOffset() const { return offset + headerSize; }
    qint64 end() const { return dataOffset() + dataSize; }
};

qm::Result<EntryHeader> readHeader(QByteArrayView bytes, qint64 offset)
{
    EntryHeader h;
    h.offset = offset;
    ByteCursor cursor(bytes.constData(), bytes.size(), offset);
    if (!cursor.readU32(h.dataSize) || !cursor.readU32(h.headerSize))
        return fault(offset, QStringLiteral("the entry header is cut off by the end of the file"));
    if (h.headerSize < kMinHeaderSize)
        return fault(offset, QStringLiteral("header size %1 is below the minimum of %2").arg(h.headerSize).arg(kMinHeaderSize));
    if (qint64(h.headerSize) > bytes.size() - offset)
        return fault(offset, QStringLiteral("header size %1 runs past the end of the file (%2 bytes left)")
                                 .arg(h.headerSize).arg(bytes.size() - offset));
    // Everything else of the header must lie within its declared size.
    ByteCursor header(bytes.constData(), offset + h.headerSize, cursor.pos());
    if (!readName(header, h.type))
        return fault(offset, QStringLiteral("the resource type does not end within the header of %1 bytes").arg(h.headerSize));
    if (!readName(header, h.name))
        return fault(offset, QStringLiteral("the resource name does not end within the header of %1 bytes").arg(h.headerSize));
    const qint64 fieldsAt = offset + alignTo4(header.pos() - offset);
    if (!header.seek(fieldsAt) || !header.readU32(h.fields.dataVersion) || !header.readU16(h.fields.memoryFlags)
        || !header.readU16(h.fields.language) || !header.readU32(h.fields.version)
        || !header.readU32(h.fields.characteristics))
        return fault(offset, QStringLiteral("header size %1 is too small for its type, name and fields").arg(h.headerSize));
    if (qint64(h.dataSize) > bytes.size() - h.dataOffset())
        return fault(offset, QStringLiteral("data size %1 runs past the end of the file (%2 bytes left after the header)")
                                 .arg(h.dataSize).arg(bytes.size() - h.dataOffset()));
    return h;
}

qm::Status readBlock(QByteArrayView bytes, const StringBlock &block, const StringVisitor &visit)
{
    ByteCursor cursor(bytes.constData(), block.dataOffset + block.dataSize, block.dataOffset);
    const quint16 language = quint16(block.key >> 16);
    const int firstId = (int(block.key & 0xFFFF) - 1) * kStringsPerBlock;
    for (int i = 0; i < kStringsPerBlock; ++i) {
        const qint64 where = cursor.pos();
        quint16 length = 0;
        if (!cursor.readU16(length))
            return fault(where, QStringLiteral("the string table of %1 ends after %2 of its 16 strings").arg(at(block.headerOffset), QString::number(i)));
        if (length == 0)
            continue; // an absent string
        const char *units = cursor.here();
        if (!cursor.skip(2 * qint64(length)))
            return fault(where, QStringLiteral("string %1 claims %2 UTF-16 units but its table has only %3 bytes left")
                                    .arg(firstId + i).arg(length).arg(cursor.remaining()));
        visit(language, quint16(firstId + i), units, length);
    }
    for (const char *p = cursor.here(), *end = cursor.here() + cursor.remaining(); p != end; ++p) {
        if (*p != 0)
            return fault(cursor.pos() + (p - cursor.here()),
                         QStringLiteral("unexpected data after the 16 strings of the string table at %1").arg(at(block.headerOffset)));
    }
    return {};
}

bool allZero(QByteArrayView bytes, qint64 from)
{
    return std::all_of(bytes.begin() + from, bytes.end(), [](char c) { return c == 0; });
}

// The layout, and with visitInOrder each table's strings right after its
// header, while its bytes are at hand. That takes the tables in key order:
// inOrder is cleared, and the read given up, at the first one that is not.
qm::Result<ParsedRes> readEntries(QByteArrayView bytes, const StringVisitor *visitInOrder, bool *inOrder,
                                  const std::function<void(qint64)> &passed = {})
{
    ParsedRes parsed;
    if (bytes.isEmpty())
        return qm::makeError(QStringLiteral("the file is empty, not a resource file"));
    auto lead = readHeader(bytes, 0);
    if (!lead.ok() || lead->dataSize != 0 || lead->headerSize != kMinHeaderSize || lead->type.isString
        || lead->type.ordinal != 0 || lead->name.isString || lead->name.ordinal != 0)
        return fault(0, QStringLiteral("not a 32-bit resource file (it does not open with the empty entry)"));
    parsed.leadEntry = bytes.first(kMinHeaderSize).toByteArray();

    // Room for as many tables as the file could hold (a header and sixteen
    // lengths each): only what is filled is ever touched, and the list never
    // moves while both its old and new copies are held.
    parsed.blocks.reserve(std::size_t(bytes.size() / (kMinHeaderSize + 2 * kStringsPerBlock)));
    QHash<quint32, qint64> blockAt; // filled once a table comes out of order
    quint32 highest = 0;
    qint64 offset = kMinHeaderSize;
    while (offset < bytes.size()) {
        if (bytes.size() - offset < 8 && allZero(bytes, offset))
            break; // padding after the last entry
        auto header = readHeader(bytes, offset);
        if (!header.ok())
            return header.error();
        const EntryHeader &h = header.value();
        if (!h.type.isString && h.type.ordinal == RT_STRING && !h.name.isString) {
            if (h.name.ordinal == 0 || h.name.ordinal > 4096)
                return fault(offset, QStringLiteral("string table name %1 is outside 1..4096").arg(h.name.ordinal));
            const quint32 key = blockKey(h.fields.language, h.name.ordinal);
            // Tables mostly come sorted, and a key above all before it is new;
            // only one out of order needs the map of those before it.
            if (!parsed.blocks.empty() && key <= highest) {
                if (visitInOrder) {
                    *inOrder = false;
                    return parsed;
                }
                if (blockAt.isEmpty()) {
                    for (const StringBlock &block : parsed.blocks)
                        blockAt.insert(block.key, block.headerOffset);
                }
                auto earlier = blockAt.constFind(key);
                if (earlier != blockAt.constEnd())
                    return fault(offset, QStringLiteral("a second string table %1 for language %2 (the first is at %3)")
                                             .arg(h.name.ordinal).arg(h.fields.language).arg(at(earlier.value())));
            }
            if (!blockAt.isEmpty())
                blockAt.insert(key, offset);
            highest = std::max(highest, key);
            parsed.blocks.push_back(StringBlock{key, offset, h.dataOffset(), h.dataSize, h.fields});
            if (parsed.stringsAt < 0)
                parsed.stringsAt = parsed.others.size();
            if (visitInOrder) {
                if (auto status = readBlock(bytes, parsed.blocks.back(), *visitInOrder); !status.ok())
                    return status.error();
            }
        } else {
            ResResource other;
            other.type = h.type;
            other.name = h.name;
            other.fields = h.fields;
            other.offset = offset;
            other.header = bytes.sliced(offset, h.headerSize).toByteArray();
            other.data = bytes.sliced(h.dataOffset(), h.dataSize).toByteArray();
            parsed.others.append(std::move(other));
        }
        offset = alignTo4(h.end());
        if (passed)
            passed(h.end());
    }

    std::sort(parsed.blocks.begin(), parsed.blocks.end(), [](const StringBlock &a, const StringBlock &b) { return a.key < b.key; });
    return parsed;
}

} // namespace

qm::Result<ParsedRes> readLayout(QByteArrayView bytes, const std::function<void(qint64)> &passed)
{
    return readEntries(bytes, nullptr, nullptr, passed);
}

std::optional<ParsedRes> readSortedRes(QByteArrayView bytes, const StringVisitor &visit)
{
    bool inOrder = true;
    auto parsed = readEntries(bytes, &visit, &inOrder);
    if (!parsed.ok() || !inOrder)
        return std::nullopt;
    return std::move(parsed.value());
}

qm::Status readStrings(QByteArrayView bytes, const ParsedRes &layout, const StringVisitor &visit)
{
    for (const StringBlock &block : layout.blocks) {
        if (auto status = readBlock(bytes, block, visit); !status.ok())
            return status;
    }
    return {};
}

qm::Result<ParsedRes> readRes(QByteArrayView bytes, const StringVisitor &visit)
{
    auto parsed = readLayout(bytes);
    if (!parsed.ok())
        return parsed;
    if (auto status = readStrings(bytes, parsed.value(), visit); !status.ok())
        return status.error();
    return parsed;
}

} // namespace resutil
