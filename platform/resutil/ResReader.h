#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

namespace resutil {

struct ParsedString {
    quint16 language;
    quint16 id;
    QString text;
};

// What a .res file holds, as read: the opening empty entry, the other
// resources in file order, and the strings of its string tables.
struct ParsedRes {
    QByteArray leadEntry;
    QList<ResResource> others;
    qsizetype stringsAt = -1;                      // index in others of the first string table; -1: none
    QHash<quint32, ResHeaderFields> blockFields;   // blockKey() -> header fields
    std::vector<ParsedString> strings;             // sorted by language, then ID
};

inline quint32 blockKey(quint16 language, quint16 blockName)
{
    return (quint32(language) << 16) | blockName;
}

// Receives each string of the file's string tables, sorted by language, then
// ID; units points to text.size() UTF-16 units, little-endian, maybe unaligned.
using StringVisitor = std::function<void(quint16 language, quint16 id, const char *units, qsizetype size)>;

// Decodes a whole file. Errors name the offset and the fault, not the file.
qm::Result<ParsedRes> readRes(const QByteArray &bytes);
// The same, handing the strings to visit instead of keeping them: every string
// has been validated when visit sees it, but a later fault may still fail the read.
qm::Result<ParsedRes> readRes(QByteArrayView bytes, const StringVisitor &visit);

} // namespace resutil
