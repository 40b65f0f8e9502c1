#include "platform/excel/xlsx/Xlsx.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/io/TextArena.h"
#include "platform/excel/xlsx/XlsxPackage.h"
#include "platform/excel/io/XmlParser.h"
#include "platform/excel/io/ZipArchive.h"

#include <charconv>
#include <string>
#include <vector>

namespace excel::backend {

namespace {

class SharedStringsHandler : public XmlParser::Handler {
public:
    explicit SharedStringsHandler(ReadBudget &budget) : m_budget(budget) {}
    void startElement(const char *name, const char **) override
    {
        const char *local = localName(name);
        if (sameName(local, "si")) {
            m_text.clear();
        } else if (sameName(local, "rPh")) {
            ++m_phonetic;
        } else if (sameName(local, "t") && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void endElement(const char *name) override
    {
        const char *local = localName(name);
        if (sameName(local, "si")) {
            QString text = m_texts.fromXml(m_text.data(), m_text.size());
            if (auto counted = m_budget.addSharedString(text.size()); !counted) {
                fault = counted.errorString();
                return;
            }
            strings.push_back(std::move(text));
        }
        else if (sameName(local, "rPh"))
            --m_phonetic;
        else if (sameName(local, "t"))
            m_inText = false;
    }
    void characters(const char *text, int length) override
    {
        if (m_inText)
            m_text.append(text, size_t(length));
    }
    std::vector<QString> strings;

private:
    ReadBudget &m_budget;
    TextArena m_texts;
    std::string m_text;
    int m_phonetic = 0;
    bool m_inText = false;
};

// Parses "B12" into row 12, column 2.
bool parseCellRef(const char *ref, int *row, int *column)
{
    int c = 0, r = 0;
    const char *p = ref;
    while (*p >= 'A' && *p <= 'Z') {
        c = c * 26 + (*p - 'A' + 1);
        if (c > XlsxMaxColumns)
            return false;
        ++p;
    }
    if (p == ref)
        return false;
    const char *digits = p;
    while (*p >= '0' && *p <= '9') {
        r = r * 10 + (*p - '0');
        if (r > XlsxMaxRows)
            return false;
        ++p;
    }
    if (*p || p == digits || r < 1)
        return false;
    *row = r;
    *column = c;
    return true;
}

class SheetHandler : public XmlParser::Handler {
public:
    SheetHandler(Worksheet &sheet, const std::vector<QString> &strings, std::uint32_t xfCount, ReadBudget &budget)
        : m_sheet(&sheet), m_strings(strings), m_xfCount(xfCount), m_budget(budget) {}
    // Hands the cells to `visitor` instead; a fault where the sheet would not
    // get exactly these cells in this order.
    SheetHandler(CellVisitor &visitor, const std::vector<QString> &strings, std::uint32_t xfCount, ReadBudget &budget)
        : m_visitor(&visitor), m_strings(strings), m_xfCount(xfCount), m_budget(budget) {}

    void startElement(const char *name, const char **attributes) override
    {
        const char *local = localName(name);
        if (sameName(local, "c")) {
            startCell(attributes);
        } else if (sameName(local, "row")) {
            const char *r = attribute(attributes, "r");
            const int row = r ? std::atoi(r) : m_row + 1;
            if (row < 1 || row > XlsxMaxRows || row < m_row) {
                fault = QStringLiteral("row number %1 is out of order or beyond row %2").arg(QString::fromUtf8(r), QString::number(XlsxMaxRows));
                return;
            }
            m_row = row;
            m_column = 0;
        } else if (sameName(local, "v")) {
            m_collect = m_inCell;
        } else if (sameName(local, "is")) {
            m_inInline = true;
        } else if (sameName(local, "rPh")) {
            ++m_phonetic;
        } else if (sameName(local, "t")) {
            m_collect = m_inInline && m_phonetic == 0;
        } else if (sameName(local, "col")) {
            // A style given to every column at once is the sheet's default format.
            const char *min = attribute(attributes, "min"), *max = attribute(attributes, "max"), *style = attribute(attributes, "style");
            if (min && max && style && std::atoi(min) == 1 && std::atoi(max) == XlsxMaxColumns) {
                if (m_sheet) {
                    m_sheet->setDefaultXf(xfIndex(style));
                } else if (m_lastRow > 0) {
                    fault = QStringLiteral("the default format follows cells");
                } else {
                    m_visitor->defaultFormat(xfIndex(style));
                }
            }
        }
    }

    void endElement(const char *name) override
    {
        const char *local = localName(name);
        if (sameName(local, "c"))
            endCell();
        else if (sameName(local, "v") || sameName(local, "t"))
            m_collect = false;
        else if (sameName(local, "is"))
            m_inInline = false;
        else if (sameName(local, "rPh"))
            --m_phonetic;
    }

    void characters(const char *text, int length) override
    {
        if (m_collect)
            m_text.append(text, size_t(length));
    }

private:
    std::uint32_t xfIndex(const char *s) const
    {
        const long v = s ? std::atol(s) : 0;
        return v >= 0 && std::uint32_t(v) < m_xfCount ? std::uint32_t(v) : 0;
    }

    void startCell(const char **attributes)
    {
        const char *ref = attribute(attributes, "r");
        int row = m_row, column = m_column + 1;
        if (ref && !parseCellRef(ref, &row, &column)) {
            fault = QStringLiteral("the cell reference \"%1\" is not valid").arg(QString::fromUtf8(ref));
            return;
        }
        if (row < 1 || column > XlsxMaxColumns) {
            fault = QStringLiteral("a cell lies outside the sheet (row %1, column %2)").arg(row).arg(column);
            return;
        }
        if (ref && row != m_row && m_row > 0 && row < m_row) {
            fault = QStringLiteral("the cell %1 is out of row order").arg(QString::fromUtf8(ref));
            return;
        }
        m_row = std::max(m_row, row);
        m_cellRow = row;
        m_column = column;
        const char *t = attribute(attributes, "t");
        m_type = t ? t : "n";
        m_xf = xfIndex(attribute(attributes, "s"));
        m_text.clear();
        m_inCell = true;
    }

    void endCell()
    {
        m_inCell = false;
        Value value;
        auto where = [this] { return cellName(m_cellRow, m_column); };
        if (m_type == "s") {
            if (m_visitor) {
                fault = QStringLiteral("cell %1 refers to a shared string").arg(where());
                return;
            }
            if (!m_text.empty()) {
                unsigned long index = 0;
                auto [p, ec] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), index);
                if (ec != std::errc() || index >= m_strings.size()) {
                    fault = QStringLiteral("cell %1 refers to shared string %2, but the workbook has %3")
                                .arg(where(), QString::fromStdString(m_text), QString::number(m_strings.size()));
                    return;
                }
                value = Value(m_strings[index]);
            }
        } else if (m_type == "inlineStr" || m_type == "str") {
            value = Value(m_visitor ? textFromXml(m_text.data(), m_text.size())
                                    : m_texts.fromXml(m_text.data(), m_text.size()));
            if (auto counted = m_budget.addText(value.text().size()); !counted) {
                fault = counted.errorString();
                return;
            }
        } else if (m_type == "b") {
            value = Value::boolean(m_text == "1" || m_text == "true");
        } else if (m_type == "e") {
            CellError e = CellError::NA;
            errorFromText(QString::fromStdString(m_text), &e);
            value = Value::error(e);
        } else if (m_type == "d") {
            value = Value(QString::fromStdString(m_text));
        } else if (!m_text.empty()) {
            double number = 0;
            auto [p, ec] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), number);
            if (ec != std::errc() || p != m_text.data() + m_text.size()) {
                fault = QStringLiteral("cell %1 should hold a number but holds \"%2\"").arg(where(), QString::fromStdString(m_text).left(40));
                return;
            }
            value = Value(number);
        }
        if (auto counted = m_budget.addCells(1); !counted) {
            fault = counted.errorString();
            return;
        }
        if (m_sheet) {
            m_sheet->data().set(m_cellRow, m_column, std::move(value), m_xf);
            return;
        }
        visitCell(value);
    }

