#include "platform/excel/Backends.h"
#include "platform/excel/Constants.h"

#include "platform/excel/BiffStream.h"

#include <cstring>
#include <vector>

// BIFF8 (Excel 97 to 2003) workbooks, read from the OLE2 container. Every
// read goes through one bounds-checked cursor; nothing a record claims is
// allocated before its bytes are there.
namespace excel::backend {

namespace {

using namespace biff;

constexpr std::size_t MaxCells = 20'000'000;

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
            if (r.type == 0x0207) { // STRING: a text formula's result, with no cell address of its own
                if (awaitingString) {
                    const QString text = readString(c, 2);
                    if (c.bad())
                        return qm::makeError(QStringLiteral("record 0x0207 at stream offset %1 is cut short").arg(r.offset));
                    if (auto status = put(sheet, formulaRow, formulaColumn, Value(text), formulaXf); !status)
                        return status;
                    awaitingString = false;
                }
                continue;
            }
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
