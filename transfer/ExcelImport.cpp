#include "transfer/ExcelImport.h"

#include "transfer/CellConversion.h"
#include "transfer/ImportTable.h"
#include "platform/excel/model/Range.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/LargeAllocation.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <limits>
#include <optional>
#include <vector>

using LgvStringModule::lgv_string;

namespace ExcelTransfer {

namespace {

const QString crlf = QStringLiteral("\r\n");

qm::Error at(const qm::Error &error, std::source_location where = std::source_location::current())
{
    return qm::Error{error.message, where};
}

// The displayed text of a cell of the used range. The file back ends always
// have it; the check keeps a position outside the range from reading
// another cell.
qm::Result<QString> cellText(const excel::Range &range, int row, int column)
{
    if (row < 1 || column < 1 || row > range.RowsCount() || column > range.ColumnsCount())
        return qm::makeError(QStringLiteral("cell %1 lies outside the used range")
                                 .arg(cellAddress(range.Row() + row - 1, range.Column() + column - 1)));
    return range.Text(row, column);
}

} // namespace

qm::Error noStringsIn(const QString &sheetName, const QString &from, const QString &to)
{
    return qm::makeError(QStringLiteral("Sheet \"%1\": its used range %2:%3 holds no string: the locale IDs stand in "
                                        "row 2 from column 2 on and the string IDs in column 1 from row 3 on. Nothing "
                                        "is imported.")
                             .arg(sheetName, from, to));
}

qm::Error noLanguageRead(const QString &sheetName)
{
    return qm::makeError(QStringLiteral("Sheet \"%1\": no column has a locale ID that can be read (row 2). Nothing "
                                        "is imported.")
                             .arg(sheetName));
}

QString localeIdMessage(int column)
{
    return lgv_string(546) + crlf + lgv_string(542) + QStringLiteral("2") + crlf + lgv_string(543)
        + QString::number(column) + crlf + lgv_string(547);
}

QString cellMessage(int row, int column, const QString &languageName)
{
    return lgv_string(541) + crlf + lgv_string(542) + QString::number(row) + crlf + lgv_string(543)
        + QString::number(column) + QStringLiteral(" (") + languageName + QStringLiteral(")");
}

qm::Status checkTablePlace(const TablePlace &place)
{
    const qint64 bodyCells = place.bodyCells();
    const QString from = cellAddress(place.row, place.column);
    const QString to = cellAddress(place.row + place.rows - 1, place.column + place.columns - 1);
    if (bodyCells > MaxImportCells)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its used range %2:%3 holds %4 text cells, more than the "
                                            "%5 an import can take.")
                                 .arg(place.sheetName, from, to, QString::number(bodyCells),
                                      QString::number(MaxImportCells)));
    if (place.rows < 3 || place.columns < 2)
        return at(noStringsIn(place.sheetName, from, to));
    return {};
}

qm::Status readTable(const TablePlace &place, ImportTable &table, TransferFeedback &feedback, StringSink &sink)
{
    if (auto checked = checkTablePlace(place); !checked)
        return checked;
    const int rows = place.rows;
    const int columns = place.columns;
    const qint64 bodyCells = place.bodyCells();

    feedback.setProgressCaption(lgv_string(488));
    int progress = 0;
    feedback.setProgressValue(progress);
    // A used range of one row gives a negative count: the bar then just stays empty.
    feedback.setProgressMaximum(int(qMax<qint64>(bodyCells, 0)));
    feedback.setProgressMinimum(0);

    sink.expect(qMax<qint64>(bodyCells, 0));
    table.handOver(sink);
    // Each row's ID, read once for all its columns.
    std::vector<std::optional<qint32>> ids(size_t(qMax(rows, 0)) + 1);
    bool anyColumn = false;
    for (int c = 2; c <= columns; ++c) {
        if (feedback.stopRequested())
            return transferStopped();
        auto localeId = toLong(table.value(2, c));
        if (!localeId) {
            feedback.showMessage(localeIdMessage(c));
            progress += rows - 2;
            feedback.setProgressValue(progress);
            table.columnRead(c);
            continue;
        }
        anyColumn = true;
        const QString languageName = table.text(1, c);
        feedback.setProgressCaption(languageName);
        for (int r = 3; r <= rows; ++r) {
            if (feedback.stopRequested())
                return transferStopped();
            std::optional<qint32> &id = ids[size_t(r)];
            if (!id) {
                auto read = toLong(table.value(r, 1));
                if (!read)
                    return qm::makeError(QStringLiteral("Sheet \"%1\", cell %2: the string ID cannot be read: %3.")
                                             .arg(place.sheetName, cellAddress(place.row + r - 1, place.column),
                                                  read.errorString()));
                id = read.value();
            }
            if (!table.addBody(sink, localeId.value(), *id, r, c))
                feedback.showMessage(cellMessage(r, c, languageName));
            feedback.setProgressValue(++progress);
        }
        table.columnRead(c);
    }
    if (!anyColumn)
        return at(noLanguageRead(place.sheetName));
    return {};
}

