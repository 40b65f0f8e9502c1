#include "platform/excel/biff/BiffSstWriter.h"

#include "platform/excel/biff/BiffRecords.h"

#include <QHash>

#include <cstring>

namespace excel::backend::biff {

namespace {

// Fills records of at most MaxRecordData bytes, the SST first, then
// CONTINUE, and hands each to the sink when it is full. Without a sink it
// only counts them, as the strings come.
class RecordFiller {
public:
    RecordFiller(qint64 at, const QByteArray &head, const SstWriter::Sink &sink) : m_at(at), m_sink(&sink)
    {
        m_current.reserve(MaxRecordData);
        append(head);
    }
    RecordFiller(qint64 written, qsizetype used) : m_used(used), m_written(written) {}

    qsizetype room() const { return MaxRecordData - m_used; }
    // Where the next byte goes: its stream position and its offset in its record.
    SstWriter::Bucket here() const { return {std::uint32_t(m_at + m_written + 4 + m_used), unsigned(4 + m_used)}; }
    void append(const char *data, qsizetype size)
    {
        if (m_sink)
            m_current.append(data, size);
        m_used += size;
    }
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }
    void append(char c) { append(&c, 1); }
    void flush()
    {
        if (m_sink) {
            const char header[4] = {char(m_type & 0xFF), char(m_type >> 8), char(m_used & 0xFF), char(m_used >> 8)};
            m_ok = m_ok && (*m_sink)(header, 4) && (*m_sink)(m_current.constData(), std::size_t(m_current.size()));
            m_current.resize(0);
        }
        m_written += 4 + m_used;
        m_used = 0;
        m_type = 0x003C;
    }
    bool ok() const { return m_ok; }
    qint64 written() const { return m_written; }
    qsizetype used() const { return m_used; }

private:
    qint64 m_at = 0;
    const SstWriter::Sink *m_sink = nullptr;
    QByteArray m_current;
    qsizetype m_used = 0;
    qint64 m_written = 0;
    unsigned m_type = 0x00FC;
    bool m_ok = true;
};

QByteArray extSst(std::uint32_t bucket, const std::vector<SstWriter::Bucket> &buckets)
{
    Body ext;
    ext.u16(bucket);
    for (const auto &[position, offset] : buckets)
        ext.u32(position).u16(offset).u16(0);
    return record(0x00FF, ext.data());
}

// The characters of one string (as stored: `chars` of one or two bytes)
// from its header on, continued in new records as needed. A surrogate pair
// stays in one record: some readers decode each record's characters on their own.
void appendString(RecordFiller &out, const char *bytes, qsizetype chars, bool wide, const SstExtras *extras)
{
    const int charSize = wide ? 2 : 1;
    Body header;
    header.u16(unsigned(chars)).u8((wide ? 0x01 : 0) | (extras && !extras->runs.isEmpty() ? 0x08 : 0)
                                   | (extras && !extras->phonetic.isEmpty() ? 0x04 : 0));
    if (extras && !extras->runs.isEmpty())
        header.u16(unsigned(extras->runs.size() / 4));
    if (extras && !extras->phonetic.isEmpty())
        header.u32(std::uint32_t(extras->phonetic.size()));
    out.append(header.data());
    const auto highSurrogate = [bytes](qsizetype i) {
        const unsigned c = std::uint8_t(bytes[2 * i]) | (unsigned(std::uint8_t(bytes[2 * i + 1])) << 8);
        return c >= 0xD800 && c < 0xDC00;
    };
    qsizetype done = 0;
    while (done < chars) {
        qsizetype n = std::min(out.room() / charSize, chars - done);
        if (wide && n > 0 && done + n < chars && highSurrogate(done + n - 1))
            --n;
        if (n <= 0) {
            out.flush();
            out.append(char(wide ? 1 : 0)); // a continued string states its width again
            continue;
        }
        out.append(bytes + done * charSize, n * charSize);
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
        out.append(extras->phonetic.constData() + at, n);
        at += n;
    }
}

// One string in its place: a string's header and its first characters share a record.
void placeString(RecordFiller &out, const char *bytes, qsizetype chars, bool wide, const SstExtras *extras,
                 std::vector<SstWriter::Bucket> *bucket)
{
    const qsizetype header = 3 + (extras && !extras->runs.isEmpty() ? 2 : 0) + (extras && !extras->phonetic.isEmpty() ? 4 : 0);
    if (out.room() < header + std::min<qsizetype>(chars, 2) * (wide ? 2 : 1))
        out.flush();
    if (bucket)
        bucket->push_back(out.here());
    appendString(out, bytes, chars, wide, extras);
}

// A hash's first slot in a table of any size: its scaled value, not its low bits.
size_t slotOf(std::uint32_t hash, size_t slotCount)
{
    return size_t((std::uint64_t(hash) * slotCount) >> 32);
}

// The head of the SST record: the references and the strings, 4 bytes each.
constexpr qsizetype SstHead = 8;

// Reads the characters back in order, a large piece at a time.
class CharReader {
public:
    explicit CharReader(const SstChars &chars) : m_chars(chars) {}
    // The n bytes from start, or null where they cannot be read back.
    const char *take(std::uint64_t start, std::size_t n)
    {
        static const char none = 0;
        if (n == 0)
            return &none;
        if (start < m_start || start + n > m_start + m_piece.size()) {
            const std::uint64_t rest = m_chars.size() - start;
            m_piece.resize(std::size_t(std::min<std::uint64_t>(rest, std::max<std::size_t>(n, SstChars::BufferBytes * 4))));
            m_start = start;
            if (!m_chars.read(start, m_piece.data(), m_piece.size()))
                return nullptr;
        }
        return m_piece.data() + (start - m_start);
    }

private:
    const SstChars &m_chars;
    std::vector<char> m_piece;
    std::uint64_t m_start = 0;
};

} // namespace

