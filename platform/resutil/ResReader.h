#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace resutil {

// Where a string table's data lies in the file.
struct StringBlock {
    quint32 key;          // blockKey()
    qint64 headerOffset;
    qint64 dataOffset;
    quint32 dataSize;
    ResHeaderFields fields;
};

// What a .res file holds apart from the texts: the opening empty entry, the
// other resources in file order, and where its string tables are.
struct ParsedRes {
    QByteArray leadEntry;
    QList<ResResource> others;
    qsizetype stringsAt = -1;                      // index in others of the first string table; -1: none
    std::vector<StringBlock> blocks;               // sorted by key
};

inline quint32 blockKey(quint16 language, quint16 blockName)
{
    return (quint32(language) << 16) | blockName;
}

// Receives each string of the file's string tables, sorted by language, then
// ID; units points to size UTF-16 units, little-endian, maybe unaligned.
using StringVisitor = std::function<void(quint16 language, quint16 id, const char *units, qsizetype size)>;

// Checks every entry header and keeps what is not a text. Errors name the
// offset and the fault, not the file. passed, when given, is told the end of
// each entry once read: bytes before it are not read again.
qm::Result<ParsedRes> readLayout(QByteArrayView bytes, const std::function<void(qint64 end)> &passed = {});
// Checks the string tables of a layout read from bytes and hands their strings
// to visit: every string has been checked when visit sees it, but a later
// fault may still fail the read.
qm::Status readStrings(QByteArrayView bytes, const ParsedRes &layout, const StringVisitor &visit);
// Both at once.
qm::Result<ParsedRes> readRes(QByteArrayView bytes, const StringVisitor &visit);
// Both in one pass, for a file whose string tables come in key order (as
// writers put them): strings are visited as their table is reached. Gives
// nothing for any other file and for any fault, after visiting some strings
// maybe: read it again with readRes or readLayout and readStrings, which say why.
std::optional<ParsedRes> readSortedRes(QByteArrayView bytes, const StringVisitor &visit);

} // namespace resutil