    void visitCell(const Value &value)
    {
        // A cell given twice, or before one it follows, replaces or sorts in a sheet.
        if (m_cellRow < m_lastRow || (m_cellRow == m_lastRow && m_column <= m_lastColumn)) {
            fault = QStringLiteral("cell %1 is out of order").arg(cellName(m_cellRow, m_column));
            return;
        }
        m_lastRow = m_cellRow;
        m_lastColumn = m_column;
        m_visitor->cell(m_cellRow, m_column, value, m_xf);
    }

    Worksheet *m_sheet = nullptr;
    CellVisitor *m_visitor = nullptr;
    int m_lastRow = 0, m_lastColumn = 0;
    const std::vector<QString> &m_strings;
    std::uint32_t m_xfCount;
    ReadBudget &m_budget;
    TextArena m_texts;
    int m_row = 0, m_column = 0, m_cellRow = 0;
    std::uint32_t m_xf = 0;
    std::string m_type, m_text;
    bool m_inCell = false, m_collect = false, m_inInline = false;
    int m_phonetic = 0;
};

// Cell formats in file order; an xf's alignment is a child element.
qm::Status readCellFormats(ZipReader &zip, const QString &part, CellFormatTable &formats)
{
    auto bytes = zip.readAll(part);
    if (!bytes)
        return bytes.error();
    struct Handler : XmlParser::Handler {
        CellFormatTable *table;
        bool inCellXfs = false, inXf = false;
        void startElement(const char *name, const char **attributes) override
        {
            const char *local = localName(name);
            if (sameName(local, "cellXfs")) {
                inCellXfs = true;
            } else if ((sameName(local, "numFmt") || sameName(local, "xf")) && ++elements > maxFormats) {
                fault = pastLimit(QStringLiteral("cell formats"), maxFormats);
            } else if (sameName(local, "numFmt")) {
                const char *id = attribute(attributes, "numFmtId");
                const char *code = attribute(attributes, "formatCode");
                if (id && code)
                    table->numFmts[QByteArray(id).toInt()] = QString::fromUtf8(code);
            } else if (sameName(local, "xf") && inCellXfs) {
                current = CellFormat{};
                if (const char *id = attribute(attributes, "numFmtId"))
                    current.numFmtId = QByteArray(id).toInt();
                const QByteArray prefix = attribute(attributes, "quotePrefix");
                current.quotePrefix = prefix == "1" || prefix == "true";
                inXf = true;
            } else if (sameName(local, "alignment") && inXf) {
                current.alignLeft = QByteArray(attribute(attributes, "horizontal")) == "left";
            }
        }
        void endElement(const char *name) override
        {
            const char *local = localName(name);
            if (sameName(local, "cellXfs")) {
                inCellXfs = false;
            } else if (sameName(local, "xf") && inXf) {
                table->append(current);
                inXf = false;
            }
        }
        CellFormat current;
        qint64 elements = 0, maxFormats = 0;
    } handler;
    handler.table = &formats;
    handler.maxFormats = ReadLimits::forFile(zip.archiveSize()).cellFormats;
    formats.clear();
    XmlParser parser(handler, part);
    auto parsed = parser.parse(bytes.value());
    if (!parsed)
        return parsed;
    if (formats.size() == 0)
        formats.append({});
    formats.fileCount = formats.size();
    return {};
}

