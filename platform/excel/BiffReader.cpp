#include "platform/excel/Backends.h"
#include "platform/excel/Constants.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>

#include <cstring>
#include <vector>

// BIFF8 (Excel 97 to 2003) workbooks, read from the OLE2 container. Every
// read goes through one bounds-checked cursor; nothing a record claims is
// allocated before its bytes are there.
namespace excel::backend {

namespace {

constexpr std::size_t MaxCells = 20'000'000;

class Cursor {
public:
    Cursor(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    bool has(qsizetype n) const { return n >= 0 && m_pos + n <= m_size; }
    qsizetype left() const { return m_size - m_pos; }
    qsizetype pos() const { return m_pos; }
    void skip(qsizetype n) { m_pos = std::min(m_size, m_pos + n); }
    unsigned u8() { return has(1) ? std::uint8_t(m_data[m_pos++]) : (m_bad = true, 0u); }
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
bool recordAt(const QByteArray &stream, qsizetype at, Record *r)
{
    if (at + 4 > stream.size())
        return false;
    Cursor c(stream.constData() + at, 4);
    r->type = c.u16();
    const unsigned length = c.u16();
    if (length > 8224 || at + 4 + length > stream.size())
        return false;
    r->body = QByteArray::fromRawData(stream.constData() + at + 4, length);
    r->offset = at;
    return true;
}

QString readChars(Cursor &c, unsigned count, bool wide)
{
    QString s;
    s.reserve(std::min<qsizetype>(count, c.left()));
    for (unsigned i = 0; i < count && !c.bad(); ++i)
        s += QChar(char16_t(wide ? c.u16() : c.u8()));
    return s;
}

// A string whose length is `lengthBytes` wide, within one record.
QString readString(Cursor &c, int lengthBytes)
{
    const unsigned cch = lengthBytes == 1 ? c.u8() : c.u16();
    const unsigned flags = c.u8();
    unsigned runs = 0;
    std::uint32_t ext = 0;
    if (flags & 0x08)
        runs = c.u16();
    if (flags & 0x04)
        ext = c.u32();
    QString s = readChars(c, cch, flags & 0x01);
    c.skip(qsizetype(runs) * 4 + ext);
    return s;
}

// The shared strings: one SST record and its CONTINUE records, read as
// segments, since a string may continue in the next one with new flags.
class SstReader {
public:
    void addSegment(const QByteArray &body) { m_segments.push_back(body); }
    bool empty() const { return m_segments.empty(); }

    qm::Status read(std::vector<QString> &out)
    {
        if (m_segments.empty())
            return {};
        Cursor head(m_segments[0].constData(), m_segments[0].size());
        head.u32();
        const std::uint32_t unique = head.u32();
        if (head.bad())
            return qm::makeError(QStringLiteral("the shared string table is cut short"));
        m_seg = 0;
        m_cursor = Cursor(m_segments[0].constData() + 8, m_segments[0].size() - 8);
        for (std::uint32_t i = 0; i < unique; ++i) {
            if (!ensure(3))
                break; // fewer strings than claimed: use what is there
            const unsigned cch = m_cursor.u16();
            unsigned flags = m_cursor.u8();
            unsigned runs = 0;
            std::uint32_t ext = 0;
            if (flags & 0x08) {
                if (!ensure(2))
                    return broken(i);
                runs = m_cursor.u16();
            }
            if (flags & 0x04) {
                if (!ensure(4))
                    return broken(i);
                ext = m_cursor.u32();
            }
            QString s;
            unsigned done = 0;
            while (done < cch) {
                if (m_cursor.left() == 0) {
                    if (!next())
                        return broken(i);
                    flags = (flags & ~0x01u) | (m_cursor.u8() & 0x01); // a continued string states its width again
                }
                const unsigned width = flags & 0x01 ? 2 : 1;
                const unsigned n = std::min<unsigned>(cch - done, unsigned(m_cursor.left() / width));
                if (n == 0)
                    return broken(i);
                s += readChars(m_cursor, n, width == 2);
                done += n;
            }
            if (!skip(qsizetype(runs) * 4 + ext))
                return broken(i);
            out.push_back(std::move(s));
        }
        return {};
    }

private:
    qm::Status broken(std::uint32_t i) const
    {
        return qm::makeError(QStringLiteral("shared string %1 is cut short").arg(i));
    }
    bool next()
    {
        if (++m_seg >= m_segments.size())
            return false;
        m_cursor = Cursor(m_segments[m_seg].constData(), m_segments[m_seg].size());
        return true;
    }
    bool ensure(qsizetype n)
    {
        while (m_cursor.left() == 0)
            if (!next())
                return false;
        return m_cursor.has(n);
    }
    bool skip(qsizetype n)
    {
        while (n > 0) {
            if (m_cursor.left() == 0 && !next())
                return false;
            const qsizetype step = std::min(n, m_cursor.left());
            m_cursor.skip(step);
            n -= step;
        }
        return true;
    }
    std::vector<QByteArray> m_segments;
    size_t m_seg = 0;
    Cursor m_cursor{nullptr, 0};
};

double rkValue(std::uint32_t rk)
{
    double v;
    if (rk & 0x02) {
        v = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return rk & 0x01 ? v / 100 : v;
}

qm::Result<QByteArray> workbookStream(const QByteArray &file, bool *biff8)
{
    GError *error = nullptr;
    GsfInput *input = gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()), gsf_off_t(file.size()), FALSE);
    GsfInfile *ole = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (!ole) {
        const QString why = error ? QString::fromUtf8(error->message) : QString();
        if (error)
            g_error_free(error);
        return qm::makeError(QStringLiteral("is not a valid .xls file (broken OLE2 container: %1)").arg(why));
    }
    GsfInput *stream = gsf_infile_child_by_name(ole, "Workbook");
    *biff8 = stream != nullptr;
    if (!stream)
        stream = gsf_infile_child_by_name(ole, "Book");
    QByteArray bytes;
    bool ok = stream != nullptr;
    if (stream) {
        const gsf_off_t size = gsf_input_size(stream);
        ok = size >= 0 && size <= file.size() * 2 + 4096; // a stream is never larger than its file
        while (ok && gsf_input_remaining(stream) > 0) {
            const size_t n = size_t(std::min<gsf_off_t>(gsf_input_remaining(stream), 1 << 16));
            const guint8 *data = gsf_input_read(stream, n, nullptr);
            if (!data) {
                ok = false;
                break;
            }
            bytes.append(reinterpret_cast<const char *>(data), qsizetype(n));
        }
        g_object_unref(stream);
    }
    g_object_unref(ole);
    if (!ok)
        return qm::makeError(QStringLiteral("is not an Excel workbook: the .xls container holds no readable workbook stream"));
    return bytes;
}

struct SheetRef {
    QString name;
    std::uint32_t position;
};

class BiffReader {
public:
    BiffReader(Workbook &book, const QByteArray &stream) : m_book(book), m_stream(stream) {}

