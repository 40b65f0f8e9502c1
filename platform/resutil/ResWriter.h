#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <array>
#include <functional>
#include <vector>

namespace resutil {

class ResStrings;

// What a .res file is written from.
struct ResContent {
    const QByteArray *leadEntry = nullptr; // null: the standard empty entry
    const QList<ResResource> *others = nullptr;
    qsizetype stringsAt = -1; // index in others before which the string tables go; -1: at the end
    const std::vector<StringTableFields> *tableFields = nullptr; // sorted by key; a table without gets the defaults
    const ResStrings *strings = nullptr;
};

// One string table to write: sixteen texts, empty where absent.
struct StringTable {
    quint32 key; // blockKey()
    std::array<QStringView, 16> texts{};
    qint64 dataSize = 0;
};

// A file laid out and ready to write: every entry checked, the string tables
// grouped and sorted, the size known. Refers to the content it was made from.
struct ResLayout {
    ResContent content;
    std::vector<StringTable> tables;
    qint64 size = 0;
};

// Receives the bytes of the file in order, a piece at a time.
using ByteSink = std::function<qm::Status(QByteArrayView bytes)>;

// Refuses entries the format cannot hold; errors name the entry, not the file.
qm::Result<ResLayout> layOut(const ResContent &content);
// Writes exactly layout.size bytes to sink; stops at the sink's first failure.
qm::Status writeRes(const ResLayout &layout, const ByteSink &sink);

} // namespace resutil
