// The exchange formats beside the workbooks. The input's first line names
// the format (csv, tsv, semicolon, guessed, ods, rc, xliff, xliff12, po), the
// rest is the file. Whatever reads is written and read again: the same cells,
// the same strings or the same translations. A "guessed" CSV file is read
// with its separator guessed, and a table written with any separator is
// read back with that separator guessed.
#include "exchange/CsvFormat.h"
#include "exchange/OdsFormat.h"
#include "exchange/PoFormat.h"
#include "exchange/RcFormat.h"
#include "exchange/XliffFormat.h"
#include "platform/resutil/ResStrings.h"
#include "tests/fuzz/FuzzSupport.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace {

using namespace exchange;

void compareGrids(const Grid &a, const Grid &b)
{
    const int rows = int(std::max(a.rows.size(), b.rows.size()));
    const int columns = std::max(a.columnCount(), b.columnCount());
    for (int row = 1; row <= rows; ++row)
        for (int column = 1; column <= columns; ++column) {
            const GridCell *x = a.find(row, column);
            const GridCell *y = b.find(row, column);
            const bool xEmpty = !x || x->kind == GridCell::Kind::Empty;
            const bool yEmpty = !y || y->kind == GridCell::Kind::Empty;
            if (xEmpty && yEmpty)
                continue;
            const QString at = QStringLiteral("row %1, column %2").arg(row).arg(column);
            if (xEmpty != yEmpty || x->kind != y->kind)
                fuzz::broken("a cell changed its kind", at);
            if (x->kind == GridCell::Kind::Text && x->text != y->text)
                fuzz::broken("a text changed", at + QStringLiteral(": ") + x->text + QStringLiteral(" -> ") + y->text);
            if (x->kind == GridCell::Kind::Number && !(x->number == y->number || (x->number != x->number && y->number != y->number)))
                fuzz::broken("a number changed", at);
        }
}

// What a writer puts out, or nothing when it refuses its input.
std::optional<QByteArray> writtenBy(const std::function<qm::Status(excel::backend::ByteSink &)> &write)
{
    excel::backend::ByteSink sink;
    if (!write(sink))
        return std::nullopt;
    return sink.take();
}

void csv(const QByteArray &bytes, QChar separator)
{
    auto grid = readCsv(bytes, separator);
    if (!grid)
        return;
    auto written = writtenBy([&](excel::backend::ByteSink &out) { return writeCsv(grid.value(), separator, out); });
    if (!written)
        return;
    auto again = readCsv(*written, separator);
    if (!again)
        fuzz::broken("a written CSV file does not read", again.errorString());
    compareGrids(grid.value(), again.value());
}

void guessed(const QByteArray &bytes)
{
    auto grid = readCsv(bytes, QChar());
    // One column holds no separator to guess from.
    if (!grid || grid->columnCount() < 2)
        return;
    for (const QChar separator : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        auto written = writtenBy([&](excel::backend::ByteSink &out) { return writeCsv(grid.value(), separator, out); });
        if (!written)
            return;
        QChar detected;
        auto again = readCsv(*written, QChar(), &detected);
        if (!again)
            fuzz::broken("a written CSV file does not read with its separator guessed", again.errorString());
        if (detected != separator)
            fuzz::broken("the separator of a written CSV file is guessed wrong",
                         QString(separator) + QStringLiteral(" -> ") + QString(detected));
        compareGrids(grid.value(), again.value());
    }
}

void ods(const QByteArray &bytes)
{
    auto grid = readOds(bytes, QStringLiteral("fuzzed.ods"), QString());
    if (!grid)
        return;
    auto written = writeOds(grid.value(), nullptr);
    if (!written)
        return;
    auto again = readOds(written.value(), QStringLiteral("written.ods"), QString());
    if (!again)
        fuzz::broken("a written .ods file does not read", again.errorString());
    if (again->name != grid->name)
        fuzz::broken("the sheet name changed", grid->name + QStringLiteral(" -> ") + again->name);
    compareGrids(grid.value(), again.value());
}

using Strings = std::map<std::pair<qint32, qint32>, QString>;

