#include "exchange/OdsFormat.h"

#include "platform/excel/io/ReadBudget.h"
#include "platform/excel/io/TextArena.h"
#include "platform/excel/io/XmlParser.h"
#include "platform/excel/io/ZipArchive.h"

#include <QStringDecoder>

#include <cstring>
#include <optional>
#include <string>

namespace exchange {

namespace {

using excel::backend::attribute;
using excel::backend::localName;

constexpr qint64 kMaxRows = MaxGridRows;
constexpr qint64 kMaxColumns = MaxGridColumns;

// Appends well-formed UTF-8 without a temporary string for plain ASCII.
void appendUtf8(QString &out, const char *data, int length)
{
    const qsizetype start = out.size();
    out.resize(start + length); // UTF-8 never has fewer bytes than UTF-16 units
    char16_t *at = reinterpret_cast<char16_t *>(out.data()) + start;
    int i = 0;
    while (i < length && uchar(data[i]) < 0x80)
        *at++ = char16_t(data[i++]);
    if (i < length) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        at = reinterpret_cast<char16_t *>(
            decoder.appendToBuffer(reinterpret_cast<QChar *>(at), QByteArrayView(data + i, length - i)));
    }
    out.truncate(at - reinterpret_cast<const char16_t *>(out.constData()));
}

qint64 repeats(const char **attributes, const char *name)
{
    const char *value = attribute(attributes, name);
    if (!value)
        return 1;
    bool ok = false;
    const qint64 n = QByteArray(value).toLongLong(&ok);
    return ok && n > 0 ? n : 1;
}

// Reads one sheet of content.xml (or only the sheet names).
class ContentHandler : public excel::backend::XmlParser::Handler {
public:
    QString wanted;       // empty: the first sheet
    bool namesOnly = false;
    qint64 maxCells = MaxStoredGridCells;
    QStringList names;
    Grid grid;
    bool found = false;

    void startElement(const char *name, const char **attributes) override
    {
        ++m_depth;
        const char *local = localName(name);
        if (m_skipDepth > 0)
            return;
        if (m_tableDepth == 0) {
            if (std::strcmp(local, "table") == 0) {
                const char *sheet = attribute(attributes, "name");
                const QString sheetName = QString::fromUtf8(sheet ? sheet : "");
                names << sheetName;
                if (!namesOnly && !found && (wanted.isEmpty() || sheetName.compare(wanted, Qt::CaseInsensitive) == 0)) {
                    found = true;
                    m_tableDepth = m_depth;
                    grid.name = sheetName;
                }
            }
            return;
        }
        if (m_cell) {
            if (std::strcmp(local, "annotation") == 0 || std::strcmp(local, "note") == 0) {
                m_skipDepth = m_depth;
            } else if (m_paragraphDepth == 0 && (std::strcmp(local, "p") == 0 || std::strcmp(local, "h") == 0)) {
                if (m_paragraphs++ > 0)
                    m_text += u'\n';
                m_paragraphDepth = m_depth;
                m_lastSpace = true; // leading whitespace of a paragraph goes
            } else if (std::strcmp(local, "s") == 0) {
                const qint64 n = repeats(attributes, "c");
                if (n > 0xFFFF)
                    fault = QStringLiteral("a text:s element claims %1 spaces").arg(n);
                else
                    m_text += QString(qsizetype(n), u' ');
                m_lastSpace = false;
            } else if (std::strcmp(local, "tab") == 0) {
                m_text += u'\t';
                m_lastSpace = false;
            } else if (std::strcmp(local, "line-break") == 0) {
                m_text += u'\n';
                m_lastSpace = false;
            } else if (std::strcmp(local, "table") == 0) {
                m_skipDepth = m_depth; // a table inside a cell
            }
            return;
        }
        if (std::strcmp(local, "table") == 0) {
            m_skipDepth = m_depth;
        } else if (std::strcmp(local, "table-row") == 0) {
            m_rowRepeats = repeats(attributes, "number-rows-repeated");
            m_column = 0;
            m_rowCells.clear();
        } else if (std::strcmp(local, "table-cell") == 0 || std::strcmp(local, "covered-table-cell") == 0) {
            m_cell = true;
            m_cellRepeats = repeats(attributes, "number-columns-repeated");
            // The buffers keep their room from cell to cell.
            m_text.truncate(0);
            m_paragraphs = 0;
            const char *type = attribute(attributes, "value-type");
            m_type.assign(type ? type : "");
            const char *value = attribute(attributes, "value");
            m_value.assign(value ? value : "");
            const char *stringValue = attribute(attributes, "string-value");
            m_stringValue = stringValue ? std::optional<QString>(QString::fromUtf8(stringValue)) : std::nullopt;
        }
    }

    void endElement(const char *name) override
    {
        const char *local = localName(name);
        if (m_skipDepth > 0) {
            if (m_depth == m_skipDepth)
                m_skipDepth = 0;
            --m_depth;
            return;
        }
        if (m_paragraphDepth == m_depth)
            m_paragraphDepth = 0;
        if (m_tableDepth > 0 && m_depth == m_tableDepth) {
            m_tableDepth = -1; // the sheet is read; later ones only give names
        } else if (m_tableDepth > 0 && m_cell && (std::strcmp(local, "table-cell") == 0 || std::strcmp(local, "covered-table-cell") == 0)) {
            m_cell = false;
            endCell();
        } else if (m_tableDepth > 0 && !m_cell && std::strcmp(local, "table-row") == 0) {
            endRow();
        }
        --m_depth;
    }

