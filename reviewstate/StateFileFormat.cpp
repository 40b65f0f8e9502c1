#include "reviewstate/StateFileFormat.h"

#include <QDir>
#include <QtEndian>

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

// A table: most of a large file's bytes are hashes.
constexpr auto kHexDigits = [] {
    std::array<qint8, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table['0' + i] = qint8(i);
    for (int i = 0; i < 6; ++i)
        table['a' + i] = qint8(10 + i);
    return table;
}();

// A decimal of 1 to 5 digits without a leading zero, at most 65535, then a tab.
const char *quickNumber(const char *at, const char *end, quint32 &value)
{
    if (at == end || *at < '0' || *at > '9' || (*at == '0' && at + 1 < end && at[1] != '\t'))
        return nullptr;
    quint32 v = 0;
    const char *const start = at;
    while (at < end && *at >= '0' && *at <= '9' && at - start < 5)
        v = v * 10 + quint32(*at++ - '0');
    if (at == end || *at != '\t' || v > 0xFFFF)
        return nullptr;
    value = v;
    return at + 1;
}

const char *quickHash(const char *at, const char *end, quint32 &value, bool &present)
{
    if (at < end && *at == '-') {
        present = false;
        return at + 1;
    }
    if (end - at < 8)
        return nullptr;
    // Eight digits at once: '0'-'9' are 0x30-0x39, 'a'-'f' 0x61-0x66.
    quint64 word;
    std::memcpy(&word, at, 8);
    word = qFromBigEndian(word);
    constexpr quint64 ones = 0x0101010101010101ULL;
    const quint64 letter = (word >> 6) & ones;       // 1 in each byte with 0x40
    const quint64 low = word & (0x0F * ones);
    const bool valid = (word & (0xF0 * ones)) == 0x30 * ones + 0x30 * letter && // 0x3_ or 0x6_
                       ((low + 6 * ones + 3 * letter) & (0x10 * ones)) == 0 &&  // digits to 9, letters to f
                       (~(low + 0x10 * ones - letter) & (0x10 * ones)) == 0;    // letters from a
    if (!valid)
        return nullptr;
    const quint64 nibbles = low + 9 * letter;
    quint64 v = nibbles;
    v = (v | (v >> 4)) & 0x00FF00FF00FF00FFULL;
    v = (v | (v >> 8)) & 0x0000FFFF0000FFFFULL;
    v = (v | (v >> 16)) & 0x00000000FFFFFFFFULL;
    value = quint32(v);
    present = true;
    return at + 8;
}

// The usual cell line, LOCALE<TAB>ID<TAB>STATE<TAB>HASH<TAB>HASH and its line
// break, read without splitting it; nullptr for any other line, which the
// general reader then reads (and words what is wrong with it). Returns where
// the next line starts.
const char *quickCellLine(const char *at, const char *end, Cell &cell)
{
    quint32 locale = 0, id = 0;
    if (!(at = quickNumber(at, end, locale)) || !(at = quickNumber(at, end, id)))
        return nullptr;
    // Names of constant length compare inline.
    const auto named = [&](const auto &name, State state) {
        constexpr std::size_t length = sizeof name - 1;
        if (end - at < qsizetype(length) || std::memcmp(at, name, length) != 0)
            return false;
        cell.state = state;
        at += length;
        return true;
    };
    bool known = false;
    switch (at < end ? *at : '\0') {
    case 't': known = named("translated\t", State::Translated); break;
    case 'a': known = named("approved\t", State::Approved); break;
    case 'n': known = named("new\t", State::New) || named("needs-review\t", State::NeedsReview); break;
    default: break;
    }
    bool hasSource = false, hasText = false;
    if (!known || !(at = quickHash(at, end, cell.source, hasSource)) || at == end || *at++ != '\t' ||
        !(at = quickHash(at, end, cell.text, hasText)))
        return nullptr;
    if (at < end && *at == '\r')
        ++at;
    if (at < end && *at++ != '\n')
        return nullptr;
    cell.key = cellKey(qint32(locale), qint32(id));
    cell.flags = quint8((hasSource ? Cell::HasSource : 0) | (hasText ? Cell::HasText : 0));
    return at;
}