// The sheets of one .xlsx file, read one at a time as they are asked for;
// the shared strings once, with the first of them.
class XlsxSheets : public SheetSource {
public:
    XlsxSheets(Workbook &book, ZipReader zip, const QString &path, const QString &stringsPart)
        : m_book(book), m_zip(std::move(zip)), m_path(path), m_stringsPart(stringsPart),
          m_budget(ReadLimits::forFile(m_zip.archiveSize())) {}

    qm::Status load(Worksheet &sheet) override
    {
        auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(m_path, why)); };
        if (!m_stringsRead) {
            m_stringsRead = true;
            m_stringsStatus = readStrings();
        }
        if (!m_stringsStatus)
            return fail(m_stringsStatus.errorString());
        SheetHandler handler(sheet, m_strings, m_book.formats().size(), m_budget);
        XmlParser parser(handler, sheet.sourcePart, XmlParser::Engine::Scanner);
        auto read = m_zip.read(sheet.sourcePart, [&](const char *p, size_t n) { return parser.feed(p, n, false); });
        if (read)
            read = parser.feed("", 0, true);
        if (!read)
            return fail(QStringLiteral("sheet \"%1\": %2").arg(sheet.Name(), read.errorString()));
        return {};
    }

    bool visit(const Worksheet &sheet, CellVisitor &visitor) override
    {
        // The budget as loading the sheet would find it; this read takes nothing from it.
        ReadBudget budget = m_budget;
        static const std::vector<QString> noStrings;
        SheetHandler handler(visitor, noStrings, m_book.formats().size(), budget);
        XmlParser parser(handler, sheet.sourcePart, XmlParser::Engine::Scanner);
        const qint64 inflatedBefore = m_zip.inflated();
        auto read = m_zip.read(sheet.sourcePart, [&](const char *p, size_t n) { return parser.feed(p, n, false); });
        if (read)
            read = parser.feed("", 0, true);
        if (!read)
            m_zip.giveBackInflated(inflatedBefore); // the sheet is loaded instead, within the same bound
        return bool(read);
    }