    void characters(const char *data, int length) override
    {
        if (!m_cell || m_skipDepth > 0 || m_paragraphDepth == 0)
            return;
        // ODF's whitespace rule: a run of spaces, tabs and line ends is one
        // space. Runs of other bytes are decoded whole (the parser has
        // checked the UTF-8, and no whitespace byte occurs inside a sequence).
        const auto isWhite = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
        for (int i = 0; i < length;) {
            if (isWhite(data[i])) {
                if (!m_lastSpace)
                    m_text += u' ';
                m_lastSpace = true;
                ++i;
                continue;
            }
            int end = i + 1;
            while (end < length && !isWhite(data[end]))
                ++end;
            appendUtf8(m_text, data + i, end - i);
            m_lastSpace = false;
            i = end;
        }
    }

private:
    void endCell()
    {
        GridCell cell;
        // Texts go into the arena: a sheet's cells take no allocation each.
        if (m_type == "float") {
            bool ok = false;
            const double n = QByteArray::fromRawData(m_value.data(), qsizetype(m_value.size())).toDouble(&ok);
            cell = ok ? GridCell::ofNumber(n) : GridCell::ofText(m_arena.copy(m_text));
        } else if (m_type == "string" && m_stringValue) {
            QString plain = *m_stringValue;
            plain.remove(u'\r');
            // Our own exact text, unless a program changed the paragraphs since.
            cell = GridCell::ofText(plain == m_text || m_paragraphs == 0 ? *m_stringValue : m_arena.copy(m_text));
        } else if (!m_text.isEmpty()) {
            cell = GridCell::ofText(m_arena.copy(m_text));
        }
        const bool content = cell.kind != GridCell::Kind::Empty;
        if (content) {
            if (m_column + m_cellRepeats > kMaxColumns) {
                fault = QStringLiteral("a row has a cell beyond column %1").arg(kMaxColumns);
                return;
            }
            m_rowCells.resize(size_t(m_column + m_cellRepeats));
            for (qint64 i = 0; i < m_cellRepeats; ++i)
                m_rowCells[size_t(m_column + i)] = cell;
        }
        m_column += m_cellRepeats;
    }

    void endRow()
    {
        if (m_rowCells.empty()) {
            m_row += m_rowRepeats;
            return;
        }
        if (m_row + m_rowRepeats > kMaxRows) {
            fault = QStringLiteral("the sheet has a row beyond row %1").arg(kMaxRows);
            return;
        }
        m_cells += qint64(m_rowCells.size()) * m_rowRepeats;
        if (m_cells > maxCells) {
            fault = QStringLiteral("the sheet holds more than %1 cells, the most one file may hold to be read").arg(maxCells);
            return;
        }
        grid.rows.resize(size_t(m_row));
        for (qint64 i = 0; i < m_rowRepeats; ++i)
            grid.rows.push_back(m_rowCells);
        m_row += m_rowRepeats;
        m_rowCells.clear();
    }

    int m_depth = 0, m_tableDepth = 0, m_skipDepth = 0;
    bool m_cell = false, m_lastSpace = false;
    int m_paragraphs = 0, m_paragraphDepth = 0;
    qint64 m_row = 0, m_column = 0, m_rowRepeats = 1, m_cellRepeats = 1, m_cells = 0;
    std::vector<GridCell> m_rowCells;
    QString m_text;
    std::string m_type, m_value;
    excel::backend::TextArena m_arena;
    std::optional<QString> m_stringValue;
};

qm::Status readContent(const QByteArray &bytes, ContentHandler &handler)
{
    if (!bytes.startsWith("PK\x03\x04"))
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (not a zip archive)"));
    auto reader = excel::backend::ZipReader::open(bytes);
    if (!reader && reader.errorString().startsWith(QLatin1String("the package")))
        return reader.error();
    if (!reader)
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (its zip archive is broken)"));
    auto mime = reader->readAll(QStringLiteral("mimetype"));
    if (!mime || mime->trimmed() != "application/vnd.oasis.opendocument.spreadsheet")
        return qm::makeError(QStringLiteral("is not an OpenDocument spreadsheet (its mimetype names another kind of document)"));
    excel::backend::XmlParser parser(handler, QStringLiteral("content.xml"), excel::backend::XmlParser::Engine::Scanner);
    qm::Status read = reader->read(QStringLiteral("content.xml"), [&](const char *data, size_t size) {
        return parser.feed(data, size, false);
    });
    if (!read)
        return read;
    static const char end = 0;
    return parser.feed(&end, 0, true);
}

} // namespace

qm::Result<Grid> readOds(const QByteArray &bytes, const QString &path, const QString &sheetName)
{
    (void)path;
    ContentHandler handler;
    handler.wanted = sheetName;
    handler.maxCells = excel::backend::ReadLimits::forFile(bytes.size()).cells;
    if (auto read = readContent(bytes, handler); !read)
        return read.error();
    if (!handler.found)
        return qm::makeError(sheetName.isEmpty() ? QStringLiteral("the spreadsheet has no sheet")
                                                 : QStringLiteral("the spreadsheet has no sheet \"%1\" (it has: %2)")
                                                       .arg(sheetName, handler.names.join(QStringLiteral(", "))));
    return std::move(handler.grid);
}

qm::Result<QStringList> readOdsSheetNames(const QByteArray &bytes, const QString &path)
{
    (void)path;
    ContentHandler handler;
    handler.namesOnly = true;
    if (auto read = readContent(bytes, handler); !read)
        return read.error();
    return handler.names;
}

} // namespace exchange