    qm::Status read()
    {
        if (auto globals = readGlobals(); !globals)
            return globals;
        for (int i = 0; i < int(m_sheets.size()); ++i) {
            const SheetRef &ref = m_sheets[size_t(i)];
            if (m_book.Worksheets().find(ref.name))
                return qm::makeError(QStringLiteral("two sheets are named \"%1\"").arg(ref.name));
            Worksheet &sheet = m_book.Worksheets().append(ref.name);
            sheet.sourceName = ref.name;
            sheet.sourceIndex = i;
            if (auto read = readSheet(sheet, ref.position); !read)
                return qm::makeError(QStringLiteral("sheet \"%1\": %2").arg(ref.name, read.errorString()));
        }
        return {};
    }

private:
    qm::Status readGlobals()
    {
        Record r;
        if (!recordAt(m_stream, 0, &r) || r.type != 0x0809)
            return qm::makeError(QStringLiteral("the workbook stream does not begin with a BOF record"));
        CellFormatTable &formats = m_book.formats();
        formats.clear();
        SstReader sst;
        bool inSst = false;
        for (qsizetype at = 0; recordAt(m_stream, at, &r); at += 4 + r.body.size()) {
            Cursor c(r.body.constData(), r.body.size());
            if (r.type != 0x003C)
                inSst = false;
            switch (r.type) {
            case 0x002F:
                return qm::makeError(QStringLiteral("is protected by a password and cannot be read"));
            case 0x0022: m_book.date1904 = c.u16() == 1; break;
            case 0x041E: {
                const unsigned id = c.u16();
                formats.numFmts[int(id)] = readString(c, 2);
                break;
            }
            case 0x00E0: {
                CellFormat f;
                c.u16();
                f.numFmtId = int(c.u16());
                const unsigned flags = c.u16();
                f.quotePrefix = flags & 0x0008;
                f.alignLeft = (c.u8() & 0x07) == 1;
                // The style formats ahead of the first cell format are not cell formats:
                // the table holds cell formats only, as the writer expects.
                if ((flags & 0x0004) && formats.size() == 0) {
                    ++m_styleXfs;
                    break;
                }
                formats.append(f);
                break;
            }
            case 0x0085: {
                const std::uint32_t position = c.u32();
                c.u8();
                const unsigned kind = c.u8();
                const QString name = readString(c, 1);
                if (c.bad())
                    return qm::makeError(QStringLiteral("a sheet entry is cut short"));
                if (kind == 0)
                    m_sheets.push_back({name, position});
                break;
            }
            case 0x00FC:
                sst.addSegment(r.body);
                inSst = true;
                break;
            case 0x003C:
                if (inSst)
                    sst.addSegment(r.body);
                break;
            case 0x000A: {
                if (formats.size() == 0)
                    formats.append({});
                formats.fileCount = formats.size();
                return sst.read(m_strings);
            }
            default: break;
            }
        }
        return qm::makeError(QStringLiteral("the workbook globals end without an EOF record"));
    }