Strings stringsOf(const std::vector<ExcelTransfer::ImportedString> &entries, resutil::ResStrings *table)
{
    Strings strings;
    for (const auto &entry : entries) {
        // An empty text is no string of a .res: the writer leaves it out.
        if (entry.text.isEmpty())
            continue;
        // A later definition of the same string replaces the earlier.
        if (resutil::ResString *old = table->Find(entry.localeId, entry.id))
            (void)table->Remove(old);
        table->Add(entry.localeId, entry.id, entry.text);
        strings[{entry.localeId, entry.id}] = entry.text;
    }
    return strings;
}

void rc(const QByteArray &bytes)
{
    auto read = readRc(bytes, QStringLiteral("fuzzed.rc"), {});
    if (!read)
        return;
    resutil::ResStrings table;
    const Strings strings = stringsOf(read->entries, &table);
    auto written = writtenBy([&](excel::backend::ByteSink &out) { return writeRc(table, QStringLiteral("fuzzed.res"), out); });
    if (!written)
        return;
    auto again = readRc(*written, QStringLiteral("written.rc"), {});
    if (!again)
        fuzz::broken("a written .rc file does not read", again.errorString());
    resutil::ResStrings other;
    if (stringsOf(again->entries, &other) != strings)
        fuzz::broken("the strings of an .rc file changed");

    // The script's own strings put back into it read as they were.
    auto updated = writtenBy([&](excel::backend::ByteSink &out) {
        return updateRc(table, bytes, QStringLiteral("fuzzed.rc"), {}, out);
    });
    if (!updated)
        return;
    auto reread = readRc(*updated, QStringLiteral("updated.rc"), {});
    if (!reread)
        fuzz::broken("an updated .rc file does not read", reread.errorString());
    resutil::ResStrings third;
    if (stringsOf(reread->entries, &third) != strings)
        fuzz::broken("the strings of an updated .rc file changed");
}

void translation(const QByteArray &bytes, const QString &format)
{
    const bool po = format == QLatin1String("po");
    auto read = po ? readPo(bytes) : readXliff(bytes, QStringLiteral("fuzzed.xlf"));
    if (!read)
        return;
    Translation out;
    out.sourceLocale = 2057;
    out.targetLocale = 1031;
    out.original = QStringLiteral("fuzzed.res");
    std::map<qint32, std::optional<QString>> expected;
    std::set<qint32> seen;
    for (const ReadUnit &unit : read->units) {
        bool numeric = false;
        const qint32 id = unit.id.toInt(&numeric);
        if (!numeric || id < 0 || id > 65535 || QString::number(id) != unit.id || !seen.insert(id).second)
            continue;
        out.units.push_back({id, QStringLiteral("source %1").arg(id), unit.target});
        expected[id] = unit.target;
    }
    auto written = writtenBy([&](excel::backend::ByteSink &sink) {
        return po ? writePo(out, sink)
                  : writeXliff(out, format == QLatin1String("xliff12") ? XliffVersion::V12 : XliffVersion::V20, sink);
    });
    if (!written)
        return;
    auto again = po ? readPo(*written) : readXliff(*written, QStringLiteral("written.xlf"));
    if (!again)
        fuzz::broken("a written translation file does not read", again.errorString());
    std::map<qint32, std::optional<QString>> found;
    for (const ReadUnit &unit : again->units)
        found[unit.id.toInt()] = unit.target;
    if (found != expected)
        fuzz::broken("the translations changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    const qsizetype newline = input.indexOf('\n');
    if (newline <= 0)
        return 0;
    const QString format = QString::fromLatin1(input.left(newline));
    const QByteArray file = input.mid(newline + 1);
    if (format == QLatin1String("csv"))
        csv(file, QChar(u','));
    else if (format == QLatin1String("tsv"))
        csv(file, QChar(u'\t'));
    else if (format == QLatin1String("semicolon"))
        csv(file, QChar(u';'));
    else if (format == QLatin1String("guessed"))
        guessed(file);
    else if (format == QLatin1String("ods"))
        ods(file);
    else if (format == QLatin1String("rc"))
        rc(file);
    else if (format == QLatin1String("po") || format.startsWith(QLatin1String("xliff")))
        translation(file, format);
    return 0;
}
