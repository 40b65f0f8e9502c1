#pragma once

// What a resource file gives the memory: each string ID's source text with
// its translation in every other language of the file.

#include "memory/TranslationMemory.h"

#include <QList>

#include <cstddef>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace memory {

// A file's entries a few string IDs at a time, in ID order, so that
// remembering a large file never holds all its pairs at once. Each batch is
// read from the table as it is then: texts edited meanwhile are given as
// they stand, and IDs gone are skipped.
class EntryBatches {
public:
    // The IDs that have a text in sourceLocale; file is recorded as their origin.
    EntryBatches(const resutil::ResStrings &strings, qint32 sourceLocale, QString file);

    // The entries of the next IDs, whole IDs of at least `size` entries
    // together where that many are left; empty when every ID is done.
    std::vector<Entry> next(const resutil::ResStrings &strings, std::size_t size);
    // The IDs left, whose entries next() has still to give.
    std::size_t idsLeft() const { return m_ids.size() - m_at; }

private:
    qint32 m_sourceLocale;
    QString m_file;
    QList<qint32> m_locales;
    std::vector<qint32> m_ids;
    std::size_t m_at = 0;
};

// One entry per string ID and language with a text, paired with the ID's
// text in sourceLocale; file is recorded as their origin. The texts are those
// the program reads: of an ID given twice in a language, the first.
std::vector<Entry> entriesOf(const resutil::ResStrings &strings, qint32 sourceLocale, const QString &file);

// Reads a .res file and gives its entries against its default source
// language (English (United Kingdom) when it has it, else its first).
qm::Result<std::vector<Entry>> entriesOfResFile(const QString &path);

} // namespace memory
