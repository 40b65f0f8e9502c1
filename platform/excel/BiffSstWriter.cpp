#include "platform/excel/BiffSstWriter.h"

#include "platform/excel/BiffRecords.h"

#include <QHash>

namespace excel::backend::biff {

SstWriter::SstWriter(qsizetype expected, std::uint32_t base) : m_base(base)
{
    size_t size = 64;
    while (size < size_t(expected) * 2)
        size *= 2;
    m_slots.assign(size, 0);
}

// An open-addressing table of (hash, index + 1) in one array: a lookup
// costs one cache miss, not the several of a node-based hash.
std::uint32_t SstWriter::index(const QString &text)
{
    ++m_total;
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
            return m_base + i;
        }
        if (std::uint32_t(slot >> 32) == hash && m_texts[size_t(std::uint32_t(slot) - 1)] == text)
            return m_base + std::uint32_t(slot) - 1;
    }
}

QByteArray SstWriter::records(qint64 at) const
{
    const std::uint32_t bucket = bucketSize(std::uint32_t(m_texts.size()));
    std::vector<Bucket> buckets;
    QByteArray out = strings(at, 0x00FC, Body().u32(m_total).u32(std::uint32_t(m_texts.size())).data(), bucket, buckets);
    return out + extSst(bucket, buckets);
}

QByteArray SstWriter::continuation(qint64 at, std::uint32_t bucket, std::vector<Bucket> &buckets) const
{
    return m_texts.empty() ? QByteArray() : strings(at, 0x003C, QByteArray(), bucket, buckets);
}

QByteArray SstWriter::strings(qint64 at, unsigned firstType, QByteArray head, std::uint32_t bucket, std::vector<Bucket> &buckets) const
{
    QByteArray out;
    QByteArray current = std::move(head);
    unsigned type = firstType;
    qint64 recordStart = at;
    auto flush = [&] {
        out += record(type, current);
        recordStart = at + out.size();
        current.clear();
        type = 0x003C;
    };
    for (std::uint32_t i = 0; i < m_texts.size(); ++i) {
        const QString &text = m_texts[i];
        const bool compressed = fitsLatin1(text);
        const int charSize = compressed ? 1 : 2;
        if (current.size() + 3 + charSize > MaxRecordData)
            flush();
        if ((m_base + i) % bucket == 0)
            buckets.push_back({std::uint32_t(recordStart + 4 + current.size()), unsigned(4 + current.size())});
        current += Body().u16(unsigned(text.size())).u8(compressed ? 0 : 1).data();
        qsizetype done = 0;
        while (done < text.size()) {
            const qsizetype room = (MaxRecordData - current.size()) / charSize;
            if (room <= 0) {
                flush();
                current += char(compressed ? 0 : 1); // a continued string repeats its flags
                continue;
            }
            const qsizetype n = std::min(room, text.size() - done);
            appendChars(current, QStringView(text).mid(done, n), compressed);
            done += n;
        }
    }
    flush();
    return out;
}

QByteArray SstWriter::extSst(std::uint32_t bucket, const std::vector<Bucket> &buckets)
{
    Body ext;
    ext.u16(bucket);
    for (const auto &[position, offset] : buckets)
        ext.u32(position).u16(offset).u16(0);
    return record(0x00FF, ext.data());
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
