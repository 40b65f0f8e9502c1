#include "reviewstate/StateFileFormat.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace reviewstate {

namespace {

constexpr char kHeader[] = "quillmark-review-states";

struct Line {
    const char *at;
    const char *end;
};

// Splits off the next tab-separated field of line.
bool nextField(Line &line, QByteArrayView &field)
{
    if (line.at > line.end)
        return false;
    const char *tab = static_cast<const char *>(std::memchr(line.at, '\t', std::size_t(line.end - line.at)));
    const char *stop = tab ? tab : line.end;
    field = QByteArrayView(line.at, stop - line.at);
    line.at = stop + 1;
    return true;
}

std::optional<quint32> decimal(QByteArrayView field, quint32 largest)
{
    quint32 value = 0;
    if (field.isEmpty() || field.size() > 10 || (field.size() > 1 && field[0] == '0'))
        return std::nullopt;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || value > largest)
        return std::nullopt;
    return value;
}

// 8 lowercase hex digits, or "-".
bool hash(QByteArrayView field, quint32 &value, bool &present)
{
    present = false;
    if (field == "-")
        return true;
    if (field.size() != 8)
        return false;
    // A table: most of a large file's bytes are hashes.
    static constexpr auto digits = [] {
        std::array<qint8, 256> table{};
        table.fill(-1);
        for (int i = 0; i < 10; ++i)
            table['0' + i] = qint8(i);
        for (int i = 0; i < 6; ++i)
            table['a' + i] = qint8(10 + i);
        return table;
    }();
    quint32 result = 0;
    int bad = 0;
    for (int i = 0; i < 8; ++i) {
        const qint8 digit = digits[static_cast<unsigned char>(field[i])];
        bad |= digit;
        result = result << 4 | quint32(digit & 0xF);
    }
    if (bad < 0)
        return false;
    value = result;
    present = true;
    return true;
}

// name=value fields: names of lowercase letters, digits and '-'.
bool validFields(QByteArrayView fields)
{
    if (fields.isEmpty())
        return true;
    qsizetype at = 0;
    while (at <= fields.size()) {
        qsizetype end = fields.indexOf('\t', at);
        if (end < 0)
            end = fields.size();
        const QByteArrayView field = fields.sliced(at, end - at);
        const qsizetype equals = field.indexOf('=');
        if (equals <= 0)
            return false;
        for (const char c : field.first(equals))
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
                return false;
        at = end + 1;
    }
    return true;
}

void appendNumber(QByteArray &out, quint32 value)
{
    char digits[10];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end - digits);
}

} // namespace

QByteArray escapeValue(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

QString unescapeValue(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: out += value[i];
        }
    }
    return QString::fromUtf8(out);
}