private:
    qm::Status readStrings()
    {
        if (m_stringsPart.isEmpty())
            return {};
        SharedStringsHandler handler(m_budget);
        XmlParser parser(handler, m_stringsPart, XmlParser::Engine::Scanner);
        auto read = m_zip.read(m_stringsPart, [&](const char *p, size_t n) { return parser.feed(p, n, false); });
        if (read)
            read = parser.feed("", 0, true);
        if (!read)
            return read;
        m_strings = std::move(handler.strings);
        return {};
    }

    Workbook &m_book;
    ZipReader m_zip;
    QString m_path, m_stringsPart;
    ReadBudget m_budget;
    bool m_stringsRead = false;
    qm::Status m_stringsStatus;
    std::vector<QString> m_strings;
};

// The sheet list of the package: each worksheet named, none read.
qm::Status listSheets(Workbook &book, ZipReader &zip, const PackageInfo &info, const QString &path, bool relink)
{
    auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(path, why)); };
    for (int i = 0; i < info.sheets.size(); ++i) {
        const SheetEntry &entry = info.sheets[i];
        const Relationship *rel = info.rel(entry.relId);
        if (relink) {
            Worksheet *sheet = book.Worksheets().find(entry.name);
            if (!sheet || !rel)
                continue;
            sheet->sourcePart = zip.locate(rel->part);
            sheet->sourceRelId = entry.relId;
            sheet->sourceName = entry.name;
            sheet->sourceIndex = i;
            continue;
        }
        if (!rel)
            return fail(QStringLiteral("the sheet \"%1\" names the relationship \"%2\", which the workbook does not have").arg(entry.name, entry.relId));
        if (!relTypeIs(rel->type, "worksheet"))
            continue; // chart and dialog sheets are kept in the file but are not worksheets
        const QString part = zip.locate(rel->part);
        if (part.isEmpty())
            return fail(QStringLiteral("the sheet \"%1\" is missing (no part %2)").arg(entry.name, rel->part));
        if (book.Worksheets().find(entry.name))
            return fail(QStringLiteral("two sheets are named \"%1\"").arg(entry.name));
        // Two sheets on one part would be written as one: a change of either would change both.
        for (int other = 1; other <= book.Worksheets().Count(); ++other) {
            const Worksheet *sheet = book.Worksheets().at(other);
            if (sheet->sourcePart == part)
                return fail(QStringLiteral("the sheets \"%1\" and \"%2\" are both the part %3").arg(sheet->sourceName, entry.name, part));
        }
        Worksheet &sheet = book.Worksheets().append(entry.name);
        sheet.sourcePart = part;
        sheet.sourceRelId = entry.relId;
        sheet.sourceName = entry.name;
        sheet.sourceIndex = i;
        sheet.setLoaded(false);
    }
    return {};
}

// Reads the package structure from book.sourceBytes and makes its sheets
// readable from there.
qm::Status openPackage(Workbook &book, const QString &path, bool relink)
{
    auto fail = [&](const QString &why) { return qm::makeError(QStringLiteral("%1: %2").arg(path, why)); };
    book.setSheetSource(nullptr);
    auto zip = ZipReader::open(book.sourceBytes);
    if (!zip)
        return fail(zip.errorString());
    auto info = readPackageInfo(zip.value());
    if (!info)
        return fail(info.errorString());
    if (!relink) {
        book.date1904 = info->date1904;
        if (const Relationship *styles = info->relOfType("styles"); styles && !zip->locate(styles->part).isEmpty()) {
            if (auto read = readCellFormats(zip.value(), zip->locate(styles->part), book.formats()); !read)
                return fail(read.errorString());
        }
    }
    if (auto listed = listSheets(book, zip.value(), info.value(), path, relink); !listed)
        return listed;
    QString strings;
    if (const Relationship *sst = info->relOfType("sharedStrings"))
        strings = zip->locate(sst->part);
    book.setSheetSource(std::make_unique<XlsxSheets>(book, std::move(zip).value(), path, strings));
    return {};
}

} // namespace

qm::Status readXlsx(Workbook &book, const QByteArray &bytes, const QString &path)
{
    Q_ASSERT(bytes.constData() == book.sourceBytes.constData());
    Q_UNUSED(bytes);
    return openPackage(book, path, false);
}

qm::Status relinkXlsxSheets(Workbook &book)
{
    const qm::Status relinked = openPackage(book, book.FullName(), true);
    book.formats().fileCount = book.formats().size();
    return relinked;
}

} // namespace excel::backend