    // A file's XF index as an index of the format table; unknown ones take the default.
    unsigned tableXf(unsigned xf) const
    {
        return xf >= m_styleXfs && xf - m_styleXfs < m_book.formats().size() ? xf - m_styleXfs : 0;
    }

    qm::Status put(Worksheet &sheet, unsigned row, unsigned column, const Value &value, unsigned xf)
    {
        if (row >= unsigned(XlsMaxRows) || column >= unsigned(XlsMaxColumns))
            return qm::makeError(QStringLiteral("a cell lies outside the sheet (row %1, column %2)").arg(row + 1).arg(column + 1));
        if (sheet.data().cellCount() >= MaxCells)
            return qm::makeError(QStringLiteral("the sheet has more than %1 cells; it is not read").arg(MaxCells));
        sheet.data().set(int(row) + 1, int(column) + 1, value, tableXf(xf));
        return {};
    }

    qm::Status readSheet(Worksheet &sheet, std::uint32_t position)
    {
        Record r;
        if (!recordAt(m_stream, qsizetype(position), &r) || r.type != 0x0809)
            return qm::makeError(QStringLiteral("no sheet begins at stream offset %1").arg(position));
        int depth = 0;
        unsigned formulaRow = 0, formulaColumn = 0, formulaXf = 0;
        bool awaitingString = false;
        for (qsizetype at = qsizetype(position); recordAt(m_stream, at, &r); at += 4 + r.body.size()) {
            Cursor c(r.body.constData(), r.body.size());
            if (r.type == 0x0809) {
                ++depth;
                continue;
            }
            if (r.type == 0x000A) {
                if (--depth == 0)
                    return {};
                continue;
            }
            if (depth != 1)
                continue; // an embedded chart's records
            const unsigned row = c.u16(), column = c.u16();
            qm::Status status;
            switch (r.type) {
            case 0x0203: { const unsigned xf = c.u16(); const double v = c.f64(); status = put(sheet, row, column, Value(v), xf); break; }
            case 0x027E: { const unsigned xf = c.u16(); status = put(sheet, row, column, Value(rkValue(c.u32())), xf); break; }
            case 0x00BD: // MULRK
                for (unsigned col = column; status && c.left() >= 8; ++col) {
                    const unsigned xf = c.u16();
                    status = put(sheet, row, col, Value(rkValue(c.u32())), xf);
                }
                break;
            case 0x00FD: {
                const unsigned xf = c.u16();
                const std::uint32_t index = c.u32();
                if (index >= m_strings.size())
                    return qm::makeError(QStringLiteral("cell %1 refers to shared string %2, but the workbook has %3")
                                             .arg(cellName(int(row) + 1, int(column) + 1)).arg(index).arg(m_strings.size()));
                status = put(sheet, row, column, Value(m_strings[index]), xf);
                break;
            }
            case 0x0204:
            case 0x00D6: { const unsigned xf = c.u16(); status = put(sheet, row, column, Value(readString(c, 2)), xf); break; }
            case 0x0205: {
                const unsigned xf = c.u16();
                const unsigned v = c.u8();
                status = put(sheet, row, column, c.u8() ? Value::error(CellError(v)) : Value::boolean(v != 0), xf);
                break;
            }
            case 0x0201: { status = put(sheet, row, column, Value(), c.u16()); break; }
            case 0x00BE: // MULBLANK
                for (unsigned col = column; status && c.left() >= 4; ++col)
                    status = put(sheet, row, col, Value(), c.u16());
                break;
            case 0x0006: { // FORMULA: its cached result
                const unsigned xf = c.u16();
                Cursor result(r.body.constData() + 6, std::min<qsizetype>(8, r.body.size() - 6));
                const unsigned kind = result.u8();
                result.skip(1);
                const unsigned payload = result.u8();
                result.skip(3);
                const bool special = result.u16() == 0xFFFF;
                if (!special) {
                    Cursor number(r.body.constData() + 6, std::min<qsizetype>(8, r.body.size() - 6));
                    status = put(sheet, row, column, Value(number.f64()), xf);
                } else if (kind == 0) {
                    awaitingString = true;
                    formulaRow = row;
                    formulaColumn = column;
                    formulaXf = xf;
                } else if (kind == 1) {
                    status = put(sheet, row, column, Value::boolean(payload != 0), xf);
                } else if (kind == 2) {
                    status = put(sheet, row, column, Value::error(CellError(payload)), xf);
                } else {
                    status = put(sheet, row, column, Value(QString()), xf);
                }
                break;
            }
            case 0x0207: {
                if (awaitingString) {
                    Cursor text(r.body.constData(), r.body.size());
                    status = put(sheet, formulaRow, formulaColumn, Value(readString(text, 2)), formulaXf);
                    awaitingString = false;
                }
                break;
            }
            case 0x007D: { // COLINFO: a format for every column is the sheet's default
                const unsigned xf = (c.u16(), c.u16());
                if (row == 0 && column >= 255)
                    sheet.setDefaultXf(tableXf(xf));
                break;
            }
            default: continue;
            }
            if (!status)
                return status;
            if (c.bad())
                return qm::makeError(QStringLiteral("record 0x%1 at stream offset %2 is cut short").arg(r.type, 4, 16, QChar(u'0')).arg(r.offset));
        }
        return qm::makeError(QStringLiteral("the sheet ends without an EOF record"));
    }

    Workbook &m_book;
    const QByteArray &m_stream;
    std::vector<SheetRef> m_sheets;
    std::vector<QString> m_strings;
    unsigned m_styleXfs = 0;
};

} // namespace

qm::Status readBiff8(Workbook &book, const QByteArray &bytes, const QString &path, bool *handled)
{
    auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(path, why)); };
    bool biff8 = false;
    auto stream = workbookStream(bytes, &biff8);
    *handled = true;
    if (!stream)
        return fail(stream.errorString());
    Record first;
    if (!biff8 || !recordAt(stream.value(), 0, &first) || first.type != 0x0809 || first.body.size() < 2
        || Cursor(first.body.constData(), 2).u16() != 0x0600) {
        *handled = false; // older BIFF: FreeXL reads those
        return {};
    }
    BiffReader reader(book, stream.value());
    if (auto read = reader.read(); !read)
        return fail(read.errorString());
    return {};
}

} // namespace excel::backend
