#include "exchange/CsvFormat.h"

#include <QStringDecoder>

#include <algorithm>

namespace exchange {

namespace {

// The offset of the first byte that is not part of valid UTF-8, or -1.
qsizetype invalidUtf8(const QByteArray &bytes, qsizetype from)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = from; i < size;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t c = 0, least = 0;
        if ((b & 0xE0) == 0xC0) { length = 2; c = b & 0x1F; least = 0x80; }
        else if ((b & 0xF0) == 0xE0) { length = 3; c = b & 0x0F; least = 0x800; }
        else if ((b & 0xF8) == 0xF0) { length = 4; c = b & 0x07; least = 0x10000; }
        else return i;
        if (i + length > size)
            return i;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

qm::Result<QString> decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        if (bytes.size() % 2 != 0)
            return qm::makeError(QStringLiteral("the UTF-16 text has an odd number of bytes (%1)").arg(bytes.size()));
        const bool little = bytes.startsWith("\xFF\xFE");
        QString text(bytes.size() / 2 - 1, Qt::Uninitialized);
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData()) + 2;
        for (qsizetype i = 0; i < text.size(); ++i, p += 2)
            text[i] = QChar(little ? char16_t(p[0] | (p[1] << 8)) : char16_t((p[0] << 8) | p[1]));
        return text;
    }
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (const qsizetype bad = invalidUtf8(bytes, start); bad >= 0)
        return qm::makeError(QStringLiteral("is not UTF-8 text: the byte at offset %1 (0x%2) is not valid UTF-8; "
                                            "save the file as UTF-8 or UTF-16 with a byte order mark")
                                 .arg(bad)
                                 .arg(uchar(bytes[bad]), 2, 16, QLatin1Char('0')));
    // After the file's own byte order mark, another one is the first cell's first character.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return QString(utf8(QByteArrayView(bytes).sliced(start)));
}

struct Parser {
    const QString &text;
    QChar separator;
    qsizetype pos = 0;
    int line = 1;

    bool atEnd() const { return pos >= text.size(); }

    // One record's fields; `error` set on a broken record.
    std::vector<QString> record(QString *error)
    {
        std::vector<QString> fields;
        const int startLine = line;
        for (;;) {
            if (fields.size() >= size_t(MaxCsvFields)) {
                *error = QStringLiteral("line %1 has more than %2 fields, more than a table of string IDs and "
                                        "every locale has columns")
                             .arg(QString::number(startLine), QString::number(MaxCsvFields));
                return fields;
            }
            QString field;
            if (!atEnd() && text[pos] == u'"') {
                ++pos;
                for (;;) {
                    if (atEnd()) {
                        *error = QStringLiteral("line %1: the quoted field that starts there is not closed").arg(startLine);
                        return fields;
                    }
                    const QChar c = text[pos++];
                    if (c == u'"') {
                        if (!atEnd() && text[pos] == u'"') {
                            field += u'"';
                            ++pos;
                            continue;
                        }
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && (atEnd() || text[pos] != u'\n')))
                        ++line;
                    field += c;
                }
                if (!atEnd() && text[pos] != separator && text[pos] != u'\r' && text[pos] != u'\n') {
                    *error = QStringLiteral("line %1, field %2: text follows the closing quote of a quoted field")
                                 .arg(line).arg(fields.size() + 1);
                    return fields;
                }
            } else {
                const qsizetype begin = pos;
                while (!atEnd() && text[pos] != separator && text[pos] != u'\r' && text[pos] != u'\n') {
                    if (text[pos] == u'"') {
                        *error = QStringLiteral("line %1, field %2: a quote inside a field that does not start "
                                                "with one (such a field must be quoted, its quotes doubled)")
                                     .arg(line).arg(fields.size() + 1);
                        return fields;
                    }
                    ++pos;
                }
                field = text.mid(begin, pos - begin);
            }
            fields.push_back(std::move(field));
            if (atEnd())
                return fields;
            const QChar c = text[pos++];
            if (c == separator)
                continue;
            if (c == u'\r' && !atEnd() && text[pos] == u'\n')
                ++pos;
            ++line;
            return fields;
        }
    }
};

// The separator of comma, semicolon and tab that splits the file into a
// table: its first record has at least two fields, its first records read
// without a fault, and most of them have as many fields as the first. Rows
// of other lengths do not rule a separator out: a short row is a row with
// empty cells at its end. None fits: a comma, and the read says why.
QChar detectSeparator(const QString &text)
{
    static const QChar candidates[] = {u',', u';', u'\t'};
    constexpr int kSampled = 64;
    QChar best = u',';
    int bestAgreeing = 0;
    size_t bestFields = 0;
    for (QChar candidate : candidates) {
        Parser parser{text, candidate};
        size_t first = 0;
        int agreeing = 0;
        bool broken = false;
        for (int r = 0; r < kSampled && !parser.atEnd(); ++r) {
            QString error;
            const size_t n = parser.record(&error).size();
            if (!error.isEmpty()) {
                broken = true;
                break;
            }
            if (r == 0)
                first = n;
            if (n == first)
                ++agreeing;
        }
        if (broken || first < 2)
            continue;
        if (agreeing > bestAgreeing || (agreeing == bestAgreeing && first > bestFields)) {
            best = candidate;
            bestAgreeing = agreeing;
            bestFields = first;
        }
    }
    return best;
}

} // namespace

qm::Result<Grid> readCsv(const QByteArray &bytes, QChar separator, QChar *detected)
{
    auto decoded = decode(bytes);
    if (!decoded)
        return decoded.error();
    const QString &text = decoded.value();
    if (separator.isNull())
        separator = detectSeparator(text);
    if (detected)
        *detected = separator;
    const qint64 maxCells = std::max(MaxStoredGridCells, qint64(bytes.size()));

    Grid grid;
    Parser parser{text, separator};
    qint64 cells = 0;
    while (!parser.atEnd()) {
        QString error;
        std::vector<QString> fields = parser.record(&error);
        if (!error.isEmpty())
            return qm::makeError(error);
        // Empty fields at the end of a record are kept as nothing.
        while (!fields.empty() && fields.back().isEmpty())
            fields.pop_back();
        cells += qint64(fields.size());
        if (cells > maxCells)
            return qm::makeError(QStringLiteral("line %1: the file holds more than %2 cells, the most one file may hold to be read")
                                     .arg(QString::number(parser.line), QString::number(maxCells)));
        if (qint64(grid.rows.size()) >= MaxGridRows)
            return qm::makeError(QStringLiteral("line %1: the file has more than %2 records, more than a sheet has rows")
                                     .arg(parser.line).arg(MaxGridRows));
        std::vector<GridCell> row;
        row.reserve(fields.size());
        for (QString &field : fields) {
            if (field.startsWith(u'\''))
                field.remove(0, 1);
            row.push_back(field.isEmpty() ? GridCell() : GridCell::ofText(std::move(field)));
        }
        grid.rows.push_back(std::move(row));
    }
    return grid;
}

} // namespace exchange
