#include "exchange/OdsFormat.h"

#include "excel/CellConversion.h"
#include "exchange/OdsZip.h"
#include "exchange/TextChecks.h"
#include "platform/excel/XmlParser.h"
#include "platform/excel/ZipArchive.h"

#include <cstring>

namespace exchange {

namespace {

const char kMimeType[] = "application/vnd.oasis.opendocument.spreadsheet";
const char kNamespaces[] =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"";

void appendEscaped(QString &out, QStringView text, bool attribute)
{
    // Runs of plain characters go in whole; only the ones to escape one by one.
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QStringView escaped;
        switch (text[i].unicode()) {
        case u'&': escaped = u"&amp;"; break;
        case u'<': escaped = u"&lt;"; break;
        case u'>': escaped = u"&gt;"; break;
        case u'\r': escaped = u"&#13;"; break;
        case u'"': escaped = u"&quot;"; break;
        case u'\n': escaped = u"&#10;"; break;
        case u'\t': escaped = u"&#9;"; break;
        default: continue;
        }
        if (!attribute && (text[i] == u'"' || text[i] == u'\n' || text[i] == u'\t'))
            continue;
        out += text.mid(plain, i - plain);
        out += escaped;
        plain = i + 1;
    }
    out += text.mid(plain);
}

// One paragraph with ODF's marks for what its whitespace rules would collapse.
void appendParagraph(QString &out, QStringView line)
{
    out += QStringLiteral("<text:p>");
    qsizetype i = 0;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c == u' ' && (i == 0 || line[i - 1] == u' ' || line[i - 1] == u'\t')) {
            qsizetype run = 0;
            while (i < line.size() && line[i] == u' ') {
                ++run;
                ++i;
            }
            out += run == 1 ? QStringLiteral("<text:s/>") : QStringLiteral("<text:s text:c=\"%1\"/>").arg(run);
            continue;
        }
        if (c == u'\t') {
            out += QStringLiteral("<text:tab/>");
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < line.size() && line[end] != u'\t' && !(line[end] == u' ' && line[end - 1] == u' '))
            ++end;
        appendEscaped(out, line.mid(i, end - i), false);
        i = end;
    }
    out += QStringLiteral("</text:p>");
}

void appendTextCell(QString &out, const QString &text)
{
    const bool carriageReturn = text.contains(u'\r');
    out += QStringLiteral("<table:table-cell office:value-type=\"string\"");
    QString shown = text;
    if (carriageReturn) {
        out += QStringLiteral(" office:string-value=\"");
        appendEscaped(out, text, true);
        out += u'"';
        shown.remove(u'\r');
    }
    out += u'>';
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = shown.indexOf(u'\n', start);
        appendParagraph(out, QStringView(shown).mid(start, (end < 0 ? shown.size() : end) - start));
        if (end < 0)
            break;
        start = end + 1;
    }
    out += QStringLiteral("</table:table-cell>");
}

QString numberText(double number)
{
    if (number == double(qint64(number)) && number > -1e15 && number < 1e15)
        return QString::number(qint64(number));
    return QString::number(number, 'g', 17);
}

qm::Result<QString> tableXml(const Grid &grid)
{
    // Room for the whole table at once: each cell's markup is under 100 units beside its text.
    qsizetype room = 256;
    for (const auto &cells : grid.rows) {
        room += 40;
        for (const GridCell &cell : cells)
            room += 100 + cell.text.size();
    }
    QString out;
    out.reserve(room);
    out += QLatin1String("<table:table") + QLatin1String(kNamespaces) + QLatin1String(" table:name=\"");
    appendEscaped(out, grid.name, true);
    out += QStringLiteral("\"><table:table-column table:number-columns-repeated=\"%1\"/>").arg(qMax(grid.columnCount(), 1));
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        out += QStringLiteral("<table:table-row>");
        const auto &cells = grid.rows[r];
        int empty = 0;
        for (size_t c = 0; c < cells.size(); ++c) {
            const GridCell &cell = cells[c];
            const bool hasText = cell.kind == GridCell::Kind::Text && !cell.text.isEmpty();
            if (cell.kind != GridCell::Kind::Number && !hasText) {
                ++empty;
                continue;
            }
            if (empty > 0) {
                out += empty == 1 ? QStringLiteral("<table:table-cell/>")
                                  : QStringLiteral("<table:table-cell table:number-columns-repeated=\"%1\"/>").arg(empty);
                empty = 0;
            }
            if (cell.kind == GridCell::Kind::Number) {
                const QString n = numberText(cell.number);
                out += QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"") + n
                    + QStringLiteral("\"><text:p>") + n + QStringLiteral("</text:p></table:table-cell>");
                continue;
            }
            if (const qsizetype bad = nonXmlCharacterAt(cell.text); bad >= 0)
                return qm::makeError(QStringLiteral("cell %1: the text \"%2\" holds %3, which an .ods file cannot hold")
                                         .arg(ExcelTransfer::cellAddress(int(r) + 1, int(c) + 1), excerptOf(cell.text),
                                              unitName(cell.text, bad)));
            appendTextCell(out, cell.text);
        }
        if (cells.empty())
            out += QStringLiteral("<table:table-cell/>");
        out += QStringLiteral("</table:table-row>");
    }
    if (grid.rows.empty())
        out += QLatin1String("<table:table-row><table:table-cell/></table:table-row>");
    out += QLatin1String("</table:table>");
    return out;
}