SstWriter::SstWriter(qsizetype expected, SstChars chars) : m_chars(std::move(chars)), m_recordUsed(SstHead)
{
    // Room for the strings expected at three quarters full, so that the
    // table need not grow while it is filled.
    m_slots.assign(std::max<size_t>(64, size_t(std::max<qsizetype>(expected, 0)) / 3 * 4 + 4), 0);
    m_starts.reserve(size_t(std::max<qsizetype>(expected, 0)) + 1);
    m_starts.push_back(0);
}

std::uint32_t SstWriter::index(QStringView text)
{
    ++m_total;
    return add(text, nullptr);
}

std::uint32_t SstWriter::keep(const QString &text, const SstExtras &extras)
{
    if (extras.empty())
        return add(text, nullptr);
    const std::uint32_t i = add(text, &extras);
    m_extras[i] = extras;
    return i;
}

void SstWriter::encode(QStringView text)
{
    m_scratchWide = !fitsLatin1(text);
    m_scratch.resize(size_t(text.size()) * (m_scratchWide ? 2 : 1));
    char *p = m_scratch.data();
    for (QChar c : text) {
        *p++ = char(c.unicode() & 0xFF);
        if (m_scratchWide)
            *p++ = char(c.unicode() >> 8);
    }
}

// An open-addressing table of (hash, index + 1) in one array: a lookup
// costs one cache miss for the slot, and the characters are compared only
// where the hashes match. A string with extras is never shared.
std::uint32_t SstWriter::add(QStringView text, const SstExtras *extras)
{
    encode(text);
    const auto append = [this, extras] {
        m_chars.append(m_scratch.data(), m_scratch.size());
        m_starts.back() |= m_scratchWide ? 1 : 0;
        m_starts.push_back(m_chars.size() << 1);
        RecordFiller counter(m_recordsWritten, m_recordUsed);
        placeString(counter, m_scratch.data(), qsizetype(m_scratch.size()) / (m_scratchWide ? 2 : 1), m_scratchWide,
                    extras, nullptr);
        m_recordsWritten = counter.written();
        m_recordUsed = counter.used();
        return std::uint32_t(m_starts.size() - 2);
    };
    if (extras)
        return append();
    const std::uint32_t hash = std::uint32_t(qHashBits(m_scratch.data(), m_scratch.size(), m_scratchWide ? 1 : 0));
    const size_t slotCount = m_slots.size();
    for (size_t at = slotOf(hash, slotCount);; at = at + 1 == slotCount ? 0 : at + 1) {
        const std::uint64_t slot = m_slots[at];
        if (slot == 0) {
            const std::uint32_t i = append();
            m_slots[at] = (std::uint64_t(hash) << 32) | (std::uint64_t(i) + 1);
            if (size_t(size()) * 4 > m_slots.size() * 3)
                rehash();
            return i;
        }
        if (std::uint32_t(slot >> 32) != hash)
            continue;
        const size_t i = size_t(std::uint32_t(slot) - 1);
        const std::uint64_t start = m_starts[i] >> 1, end = m_starts[i + 1] >> 1;
        if ((m_starts[i] & 1) == (m_scratchWide ? 1 : 0) && end - start == m_scratch.size()
            && m_chars.equals(start, m_scratch.data(), m_scratch.size()))
            return std::uint32_t(i);
    }
}

