#include "editor/TabularText.h"

namespace {
bool isLineBreak(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

QString quoted(const QString &cell)
{
    const bool needsQuotes = cell.contains(QLatin1Char('\t')) || cell.contains(QLatin1Char('\n'))
                             || cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('"'));
    if (!needsQuotes)
        return cell;
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Reads a quoted cell starting at `at` (on its opening quote). False when the
// quote never closes; otherwise `at` ends after the cell, on its separator.
bool readQuoted(const QString &text, qsizetype &at, QString &cell)
{
    qsizetype i = at + 1;
    QString value;
    while (i < text.size()) {
        if (text[i] == QLatin1Char('"')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                value += QLatin1Char('"');
                i += 2;
                continue;
            }
            ++i;
            // Whatever follows the closing quote up to the separator belongs to the cell.
            while (i < text.size() && text[i] != QLatin1Char('\t') && !isLineBreak(text[i]))
                value += text[i++];
            cell = value;
            at = i;
            return true;
        }
        value += text[i++];
    }
    return false;
}
} // namespace

QString ToTabularText(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column) {
            if (column > 0)
                text += QLatin1Char('\t');
            text += quoted(row[column]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QList<QStringList> FromTabularText(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    qsizetype at = 0;
    while (at < text.size()) {
        QString cell;
        if (text[at] != QLatin1Char('"') || !readQuoted(text, at, cell)) {
            const qsizetype start = at;
            while (at < text.size() && text[at] != QLatin1Char('\t') && !isLineBreak(text[at]))
                ++at;
            cell = text.mid(start, at - start);
        }
        row.append(cell);
        if (at >= text.size())
            break;
        if (text[at] == QLatin1Char('\t')) {
            ++at;
            if (at == text.size())
                row.append(QString());  // a tab at the very end: an empty last cell
            continue;
        }
        // A line break (\r\n, \n or \r) ends the row.
        at += (text[at] == QLatin1Char('\r') && at + 1 < text.size() && text[at + 1] == QLatin1Char('\n')) ? 2 : 1;
        rows.append(row);
        row.clear();
    }
    if (!row.isEmpty())
        rows.append(row);
    return rows;
}
