#pragma once

#include "platform/excel/biff/BiffSstChars.h"
#include "platform/excel/biff/BiffSstExtras.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace excel::backend::biff {

// The shared string table being written: the SST record and as many
// CONTINUE records as it needs, each filled before the next begins and
// split only where BIFF8 allows (between characters, with the width flag
// again, never inside a string's header or a formatting run), and the
// EXTSST index into it. The strings' characters, as the table stores them
// (one byte a character where they fit), go to a temporary file; memory holds
// a start and a hash slot a string.
class SstWriter {
public:
    struct Bucket {
        std::uint32_t position; // stream position of the bucket's first string
        unsigned offset;        // its offset in its record, header included
    };
    // Takes the next bytes of the records; false stops the writing.
    using Sink = std::function<bool(const char *data, std::size_t size)>;

    explicit SstWriter(qsizetype expected, SstChars chars = SstChars());
    // The index of a plain text, added when the table has none like it.
    std::uint32_t index(QStringView text);
    // A string of the file being updated, kept with its runs and phonetic
    // block; a plain one is shared with later equal texts.
    std::uint32_t keep(const QString &text, const SstExtras &extras);
    // References from cells that are copied, not written through index().
    void addReferences(std::uint32_t count) { m_total += count; }
    std::uint32_t references() const { return m_total; }
    std::uint32_t size() const { return std::uint32_t(m_starts.size() - 1); }

    // The whole table (SST, CONTINUE, EXTSST) at stream position `at`.
    QByteArray records(qint64 at) const;
    // The same into sink, piece by piece; false when the sink refused.
    bool writeRecords(qint64 at, const Sink &sink) const;
    // How many bytes records() makes, counted while the strings came.
    qint64 recordsSize() const;
    // Why the table cannot be written (its characters' file failed); empty while it can.
    QString problem() const { return m_chars.problem(); }
    // The bytes the table holds in memory (starts, hash slots, buffers).
    std::size_t heldBytes() const;
    // Strings per EXTSST bucket for a table of `strings`: at most 128 buckets keep EXTSST in one record.
    static std::uint32_t bucketSize(std::uint32_t strings);

private:
    std::uint32_t add(QStringView text, const SstExtras *extras);
    void encode(QStringView text);
    void rehash();
    std::vector<std::uint64_t> m_slots;  // hash << 32 | index + 1, 0 for a free slot
    SstChars m_chars;                    // every string's characters, as stored
    std::vector<std::uint64_t> m_starts; // offset << 1 | wide, and the end last
    qint64 m_recordsWritten = 0;         // the records' bytes so far: those filled
    qsizetype m_recordUsed = 0;          // and those of the one being filled
    std::vector<char> m_scratch;         // the text being looked up, encoded
    bool m_scratchWide = false;
    std::map<std::uint32_t, SstExtras> m_extras; // few strings have any
    std::uint32_t m_total = 0;
};

} // namespace excel::backend::biff