bool SstWriter::writeRecords(qint64 at, const Sink &sink) const
{
    if (!m_chars.problem().isEmpty())
        return false;
    const std::uint32_t bucket = bucketSize(size());
    std::vector<Bucket> buckets;
    RecordFiller out(at, Body().u32(m_total).u32(size()).data(), sink);
    CharReader chars(m_chars);
    for (std::uint32_t i = 0; i < size() && out.ok(); ++i) {
        const auto extras = m_extras.find(i);
        const bool wide = m_starts[i] & 1;
        const std::uint64_t start = m_starts[i] >> 1, end = m_starts[i + 1] >> 1;
        const char *bytes = chars.take(start, std::size_t(end - start));
        if (!bytes)
            return false;
        placeString(out, bytes, qsizetype(end - start) / (wide ? 2 : 1), wide,
                    extras == m_extras.end() ? nullptr : &extras->second, i % bucket == 0 ? &buckets : nullptr);
    }
    out.flush();
    const QByteArray ext = extSst(bucket, buckets);
    return out.ok() && sink(ext.constData(), std::size_t(ext.size()));
}

QByteArray SstWriter::records(qint64 at) const
{
    QByteArray out;
    writeRecords(at, [&out](const char *data, std::size_t size) {
        out.append(data, qsizetype(size));
        return true;
    });
    return out;
}

qint64 SstWriter::recordsSize() const
{
    const std::uint32_t bucket = bucketSize(size());
    const qint64 buckets = (qint64(size()) + bucket - 1) / bucket;
    return m_recordsWritten + 4 + m_recordUsed + 4 + 2 + 8 * buckets;
}

std::size_t SstWriter::heldBytes() const
{
    return m_slots.capacity() * sizeof(std::uint64_t) + m_chars.heldBytes() + m_starts.capacity() * sizeof(std::uint64_t)
           + m_scratch.capacity();
}

void SstWriter::rehash()
{
    std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
    old.swap(m_slots);
    const size_t slotCount = m_slots.size();
    for (std::uint64_t slot : old) {
        if (slot == 0)
            continue;
        size_t at = slotOf(std::uint32_t(slot >> 32), slotCount);
        while (m_slots[at] != 0)
            at = at + 1 == slotCount ? 0 : at + 1;
        m_slots[at] = slot;
    }
}

std::uint32_t SstWriter::bucketSize(std::uint32_t strings)
{
    return std::max<std::uint32_t>(8, strings / 128 + 1);
}

} // namespace excel::backend::biff
