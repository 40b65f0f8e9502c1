#pragma once

#include "platform/common/Result.h"
#include "platform/excel/biff/BiffSstExtras.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

// The pieces every BIFF reader shares: the workbook stream out of its OLE2
// container, records, one bounds-checked cursor, strings and the shared
// string table. Nothing a record claims is allocated before its bytes are there.
namespace excel::backend::biff {

class Cursor {
public:
    Cursor(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    bool has(qsizetype n) const { return n >= 0 && m_pos + n <= m_size; }
    qsizetype left() const { return m_size - m_pos; }
    qsizetype pos() const { return m_pos; }
    void skip(qsizetype n) { m_pos = std::min(m_size, m_pos + n); }
    unsigned u8() { return has(1) ? std::uint8_t(m_data[m_pos++]) : (m_bad = true, 0u); }
    // The next n bytes, or null (and bad) when fewer are left.
    const char *take(qsizetype n)
    {
        if (!has(n)) {
            m_bad = true;
            return nullptr;
        }
        m_pos += n;
        return m_data + m_pos - n;
    }
    unsigned u16() { unsigned a = u8(); return a | (u8() << 8); }
    std::uint32_t u32() { std::uint32_t a = u16(); return a | (std::uint32_t(u16()) << 16); }
    double f64()
    {
        std::uint64_t bits = u32();
        bits |= std::uint64_t(u32()) << 32;
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    bool bad() const { return m_bad; }

private:
    const char *m_data;
    qsizetype m_size, m_pos = 0;
    bool m_bad = false;
};

struct Record {
    unsigned type = 0;
    QByteArray body;
    qsizetype offset = 0;
};

// Reads the record at `at`; false at the end of the stream or on a broken header.
bool recordAt(const QByteArray &stream, qsizetype at, Record *r);
QString readChars(Cursor &c, unsigned count, bool wide);
// A BIFF8 string whose length is `lengthBytes` wide, within one record.
QString readString(Cursor &c, int lengthBytes);

// The shared strings: one SST record and its CONTINUE records, read as
// segments, since a string may continue in the next one with new flags.
class SstReader {
public:
    void addSegment(const QByteArray &body) { m_segments.push_back(body); }
    bool empty() const { return m_segments.empty(); }

    // With `extras`, the runs and phonetic block of every string that has
    // them are kept there by index; otherwise they are skipped.
    qm::Status read(std::vector<QString> &out, std::map<std::uint32_t, SstExtras> *extras = nullptr);
    // After read: whether the strings took every byte of the table.
    bool atEnd() const;

private:
    qm::Status broken(std::uint32_t i) const;
    bool next();
    bool ensure(qsizetype n);
    bool skip(qsizetype n, QByteArray *into = nullptr);
    std::vector<QByteArray> m_segments;
    size_t m_seg = 0;
    Cursor m_cursor{nullptr, 0};
};

// The BIFF version its first BOF record names; 0 when it has none.
enum Version : unsigned { Biff5 = 0x0500, Biff8 = 0x0600 };
unsigned bofVersion(const QByteArray &stream);

// The workbook stream of an OLE2 file: "Workbook" (BIFF8) or "Book" (BIFF5).
qm::Result<QByteArray> workbookStream(const QByteArray &file);

} // namespace excel::backend::biff
