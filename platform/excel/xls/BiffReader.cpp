#include "platform/excel/xls/Xls.h"
#include "platform/excel/model/Constants.h"

#include "platform/excel/xls/BiffCodePage.h"
#include "platform/excel/xls/BiffStream.h"
#include "platform/excel/io/ReadBudget.h"

#include <cmath>
#include <cstring>
#include <vector>

// BIFF8 (Excel 97 to 2003) and BIFF5 (Excel 5.0 and 95) workbooks, read
// from the OLE2 container. BIFF5 keeps its texts in 8-bit strings of the
// workbook's code page and has no shared strings. Every
// read goes through one bounds-checked cursor; nothing a record claims is
// allocated before its bytes are there.
namespace excel::backend {

namespace {

using namespace biff;

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

// The sheets of one .xls file: the globals are read when it is opened, each
// sheet when it is first asked for.
class BiffReader : public SheetSource {
public:
    BiffReader(Workbook &book, QByteArray stream, bool biff5, const QString &path, qint64 fileBytes)
        : m_book(book), m_stream(std::move(stream)), m_biff5(biff5), m_path(path),
          m_limits(ReadLimits::forFile(fileBytes)), m_budget(m_limits) {}

    // The globals; the sheet list and the cell formats go into the workbook
    // unless it has them already (after a save).
    qm::Status open(bool relink)
    {
        CellFormatTable scratch;
        if (auto globals = readGlobals(relink ? scratch : m_book.formats()); !globals)
            return globals;
        if (relink)
            return {};
        for (int i = 0; i < int(m_sheets.size()); ++i) {
            const SheetRef &ref = m_sheets[size_t(i)];
            if (m_book.Worksheets().find(ref.name))
                return qm::makeError(QStringLiteral("two sheets are named \"%1\"").arg(ref.name));
            Worksheet &sheet = m_book.Worksheets().append(ref.name);
            sheet.sourceName = ref.name;
            sheet.sourceIndex = i;
            sheet.setLoaded(false);
        }
        return {};
    }

    qm::Status load(Worksheet &sheet) override
    {
        const auto failed = [&](const QString &why) {
            return qm::makeError(QStringLiteral("%1: sheet \"%2\": %3").arg(m_path, sheet.Name(), why));
        };
        if (sheet.sourceIndex < 0 || size_t(sheet.sourceIndex) >= m_sheets.size())
            return failed(QStringLiteral("the file has no such sheet"));
        if (auto read = readSheet(sheet, m_sheets[size_t(sheet.sourceIndex)].position); !read)
            return failed(read.errorString());
        return {};
    }

private:
    qm::Status readGlobals(CellFormatTable &formats)
    {
        Record r;
        if (!recordAt(m_stream, 0, &r) || r.type != 0x0809)
            return qm::makeError(QStringLiteral("the workbook stream does not begin with a BOF record"));
        const ReadLimits &limits = m_limits;
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
            case 0x0042: {
                const unsigned codePage = c.u16();
                if (m_biff5 && !m_codePage.set(codePage))
                    return qm::makeError(QStringLiteral("its texts are in code page %1, which cannot be read here").arg(codePage));
                break;
            }
            case 0x041E: {
                const unsigned id = c.u16();
                formats.numFmts[int(id)] = m_biff5 ? text(c, 1) : readString(c, 2);
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
                if (int(formats.size()) >= limits.cellFormats)
                    return qm::makeError(pastLimit(QStringLiteral("cell formats"), limits.cellFormats));
                formats.append(f);
                break;
            }
            case 0x0085: {
                const std::uint32_t position = c.u32();
                c.u8();
                const unsigned kind = c.u8();
                const QString name = text(c, 1);
                if (c.bad())
                    return qm::makeError(QStringLiteral("a sheet entry is cut short"));
                if (kind == 0 && int(m_sheets.size()) >= limits.sheets)
                    return qm::makeError(pastLimit(QStringLiteral("sheets"), limits.sheets));
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
                if (auto read = sst.read(m_strings); !read)
                    return read;
                for (const QString &text : m_strings)
                    if (auto counted = m_budget.addSharedString(text.size()); !counted)
                        return counted;
                return {};
            }
            default: break;
            }
        }
        return qm::makeError(QStringLiteral("the workbook globals end without an EOF record"));
    }

    // A cell or sheet text: BIFF8's string with its flags, BIFF5's bytes in the code page.
    QString text(Cursor &c, int lengthBytes)
    {
        if (!m_biff5)
            return readString(c, lengthBytes);
        const unsigned count = lengthBytes == 1 ? c.u8() : c.u16();
        const char *bytes = c.take(count);
        return bytes ? m_codePage.decode(bytes, count) : QString();
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
        if (auto counted = m_budget.addCells(1); !counted)
            return counted;
        if (value.isText() && value.text().size() > 0 && !m_sharedText)
            if (auto counted = m_budget.addText(value.text().size()); !counted)
                return counted;
        // Excel never stores an infinity or a NaN; one in a damaged file reads as the error it stands for.
        const bool finite = !value.isNumber() || std::isfinite(value.number());
        sheet.data().set(int(row) + 1, int(column) + 1, finite ? value : Value::error(CellError::Num), tableXf(xf));
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
                    const QString result = text(c, 2);
                    if (c.bad())
                        return qm::makeError(QStringLiteral("record 0x0207 at stream offset %1 is cut short").arg(r.offset));
                    if (auto status = put(sheet, formulaRow, formulaColumn, Value(result), formulaXf); !status)
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
                                             .arg(cellName(int(row) + 1, int(column) + 1), QString::number(index),
                                                  QString::number(m_strings.size())));
                m_sharedText = true;
                status = put(sheet, row, column, Value(m_strings[index]), xf);
                m_sharedText = false;
                break;
            }
            case 0x0204:
            case 0x00D6: { const unsigned xf = c.u16(); status = put(sheet, row, column, Value(text(c, 2)), xf); break; }
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
    const QByteArray m_stream;
    const bool m_biff5;
    const QString m_path;
    const ReadLimits m_limits;
    ReadBudget m_budget;
    bool m_sharedText = false; // the text in put() is a shared string, counted once
    CodePage m_codePage;
    std::vector<SheetRef> m_sheets;
    std::vector<QString> m_strings;
    unsigned m_styleXfs = 0;
};

} // namespace

qm::Status readXls(Workbook &book, const QByteArray &bytes, const QString &path)
{
    auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(path, why)); };
    auto stream = workbookStream(bytes);
    if (!stream)
        return fail(stream.errorString());
    const unsigned version = bofVersion(stream.value());
    if (version != Biff8 && version != Biff5)
        return fail(QStringLiteral("is not an Excel 5.0 to 2003 workbook (BIFF5 or BIFF8); older .xls files cannot be read"));
    auto reader = std::make_unique<BiffReader>(book, std::move(stream).value(), version == Biff5, path, bytes.size());
    if (auto read = reader->open(false); !read)
        return fail(read.errorString());
    book.setSheetSource(std::move(reader));
    return {};
}

void relinkXlsSheets(Workbook &book)
{
    book.setSheetSource(nullptr);
    auto stream = workbookStream(book.sourceBytes);
    if (!stream)
        return;
    const unsigned version = bofVersion(stream.value());
    auto reader = std::make_unique<BiffReader>(book, std::move(stream).value(), version == Biff5, book.FullName(),
                                               book.sourceBytes.size());
    if (reader->open(true))
        book.setSheetSource(std::move(reader));
}

} // namespace excel::backend
