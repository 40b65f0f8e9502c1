#include "exchange/OdsFormat.h"

#include "transfer/CellConversion.h"
#include "exchange/TextChecks.h"
#include "exchange/Utf8Writer.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/io/XmlParser.h"
#include "platform/excel/io/ZipArchive.h"

#include <cstring>

namespace exchange {

namespace {

const char kMimeType[] = "application/vnd.oasis.opendocument.spreadsheet";
const char kNamespaces[] =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"";

constexpr AsciiSet kTextEscaped = asciiSet("&<>\r");
constexpr AsciiSet kAttributeEscaped = asciiSet("&<>\r\"\n\t");

// Texts are checked for what XML cannot hold before they come here.
void appendEscaped(ByteSink &out, QStringView text, bool attribute)
{
    appendUtf8(out, text, attribute ? kAttributeEscaped : kTextEscaped, 6, escapeXmlOrReplace);
}

// One paragraph with ODF's marks for what its whitespace rules would collapse.
void appendParagraph(ByteSink &out, QStringView line)
{
    out << "<text:p>";
    qsizetype i = 0;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c == u' ' && (i == 0 || line[i - 1] == u' ' || line[i - 1] == u'\t')) {
            qsizetype run = 0;
            while (i < line.size() && line[i] == u' ') {
                ++run;
                ++i;
            }
            if (run == 1) {
                out << "<text:s/>";
            } else {
                out << "<text:s text:c=\"";
                out.appendInt(run);
                out << "\"/>";
            }
            continue;
        }
        if (c == u'\t') {
            out << "<text:tab/>";
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < line.size() && line[end] != u'\t' && !(line[end] == u' ' && line[end - 1] == u' '))
            ++end;
        appendEscaped(out, line.mid(i, end - i), false);
        i = end;
    }
    out << "</text:p>";
}

void appendTextCell(ByteSink &out, const QString &text)
{
    out << "<table:table-cell office:value-type=\"string\"";
    QString shown = text;
    if (text.contains(u'\r')) {
        out << " office:string-value=\"";
        appendEscaped(out, text, true);
        out << '"';
        shown.remove(u'\r');
    }
    out << '>';
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = shown.indexOf(u'\n', start);
        appendParagraph(out, QStringView(shown).mid(start, (end < 0 ? shown.size() : end) - start));
        if (end < 0)
            break;
        start = end + 1;
    }
    out << "</table:table-cell>";
}

// The table's markup, after what `out` holds already.
qm::Status appendTable(ByteSink &out, const Grid &grid)
{
    out << "<table:table" << kNamespaces << " table:name=\"";
    appendEscaped(out, grid.name, true);
    out << "\"><table:table-column table:number-columns-repeated=\"";
    out.appendInt(qMax(grid.columnCount(), 1));
    out << "\"/>";
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        out << "<table:table-row>";
        const auto &cells = grid.rows[r];
        int empty = 0;
        for (size_t c = 0; c < cells.size(); ++c) {
            const GridCell &cell = cells[c];
            const bool hasText = cell.kind == GridCell::Kind::Text && !cell.text.isEmpty();
            if (cell.kind != GridCell::Kind::Number && !hasText) {
                ++empty;
                continue;
            }
            if (empty == 1) {
                out << "<table:table-cell/>";
            } else if (empty > 1) {
                out << "<table:table-cell table:number-columns-repeated=\"";
                out.appendInt(empty);
                out << "\"/>";
            }
            empty = 0;
            if (cell.kind == GridCell::Kind::Number) {
                out << "<table:table-cell office:value-type=\"float\" office:value=\"";
                appendNumber(out, cell.number);
                out << "\"><text:p>";
                appendNumber(out, cell.number);
                out << "</text:p></table:table-cell>";
                continue;
            }
            if (const qsizetype bad = nonXmlCharacterAt(cell.text); bad >= 0)
                return qm::makeError(QStringLiteral("cell %1: the text \"%2\" holds %3, which an .ods file cannot hold")
                                         .arg(ExcelTransfer::cellAddress(int(r) + 1, int(c) + 1), excerptOf(cell.text),
                                              unitName(cell.text, bad)));
            appendTextCell(out, cell.text);
        }
        if (cells.empty())
            out << "<table:table-cell/>";
        out << "</table:table-row>";
    }
    if (grid.rows.empty())
        out << "<table:table-row><table:table-cell/></table:table-row>";
    out << "</table:table>";
    return {};
}

// Room for the whole table at once: each cell's markup is under 100 bytes beside its text.
qsizetype roomFor(const Grid &grid)
{
    qsizetype room = 1024 + grid.name.size() * 6;
    for (const auto &cells : grid.rows) {
        room += 40;
        for (const GridCell &cell : cells)
            room += 100 + cell.text.size() * 3;
    }
    return room;
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

constexpr qsizetype kPiece = qsizetype(1) << 20;
const char kContentHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content";
const char kContentBody[] = " office:version=\"1.2\"><office:body><office:spreadsheet>";
const char kContentTail[] = "</office:spreadsheet></office:body></office:document-content>\n";

qm::Result<QByteArray> newPackage(excel::backend::DeflateStream &content)
{
    auto zip = excel::backend::ZipWriter::create().value();
    const QByteArray manifest =
        QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
                   "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">\n"
                   " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\"")
        + kMimeType
        + "\"/>\n <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
          " <manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>\n"
          "</manifest:manifest>\n";
    const QByteArray styles("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles "
                            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" office:version=\"1.2\"/>\n");
    // A new archive takes every member: only finish() can refuse.
    (void)zip.putStored(QStringLiteral("mimetype"), QByteArray(kMimeType));
    (void)zip.put(QStringLiteral("META-INF/manifest.xml"), manifest);
    (void)zip.put(QStringLiteral("styles.xml"), styles);
    (void)zip.putDeflated(QStringLiteral("content.xml"), content.takeStream(), content.size(), content.crc());
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

    auto zip = excel::backend::ZipWriter::create().value();
    (void)zip.putStored(QStringLiteral("mimetype"), mime.value());
    for (const QString &name : reader->names()) {
        if (name == QLatin1String("mimetype") || name.endsWith(u'/'))
            continue;
        if (name == QLatin1String("content.xml")) {
            (void)zip.put(name, updated);
            continue;
        }
        auto member = reader->readAll(name);
        if (!member)
            return qm::makeError(member.errorString());
        (void)zip.put(name, member.value());
    }
    return zip.finish();
}

} // namespace

qm::Result<QByteArray> writeOds(const Grid &grid, const QByteArray *existing)
{
    if (existing) {
        ByteSink table(roomFor(grid));
        if (auto ok = appendTable(table, grid); !ok)
            return ok.error();
        return updatePackage(*existing, grid.name, table.take());
    }
    // A new file's content is deflated while it is written: only the
    // compressed part is ever held.
    excel::backend::DeflateStream content;
    ByteSink out(kPiece);
    out.setDrain([&](const char *data, size_t size) { content.write(data, size); });
    out << kContentHead << kNamespaces << kContentBody;
    if (auto ok = appendTable(out, grid); !ok)
        return ok.error();
    out << kContentTail;
    out.flush();
    if (!content.finish())
        return qm::makeError(QStringLiteral("there was not enough memory to compress the sheet"));
    if (content.size() > 0xFFFFFFFFu)
        return qm::makeError(QStringLiteral("the sheet is too large for an .ods file (more than 4 GB)"));
    return newPackage(content);
}

} // namespace exchange
