#pragma once

// TMX 1.4, the exchange format of translation memories: one <tu> per entry
// with the source's <tuv> first, the origin as x-quillmark-file and
// x-quillmark-id properties and the time as changedate.

#include "memory/TranslationMemory.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace memory {

struct TmxRead {
    std::vector<Entry> entries;
    qint64 unitsSkipped = 0; // units without two languages the memory knows, or without text
};

// Reads a TMX document (1.1 to 1.4). The source of each unit is the <tuv> in
// its srclang (or the header's); without one ("*all*"), the first. Every other
// <tuv> gives one entry. Inline markup gives its text.
qm::Result<TmxRead> readTmx(const QByteArray &bytes, const QString &path);
qm::Result<TmxRead> readTmxFile(const QString &path);

struct TmxWritten {
    qint64 units = 0;
    qint64 skipped = 0; // texts XML cannot carry (control characters, unpaired surrogates)
};

// Writes every entry of the memory into path, atomically.
qm::Result<TmxWritten> writeTmx(TranslationMemory &memory, const QString &path);

// TMX files larger than this are not read.
inline constexpr qint64 MaxTmxFileSize = qint64(1) << 30;

// "en-GB" for 2057, empty when unknown; 2057 for "en-GB", "en_GB" or "EN-gb", 0 when unknown.
QString tagForLocale(qint32 localeId);
qint32 localeForTag(const QString &tag);

} // namespace memory
