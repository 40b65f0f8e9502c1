#include "platform/excel/BiffSstWriter.h"

#include "platform/excel/BiffRecords.h"

#include <QHash>

namespace excel::backend::biff {

namespace {

// Fills records of at most MaxRecordData bytes: the SST first, then CONTINUE.
class RecordFiller {
public:
    RecordFiller(qint64 at, QByteArray head) : m_at(at), m_current(std::move(head)) {}

    qsizetype room() const { return MaxRecordData - m_current.size(); }
    // Where the next byte goes: its stream position and its offset in its record.
    SstWriter::Bucket here() const
    {
        return {std::uint32_t(m_at + m_out.size() + 4 + m_current.size()), unsigned(4 + m_current.size())};
    }
    void append(const QByteArray &bytes) { m_current += bytes; }
    void append(char c) { m_current += c; }
    QByteArray &current() { return m_current; }
    void flush()
    {
        m_out += record(m_type, m_current);
        m_current.clear();
        m_type = 0x003C;
    }
    QByteArray take()
    {
        flush();
        return std::move(m_out);
    }

private:
    qint64 m_at;
    QByteArray m_out, m_current;
    unsigned m_type = 0x00FC;
};

QByteArray extSst(std::uint32_t bucket, const std::vector<SstWriter::Bucket> &buckets)
{
    Body ext;
    ext.u16(bucket);
    for (const auto &[position, offset] : buckets)
        ext.u32(position).u16(offset).u16(0);
    return record(0x00FF, ext.data());
}

// The characters of one string from its header on, continued in new records
// as needed. A surrogate pair stays in one record: some readers decode each
// record's characters on their own.
void appendString(RecordFiller &out, const QString &text, bool compressed, const SstExtras *extras)
{
    const int charSize = compressed ? 1 : 2;
    Body header;
    header.u16(unsigned(text.size())).u8((compressed ? 0 : 0x01) | (extras && !extras->runs.isEmpty() ? 0x08 : 0)
                                         | (extras && !extras->phonetic.isEmpty() ? 0x04 : 0));
    if (extras && !extras->runs.isEmpty())
        header.u16(unsigned(extras->runs.size() / 4));
    if (extras && !extras->phonetic.isEmpty())
        header.u32(std::uint32_t(extras->phonetic.size()));
    out.append(header.data());
    qsizetype done = 0;
    while (done < text.size()) {
        qsizetype n = std::min(out.room() / charSize, text.size() - done);
        if (n > 0 && done + n < text.size() && text[done + n - 1].isHighSurrogate())
            --n;
        if (n <= 0) {
            out.flush();
            out.append(char(compressed ? 0 : 1)); // a continued string states its width again
            continue;
        }
        appendChars(out.current(), QStringView(text).mid(done, n), compressed);
        done += n;
    }
    if (!extras)
        return;
    for (qsizetype at = 0; at + 4 <= extras->runs.size(); at += 4) {
        if (out.room() < 4)
            out.flush();
        out.append(extras->runs.mid(at, 4));
    }
    for (qsizetype at = 0; at < extras->phonetic.size();) {
        if (out.room() == 0)
            out.flush();
        const qsizetype n = std::min(out.room(), extras->phonetic.size() - at);
        out.append(extras->phonetic.mid(at, n));
        at += n;
    }
}

} // namespace

SstWriter::SstWriter(qsizetype expected)
{
    size_t size = 64;
    while (size < size_t(expected) * 2)
        size *= 2;
    m_slots.assign(size, 0);
}

std::uint32_t SstWriter::index(const QString &text)
{
    ++m_total;
    return add(text, true);
}

std::uint32_t SstWriter::keep(const QString &text, const SstExtras &extras)
{
    if (extras.empty())
        return add(text, true);
    const std::uint32_t i = add(text, false);
    m_extras[i] = extras;
    return i;
}

// An open-addressing table of (hash, index + 1) in one array: a lookup
// costs one cache miss, not the several of a node-based hash.
std::uint32_t SstWriter::add(const QString &text, bool shared)
{
    if (!shared) {
        m_texts.push_back(text);
        return std::uint32_t(m_texts.size() - 1);
    }
    const std::uint32_t hash = std::uint32_t(qHash(text));
    const size_t mask = m_slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = m_slots[at];
        if (slot == 0) {
            const std::uint32_t i = std::uint32_t(m_texts.size());
            m_slots[at] = (std::uint64_t(hash) << 32) | (std::uint64_t(i) + 1);
            m_texts.push_back(text);
            if (m_texts.size() * 2 > m_slots.size())
                rehash();
            return i;
        }
        if (std::uint32_t(slot >> 32) == hash && m_texts[size_t(std::uint32_t(slot) - 1)] == text)
            return std::uint32_t(slot) - 1;
    }
}

QByteArray SstWriter::records(qint64 at) const
{
    const std::uint32_t bucket = bucketSize(size());
    std::vector<Bucket> buckets;
    RecordFiller out(at, Body().u32(m_total).u32(size()).data());
    for (std::uint32_t i = 0; i < m_texts.size(); ++i) {
        const auto extras = m_extras.find(i);
        const SstExtras *kept = extras == m_extras.end() ? nullptr : &extras->second;
        // A string's header and its first characters share a record.
        const QString &text = m_texts[i];
        const bool compressed = fitsLatin1(text);
        const qsizetype header = 3 + (kept && !kept->runs.isEmpty() ? 2 : 0) + (kept && !kept->phonetic.isEmpty() ? 4 : 0);
        if (out.room() < header + std::min<qsizetype>(text.size(), 2) * (compressed ? 1 : 2))
            out.flush();
        if (i % bucket == 0)
            buckets.push_back(out.here());
        appendString(out, text, compressed, kept);
    }
    return out.take() + extSst(bucket, buckets);
}

void SstWriter::rehash()
{
    std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (std::uint64_t slot : old) {
        if (slot == 0)
            continue;
        size_t at = size_t(slot >> 32) & mask;
        while (m_slots[at] != 0)
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

std::uint32_t SstWriter::bucketSize(std::uint32_t strings)
{
    return std::max<std::uint32_t>(8, strings / 128 + 1);
}

} // namespace excel::backend::biff