// Where the sheets of an existing content.xml stand, by byte offset.
class ContentLayout : public excel::backend::XmlParser::Handler {
public:
    struct Table {
        QString name;
        qint64 begin = 0, end = 0;
    };
    excel::backend::XmlParser *parser = nullptr;
    std::vector<Table> tables;
    qint64 spreadsheetEnd = -1;

    void startElement(const char *name, const char **attributes) override
    {
        ++m_depth;
        const char *local = excel::backend::localName(name);
        if (m_spreadsheetDepth == 0 && std::strcmp(local, "spreadsheet") == 0) {
            m_spreadsheetDepth = m_depth;
        } else if (m_spreadsheetDepth > 0 && m_depth == m_spreadsheetDepth + 1 && std::strcmp(local, "table") == 0) {
            Table table;
            const char *sheet = excel::backend::attribute(attributes, "name");
            table.name = QString::fromUtf8(sheet ? sheet : "");
            table.begin = parser->byteIndex();
            m_startCount = parser->byteCount();
            tables.push_back(table);
        }
    }
    void endElement(const char *) override
    {
        if (m_spreadsheetDepth > 0 && m_depth == m_spreadsheetDepth + 1 && !tables.empty() && tables.back().end == 0)
            tables.back().end = parser->byteCount() > 0 ? parser->byteIndex() + parser->byteCount()
                                                        : tables.back().begin + m_startCount;
        if (m_depth == m_spreadsheetDepth && m_spreadsheetDepth > 0) {
            if (parser->byteCount() > 0)
                spreadsheetEnd = parser->byteIndex();
            m_spreadsheetDepth = -1;
        }
        --m_depth;
    }

private:
    int m_depth = 0, m_spreadsheetDepth = 0;
    qint64 m_startCount = 0;
};

QByteArray newContent(const QByteArray &table)
{
    // Put together in one buffer: the table is most of a large file.
    const QByteArray head = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content") +
                            kNamespaces + " office:version=\"1.2\"><office:body><office:spreadsheet>";
    const char tail[] = "</office:spreadsheet></office:body></office:document-content>\n";
    QByteArray content;
    content.reserve(head.size() + table.size() + qsizetype(sizeof tail));
    content += head;
    content += table;
    content += tail;
    return content;
}

QByteArray newPackage(const QByteArray &content)
{
    OdsZipWriter zip;
    zip.add(QStringLiteral("mimetype"), QByteArray(kMimeType), true);
    zip.add(QStringLiteral("META-INF/manifest.xml"),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
                       "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">\n"
                       " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\"")
                + kMimeType
                + "\"/>\n <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
                  " <manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>\n"
                  "</manifest:manifest>\n");
    zip.add(QStringLiteral("styles.xml"),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles "
                       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" office:version=\"1.2\"/>\n"));
    zip.add(QStringLiteral("content.xml"), content);
    return zip.finish();
}

qm::Result<QByteArray> updatePackage(const QByteArray &existing, const QString &sheetName, const QByteArray &table)
{
    if (!existing.startsWith("PK\x03\x04"))
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (not a zip archive); it was not changed"));
    auto reader = excel::backend::ZipReader::open(existing);
    if (!reader)
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (its zip archive is broken); it was not changed"));
    auto mime = reader->readAll(QStringLiteral("mimetype"));
    if (!mime || mime->trimmed() != kMimeType)
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (its mimetype is not %1); it was not changed")
                                 .arg(QLatin1String(kMimeType)));
    auto content = reader->readAll(QStringLiteral("content.xml"));
    if (!content)
        return qm::makeError(content.errorString());
    ContentLayout layout;
    excel::backend::XmlParser parser(layout, QStringLiteral("content.xml"));
    layout.parser = &parser;
    if (auto parsed = parser.parse(content.value()); !parsed)
        return parsed.error();
    if (layout.spreadsheetEnd < 0)
        return qm::makeError(QStringLiteral("content.xml holds no spreadsheet body; the file was not changed"));
    QByteArray updated;
    const QByteArray &old = content.value();
    auto same = std::find_if(layout.tables.begin(), layout.tables.end(), [&](const ContentLayout::Table &t) {
        return t.name.compare(sheetName, Qt::CaseInsensitive) == 0;
    });
    if (same != layout.tables.end())
        updated = old.left(same->begin) + table + old.mid(same->end);
    else {
        const qint64 at = layout.tables.empty() ? layout.spreadsheetEnd : layout.tables.back().end;
        updated = old.left(at) + table + old.mid(at);
    }

    OdsZipWriter zip;
    zip.add(QStringLiteral("mimetype"), mime.value(), true);
    for (const QString &name : reader->names()) {
        if (name == QLatin1String("mimetype") || name.endsWith(u'/'))
            continue;
        if (name == QLatin1String("content.xml")) {
            zip.add(name, updated);
            continue;
        }
        auto member = reader->readAll(name);
        if (!member)
            return qm::makeError(member.errorString());
        zip.add(name, member.value());
    }
    return zip.finish();
}

} // namespace

qm::Result<QByteArray> writeOds(const Grid &grid, const QByteArray *existing)
{
    auto table = tableXml(grid);
    if (!table)
        return table.error();
    const QByteArray xml = table->toUtf8();
    if (existing)
        return updatePackage(*existing, grid.name, xml);
    return newPackage(newContent(xml));
}

} // namespace exchange
