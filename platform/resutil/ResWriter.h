#pragma once

#include "platform/common/Result.h"
#include "platform/resutil/ResResource.h"

#include <QByteArray>
#include <QHash>
#include <QList>

namespace resutil {

class ResStrings;

// What a .res file is written from.
struct ResContent {
    const QByteArray *leadEntry = nullptr; // null: the standard empty entry
    const QList<ResResource> *others = nullptr;
    qsizetype stringsAt = -1; // index in others before which the string tables go; -1: at the end
    const QHash<quint32, ResHeaderFields> *blockFields = nullptr;
    const ResStrings *strings = nullptr;
};

// Lays out the whole file, then fills it. Refuses entries the format cannot
// hold; errors name the entry, not the file.
qm::Result<QByteArray> writeRes(const ResContent &content);

} // namespace resutil
