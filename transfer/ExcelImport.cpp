#include "transfer/ExcelImport.h"

#include "transfer/CellConversion.h"
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
    const int rows = used.RowsCount();
    const int columns = used.ColumnsCount();
    const qint64 bodyCells = qint64(columns - 1) * qint64(rows - 2);
    if (bodyCells > MaxImportCells)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its used range %2:%3 holds %4 text cells, more than the "
                                            "%5 an import can take.")
                                 .arg(sheet.Name(), cellAddress(used.Row(), used.Column()),
                                      cellAddress(used.Row() + rows - 1, used.Column() + columns - 1),
                                      QString::number(bodyCells), QString::number(MaxImportCells)));
    if (rows < 3 || columns < 2)
        return at(noStringsIn(sheet.Name(), cellAddress(used.Row(), used.Column()),
                              cellAddress(used.Row() + rows - 1, used.Column() + columns - 1)));

    feedback.setProgressCaption(lgv_string(488));
    int progress = 0;
    feedback.setProgressValue(progress);
    // A used range of one row gives a negative count: the bar then just stays empty.
    feedback.setProgressMaximum(int(qMax<qint64>(bodyCells, 0)));
    feedback.setProgressMinimum(0);

    sink.expect(qMax<qint64>(bodyCells, 0));
    // Each row's ID, read once for all its columns.
    std::vector<std::optional<qint32>> ids(size_t(qMax(rows, 0)) + 1);
    bool anyColumn = false;
    for (int c = 2; c <= columns; ++c) {
        if (feedback.stopRequested())
            return transferStopped();
        auto localeId = toLong(used.Value(2, c));
        if (!localeId) {
            feedback.showMessage(localeIdMessage(c));
            progress += rows - 2;
            feedback.setProgressValue(progress);
            continue;
        }
        anyColumn = true;
        const QString languageName = used.Text(1, c);
        feedback.setProgressCaption(languageName);
        for (int r = 3; r <= rows; ++r) {
            if (feedback.stopRequested())
                return transferStopped();
            std::optional<qint32> &id = ids[size_t(r)];
            if (!id) {
                auto read = toLong(used.Value(r, 1));
                if (!read)
                    return qm::makeError(QStringLiteral("Sheet \"%1\", cell %2: the string ID cannot be read: %3.")
                                             .arg(sheet.Name(), cellAddress(used.Row() + r - 1, used.Column()),
                                                  read.errorString()));
                id = read.value();
            }
            auto text = cellText(used, r, c);
            if (!text)
                feedback.showMessage(cellMessage(r, c, languageName));
            sink.add(localeId.value(), *id, text ? std::move(text).value() : QString());
            feedback.setProgressValue(++progress);
        }
    }
    if (!anyColumn)
        return at(noLanguageRead(sheet.Name()));
    return {};
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
