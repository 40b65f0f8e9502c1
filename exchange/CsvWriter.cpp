#include "exchange/CsvFormat.h"

#include "excel/CellConversion.h"
#include "exchange/TextChecks.h"

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

bool needsQuotes(const QString &text, QChar separator)
{
    if (text.isEmpty())
        return false;
    if (text.front() == u' ' || text.back() == u' ')
        return true;
    for (QChar c : text)
        if (c == separator || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

QString numberText(double number)
{
    if (number == double(qint64(number)) && number > -1e15 && number < 1e15)
        return QString::number(qint64(number));
    return QString::number(number, 'g', 17);
}

} // namespace

QChar separatorForFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("tab") || suffix == QLatin1String("txt"))
        return u'\t';
    return u',';
}

qm::Result<QByteArray> writeCsv(const Grid &grid, QChar separator)
{
    const int columns = grid.columnCount();
    QString out;
    out.reserve(qsizetype(grid.rows.size()) * columns * 16);
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        const auto &cells = grid.rows[r];
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out += separator;
            if (size_t(c) >= cells.size())
                continue;
            const GridCell &cell = cells[size_t(c)];
            if (cell.kind == GridCell::Kind::Number) {
                out += numberText(cell.number);
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
            if (needsQuotes(cell.text, separator)) {
                out += u'"';
                if (guard)
                    out += u'\'';
                QString quoted = cell.text;
                out += quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
                out += u'"';
            } else {
                if (guard)
                    out += u'\'';
                out += cell.text;
            }
        }
        out += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace exchange