namespace {

// The used range of a sheet read into memory.
class SheetTable : public ImportTable {
public:
    explicit SheetTable(const excel::Range &used) : m_used(used) {}
    excel::Value value(int row, int column) const override { return m_used.Value(row, column); }
    QString text(int row, int column) const override { return m_used.Text(row, column); }
    bool addBody(StringSink &sink, qint32 localeId, qint32 id, int row, int column) const override
    {
        auto text = cellText(m_used, row, column);
        sink.add(localeId, id, text ? std::move(text).value() : QString());
        return bool(text);
    }

private:
    excel::Range m_used;
};

} // namespace

qm::Status readStringsInto(excel::Workbook &book, const QString &sheetName, TransferFeedback &feedback,
                           StringSink &sink, excel::Worksheet **sheetOut)
{
    auto found = book.Worksheets().Item(sheetName);
    if (!found)
        return at(found.error());
    excel::Worksheet &sheet = *found.value();
    if (sheetOut)
        *sheetOut = &sheet;
    const excel::Range used = sheet.UsedRange();
    const TablePlace place{sheet.Name(), used.Row(), used.Column(), used.RowsCount(), used.ColumnsCount()};
    SheetTable table(used);
    return readTable(place, table, feedback, sink);
}

qm::Result<std::vector<ImportedString>> readStrings(excel::Workbook &book, const QString &sheetName,
                                                     TransferFeedback &feedback, excel::Worksheet **sheet)
{
    struct Collect : StringSink {
        std::vector<ImportedString> entries;
        void expect(qint64 cells) override
        {
            if (cells == 0)
                return;
            entries.reserve(size_t(cells));
            resutil::adviseHugePages(entries.data(), entries.capacity() * sizeof(ImportedString));
        }
        void add(qint32 localeId, qint32 id, QString text) override
        {
            entries.push_back(ImportedString{localeId, id, std::move(text)});
        }
    } collect;
    if (auto read = readStringsInto(book, sheetName, feedback, collect, sheet); !read)
        return read.error();
    return std::move(collect.entries);
}

void replaceStrings(resutil::ResStrings &strings, std::vector<ImportedString> entries)
{
    strings.Clear();
    strings.reserve(qsizetype(entries.size()));
    for (ImportedString &entry : entries)
        strings.Add(entry.localeId, entry.id, std::move(entry.text));
}

qm::Status importStrings(excel::Workbook &book, const QString &sheetName, resutil::ResStrings &strings,
                         TransferFeedback &feedback, excel::Worksheet **sheet)
{
    auto entries = readStrings(book, sheetName, feedback, sheet);
    if (!entries)
        return entries.error();
    completeImport(strings, std::move(entries).value(), feedback);
    return {};
}

void completeImport(resutil::ResStrings &strings, std::vector<ImportedString> entries, TransferFeedback &feedback)
{
    replaceStrings(strings, std::move(entries));
    feedback.setProgressCaption(lgv_string(490));
}

} // namespace ExcelTransfer