// 8 lowercase hex digits, or "-".
bool hash(QByteArrayView field, quint32 &value, bool &present)
{
    present = false;
    if (field == "-")
        return true;
    if (field.size() != 8)
        return false;
    quint32 result = 0;
    int bad = 0;
    for (int i = 0; i < 8; ++i) {
        const qint8 digit = kHexDigits[static_cast<unsigned char>(field[i])];
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
        if (lineNumber > 1) {
            Cell cell;
            if (const char *next = quickCellLine(at, end, cell)) {
                if (!table.cells.empty() && table.cells.back().key >= cell.key) {
                    if (table.cells.back().key == cell.key)
                        return failAt(lineNumber, QStringLiteral("locale %1, string %2 has a second line")
                                                      .arg(QString::number(localeOf(cell.key)), QString::number(idOf(cell.key))));
                    sorted = false;
                }
                table.cells.push_back(cell);
                at = next;
                continue;
            }
        }
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

namespace {

// The longest cell line without its fields: 65535<TAB>65535<TAB>needs-review<TAB>HASH<TAB>HASH<LF>.
constexpr qsizetype kLongestCellLine = 5 + 1 + 5 + 1 + 12 + 1 + 8 + 1 + 8 + 1;

// A cell's state and hashes, laid out by hand: the cells' lines are most of a large file.
constexpr auto kHexPairs = [] {
    std::array<char, 512> pairs{};
    for (int i = 0; i < 256; ++i) {
        pairs[std::size_t(2 * i)] = "0123456789abcdef"[i >> 4];
        pairs[std::size_t(2 * i + 1)] = "0123456789abcdef"[i & 0xF];
    }
    return pairs;
}();

char *putHash(char *at, bool present, quint32 value)
{
    *at++ = '\t';
    if (!present) {
        *at++ = '-';
        return at;
    }
    for (int shift = 24; shift >= 0; shift -= 8, at += 2)
        std::memcpy(at, &kHexPairs[std::size_t(2 * ((value >> shift) & 0xFF))], 2);
    return at;
}

char *putCell(char *at, const Cell &cell)
{
    const char *state = stateName(cell.state);
    const std::size_t length = std::strlen(state);
    std::memcpy(at, state, length);
    at += length;
    at = putHash(at, cell.has(Cell::HasSource), cell.source);
    return putHash(at, cell.has(Cell::HasText), cell.text);
}

} // namespace

void appendCellLine(QByteArray &out, const Cell &cell, const QByteArray *fields)
{
    char line[kLongestCellLine];
    out.append(line, putCell(line, cell) - line);
    if (fields && !fields->isEmpty()) {
        out += '\t';
        out += *fields;
    }
}

qm::Status writeStateFile(const StateTable &table, const std::function<qm::Status(QByteArrayView)> &put)
{
    return writeStateFile(
        table,
        [&](const std::function<bool(const Cell &)> &visit) {
            for (const Cell &cell : table.cells)
                if (!visit(cell))
                    return;
        },
        put);
}

qm::Status writeStateFile(const StateTable &table, const CellWalk &cells,
                          const std::function<qm::Status(QByteArrayView)> &put)
{
    // Handed on in pieces of about this size: a large table is never all in memory at once.
    constexpr qsizetype kPiece = 1 << 16;
    QByteArray out;
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
    // Cell lines go straight into the piece, with room for the longest line.
    qsizetype longestFields = 0;
    for (const QByteArray &fields : table.cellFields)
        longestFields = std::max(longestFields, fields.size());
    const qsizetype room = kPiece + kLongestCellLine + 1 + longestFields;
    qsizetype used = out.size();
    out.resize(std::max(used, qsizetype(0)) + room);
    char *at = out.data() + used;
    const auto flush = [&]() -> qm::Status {
        used = at - out.constData();
        if (auto status = put(QByteArrayView(out.constData(), used)); !status)
            return status;
        if (out.size() < room)
            out.resize(room);
        at = out.data();
        return {};
    };
    // The few cells with fields, walked beside the cells instead of looked up for each.
    std::vector<quint32> withFields;
    withFields.reserve(std::size_t(table.cellFields.size()));
    for (auto it = table.cellFields.cbegin(); it != table.cellFields.cend(); ++it)
        if (!it->isEmpty())
            withFields.push_back(it.key());
    std::sort(withFields.begin(), withFields.end());
    auto nextFields = withFields.cbegin();
    qint32 locale = -1;
    char localeText[8];
    std::size_t localeLength = 0;
    qm::Status failed;
    cells([&](const Cell &cell) {
        if (at - out.constData() >= kPiece)
            if (failed = flush(); !failed)
                return false;
        if (localeOf(cell.key) != locale) {
            locale = localeOf(cell.key);
            char *end = std::to_chars(localeText, localeText + 5, quint32(locale)).ptr;
            *end++ = '\t';
            localeLength = std::size_t(end - localeText);
        }
        std::memcpy(at, localeText, localeLength);
        at += localeLength;
        at = std::to_chars(at, at + 5, quint32(idOf(cell.key))).ptr;
        *at++ = '\t';
        at = putCell(at, cell);
        while (nextFields != withFields.cend() && *nextFields < cell.key)
            ++nextFields;
        if (nextFields != withFields.cend() && *nextFields == cell.key) {
            const QByteArray &fields = *table.cellFields.constFind(cell.key);
            *at++ = '\t';
            std::memcpy(at, fields.constData(), std::size_t(fields.size()));
            at += fields.size();
        }
        *at++ = '\n';
        return true;
    });
    if (!failed)
        return failed;
    return flush();
}

QByteArray writeStateFile(const StateTable &table)
{
    QByteArray whole;
    whole.reserve(qsizetype(64 + table.strings.size() * 40 + table.cells.size() * 44));
    (void)writeStateFile(table, [&](QByteArrayView bytes) -> qm::Status {
        whole.append(bytes);
        return {};
    });
    return whole;
}

} // namespace reviewstate