qm::Result<StateTable> parseStateFile(QByteArrayView bytes, const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    const auto failAt = [&](qsizetype line, const QString &what) {
        return qm::makeError(QStringLiteral("%1: line %2: %3").arg(name, QString::number(line), what));
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    StateTable table;
    const char *at = bytes.data();
    const char *const end = at + bytes.size();
    qsizetype lineNumber = 0;
    bool sorted = true;
    table.cells.reserve(std::size_t(bytes.size() / 32));
    while (at < end) {
        ++lineNumber;
        const char *newline = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at)));
        const char *stop = newline ? newline : end;
        Line line{at, stop > at && stop[-1] == '\r' ? stop - 1 : stop};
        at = newline ? newline + 1 : end;
        QByteArrayView first;
        if (!nextField(line, first))
            continue;
        if (lineNumber == 1) {
            QByteArrayView version;
            if (first != kHeader || !nextField(line, version))
                return failAt(1, QStringLiteral("this is not a review state file (it should start with \"%1\")")
                                     .arg(QLatin1String(kHeader)));
            const auto number = decimal(version, 1000000);
            if (!number)
                return failAt(1, QStringLiteral("the format version \"%1\" is not a number").arg(QString::fromUtf8(version)));
            if (*number > quint32(kStateFormatVersion))
                return failAt(1, QStringLiteral("format version %1 is newer than this program reads (%2)")
                                     .arg(QString::number(*number), QString::number(kStateFormatVersion)));
            QByteArrayView field;
            while (nextField(line, field)) {
                if (field.startsWith("source=")) {
                    const auto source = decimal(field.sliced(7), 0xFFFF);
                    if (!source)
                        return failAt(1, QStringLiteral("the source language \"%1\" is not a locale ID")
                                             .arg(QString::fromUtf8(field.sliced(7))));
                    table.source = qint32(*source);
                } else if (validFields(field)) {
                    table.headerFields += (table.headerFields.isEmpty() ? "" : "\t") + field.toByteArray();
                } else {
                    return failAt(1, QStringLiteral("\"%1\" is not a name=value field").arg(QString::fromUtf8(field)));
                }
            }
            continue;
        }
        if (first.isEmpty() && line.at > line.end)
            continue; // an empty line
        QByteArrayView idField;
        if (!nextField(line, idField))
            return failAt(lineNumber, QStringLiteral("a string ID should follow the locale"));
        const auto id = decimal(idField, 0xFFFF);
        if (!id)
            return failAt(lineNumber, QStringLiteral("\"%1\" is not a string ID (0 to 65535)").arg(QString::fromUtf8(idField)));
        const QByteArrayView rest = line.at <= line.end ? QByteArrayView(line.at, line.end - line.at) : QByteArrayView();
        if (first == "*") {
            if (!validFields(rest))
                return failAt(lineNumber, QStringLiteral("the fields of a string should be name=value"));
            if (!table.strings.empty() && table.strings.back().id >= qint32(*id))
                return failAt(lineNumber, table.strings.back().id == qint32(*id)
                                              ? QStringLiteral("string %1 has a second line").arg(*id)
                                              : QStringLiteral("the lines of strings should be sorted by ID"));
            table.strings.push_back(StringInfo{qint32(*id), rest.toByteArray()});
            continue;
        }
        const auto locale = decimal(first, 0xFFFF);
        if (!locale)
            return failAt(lineNumber, QStringLiteral("\"%1\" is not a locale ID (0 to 65535) or *").arg(QString::fromUtf8(first)));
        QByteArrayView stateField, sourceField, textField;
        if (!nextField(line, stateField) || !nextField(line, sourceField) || !nextField(line, textField))
            return failAt(lineNumber, QStringLiteral("a state and two hashes should follow the string ID"));
        const auto state = stateNamed(stateField);
        if (!state)
            return failAt(lineNumber, QStringLiteral("\"%1\" is not a state (new, translated, needs-review, approved)")
                                          .arg(QString::fromUtf8(stateField)));
        Cell cell;
        cell.key = cellKey(qint32(*locale), qint32(*id));
        cell.state = *state;
        bool hasSource = false, hasText = false;
        if (!hash(sourceField, cell.source, hasSource) || !hash(textField, cell.text, hasText))
            return failAt(lineNumber, QStringLiteral("a hash should be 8 hex digits or -"));
        cell.flags = quint8((hasSource ? Cell::HasSource : 0) | (hasText ? Cell::HasText : 0));
        if (line.at <= line.end) {
            const QByteArrayView fields(line.at, line.end - line.at);
            if (!validFields(fields))
                return failAt(lineNumber, QStringLiteral("the fields after the hashes should be name=value"));
            table.cellFields.insert(cell.key, fields.toByteArray());
        }
        if (!table.cells.empty() && table.cells.back().key >= cell.key) {
            if (table.cells.back().key == cell.key)
                return failAt(lineNumber, QStringLiteral("locale %1, string %2 has a second line").arg(QString::number(*locale), QString::number(*id)));
            sorted = false;
        }
        table.cells.push_back(cell);
    }
    if (lineNumber == 0)
        return failAt(1, QStringLiteral("the file is empty"));
    // A merge may leave lines out of order: they are put back in order.
    if (!sorted) {
        std::stable_sort(table.cells.begin(), table.cells.end(), [](const Cell &a, const Cell &b) { return a.key < b.key; });
        const auto twice = std::adjacent_find(table.cells.begin(), table.cells.end(),
                                              [](const Cell &a, const Cell &b) { return a.key == b.key; });
        if (twice != table.cells.end())
            return qm::makeError(QStringLiteral("%1: locale %2, string %3 has two lines")
                                     .arg(name, QString::number(localeOf(twice->key)), QString::number(idOf(twice->key))));
    }
    return table;
}

void appendCellLine(QByteArray &out, const Cell &cell, const QByteArray *fields)
{
    // Laid out by hand: the cells' lines are most of a large file.
    char line[48];
    char *at = line;
    const char *state = stateName(cell.state);
    const std::size_t length = std::strlen(state);
    std::memcpy(at, state, length);
    at += length;
    for (const auto &[present, value] : {std::pair{cell.has(Cell::HasSource), cell.source},
                                        std::pair{cell.has(Cell::HasText), cell.text}}) {
        *at++ = '\t';
        if (!present) {
            *at++ = '-';
            continue;
        }
        quint32 v = value;
        for (int i = 7; i >= 0; --i, v >>= 4)
            at[i] = "0123456789abcdef"[v & 0xF];
        at += 8;
    }
    out.append(line, at - line);
    if (fields && !fields->isEmpty()) {
        out += '\t';
        out += *fields;
    }
}

QByteArray writeStateFile(const StateTable &table)
{
    QByteArray out;
    out.reserve(qsizetype(64 + table.strings.size() * 40 + table.cells.size() * 44));
    out += kHeader;
    out += '\t';
    appendNumber(out, kStateFormatVersion);
    if (table.source != 0) {
        out += "\tsource=";
        appendNumber(out, quint32(table.source));
    }
    if (!table.headerFields.isEmpty())
        out += '\t' + table.headerFields;
    out += '\n';
    for (const StringInfo &info : table.strings) {
        if (info.fields.isEmpty())
            continue;
        out += "*\t";
        appendNumber(out, quint32(info.id));
        out += '\t';
        out += info.fields;
        out += '\n';
    }
    for (const Cell &cell : table.cells) {
        appendNumber(out, quint32(localeOf(cell.key)));
        out += '\t';
        appendNumber(out, quint32(idOf(cell.key)));
        out += '\t';
        const QByteArray *fields = nullptr;
        if (!table.cellFields.isEmpty()) {
            const auto found = table.cellFields.constFind(cell.key);
            if (found != table.cellFields.cend())
                fields = &*found;
        }
        appendCellLine(out, cell, fields);
        out += '\n';
    }
    return out;
}

} // namespace reviewstate
