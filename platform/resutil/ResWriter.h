#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <functional>
#include <memory>
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

class KeyOrder;

// A file checked and measured, ready to write: every entry fits the format,
// the size is known. The string tables are made one at a time as they are
// written, from the entries in key order. Refers to the content it was made
// from, which must not change before it is written.
struct ResLayout {
    ResContent content;
    std::shared_ptr<const KeyOrder> order; // of content.strings; null without strings
    bool emptyTable = false;               // a file of nothing gets one string table without strings
    qint64 size = 0;
    // What the layout holds beyond the content: for entries out of key order, their order.
    std::size_t heldBytes() const;
};

// Receives the bytes of the file in order, a piece at a time.
using ByteSink = std::function<qm::Status(QByteArrayView bytes)>;

// Refuses entries the format cannot hold; errors name the entry, not the file.
qm::Result<ResLayout> layOut(const ResContent &content);
// Writes exactly layout.size bytes to sink; stops at the sink's first failure.
qm::Status writeRes(const ResLayout &layout, const ByteSink &sink);

} // namespace resutil
