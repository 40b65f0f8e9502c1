#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace excel::backend::biff {

// The shared string table being written: the SST record and its CONTINUE
// records, split between characters (never inside a string header) as BIFF8
// requires, and the EXTSST index into it. Strings appended to a file's table
// get indexes from `base` on.
class SstWriter {
public:
    struct Bucket {
        std::uint32_t position; // stream position of the bucket's first string
        unsigned offset;        // its offset in its record, header included
    };

    explicit SstWriter(qsizetype expected, std::uint32_t base = 0);
    std::uint32_t index(const QString &text);
    std::uint32_t references() const { return m_total; }
    std::uint32_t added() const { return std::uint32_t(m_texts.size()); }

    // A whole table (SST, CONTINUE, EXTSST) that starts at stream position `at`.
    QByteArray records(qint64 at) const;
    // The added strings as CONTINUE records at `at`, after an existing table;
    // `buckets` gets the start of every string whose index is a multiple of `bucket`.
    QByteArray continuation(qint64 at, std::uint32_t bucket, std::vector<Bucket> &buckets) const;
    // Strings per EXTSST bucket for a table of `strings`: at most 128 buckets keep EXTSST in one record.
    static std::uint32_t bucketSize(std::uint32_t strings);
    static QByteArray extSst(std::uint32_t bucket, const std::vector<Bucket> &buckets);

private:
    QByteArray strings(qint64 at, unsigned firstType, QByteArray head, std::uint32_t bucket, std::vector<Bucket> &buckets) const;
    void rehash();
    std::vector<std::uint64_t> m_slots;
    std::vector<QString> m_texts;
    std::uint32_t m_total = 0, m_base = 0;
};

} // namespace excel::backend::biff
