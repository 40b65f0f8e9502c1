#include "exchange/CsvFormat.h"

#include "transfer/CellConversion.h"
#include "exchange/TextChecks.h"
#include "exchange/Utf8Writer.h"

#include <QFileInfo>

namespace exchange {

namespace {

bool needsGuard(const QString &text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case u'\'': case u'=': case u'+': case u'-': case u'@': return true;
    default: return false;
    }
}

// Any of the separators a reader may guess is quoted, not only the one in
// use: outside quotes only the real separator then occurs, and the guess
// cannot go wrong on a file written here.
bool needsQuotes(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (text.front() == u' ' || text.back() == u' ')
        return true;
    for (QChar c : text)
        if (c == u',' || c == u';' || c == u'\t' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

constexpr AsciiSet kQuote = asciiSet("\"");

} // namespace

QChar separatorForFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("tab") || suffix == QLatin1String("txt"))
        return u'\t';
    return u',';
}

qm::Status writeCsv(const Grid &grid, QChar separator, ByteSink &out)
{
    const int columns = grid.columnCount();
    out << "\xEF\xBB\xBF";
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        const auto &cells = grid.rows[r];
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                appendUtf8(out, QStringView(&separator, 1));
            if (size_t(c) >= cells.size())
                continue;
            const GridCell &cell = cells[size_t(c)];
            if (cell.kind == GridCell::Kind::Number) {
                appendNumber(out, cell.number);
                continue;
            }
            if (cell.kind != GridCell::Kind::Text || cell.text.isEmpty())
                continue;
            if (const qsizetype bad = unpairedSurrogateAt(cell.text); bad >= 0)
                return qm::makeError(QStringLiteral("cell %1: the text \"%2\" holds the unpaired surrogate U+%3, "
                                                    "which UTF-8 text cannot hold")
                                         .arg(ExcelTransfer::cellAddress(int(r) + 1, c + 1), cell.text.left(40))
                                         .arg(cell.text[bad].unicode(), 4, 16, QLatin1Char('0')));
            const bool guard = needsGuard(cell.text);
            const bool quoted = needsQuotes(cell.text);
            if (quoted)
                out << '"';
            if (guard)
                out << '\'';
            if (quoted) {
                appendUtf8(out, cell.text, kQuote, 2, [](char *at, char16_t) { return copyLiteral(at, "\"\""); });
                out << '"';
            } else {
                appendUtf8(out, cell.text);
            }
        }
        out << "\r\n";
    }
    return {};
}

} // namespace exchange
