#include "transfer/ExcelExport.h"

#include "transfer/CellConversion.h"
#include "transfer/TableLimits.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/SheetStream.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Workbooks.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/MappedStringTables.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QDir>
#include <QHash>

#include <limits>
#include <optional>
#include <vector>

using LgvStringModule::lgv_string;

namespace ExcelTransfer {

namespace {

// A library's failure, restated at the statement of ours that met it.
qm::Error at(const qm::Error &error, std::source_location where = std::source_location::current())
{
    return qm::Error{error.message, where};
}

qm::Status chooseSheet(ExportTarget &target)
{
    if (target.fileMissing) {
        auto book = target.books.Add(excel::xlWBATWorksheet);
        if (!book)
            return at(book.error());
        target.workbook = book.value();
        target.worksheet = target.workbook->ActiveSheet();
        if (!target.worksheet)
            return qm::makeError(QStringLiteral("The new workbook has no worksheet."));
        if (auto named = target.worksheet->SetName(target.sheetName); !named)
            return at(named.error());
        return {};
    }
    if (!target.workbook)
        return qm::makeError(QStringLiteral("%1: the workbook is not open.").arg(target.fileName));
    auto found = target.workbook->Worksheets().Item(target.sheetName);
    if (!found && target.workbook->Worksheets().find(target.sheetName))
        return at(found.error()); // there, but it cannot be read
    if (!found) {
        // No such sheet: the lookup's failure only means a new one is needed.
        auto added = target.workbook->Worksheets().Add();
        if (!added)
            return at(added.error());
        target.worksheet = added.value();
        if (auto named = target.worksheet->SetName(target.sheetName); !named)
            return at(named.error());
        return {};
    }
    target.worksheet = found.value();
    target.worksheet->Cells().Clear();
    return {};
}

} // namespace

QString ExportTarget::details() const
{
    if (writingRow == 0)
        return QString();
    return LgvStringModule::SubstituteParameters(QStringLiteral("Line=%0, Column=%1, Text=\"%2\""), writingRow,
                                                 writingColumn, writingText);
}

namespace {

// Every entry through Cells, in the collection's order.
qm::Status writeByCells(ExportTarget &target, const resutil::ResStrings &strings, const LanguageNamer &languageName,
                        TransferFeedback &feedback)
{
    excel::Cells &cells = target.worksheet->Cells();
    int progress = 0;
    QHash<qint32, int> rowOf;
    QHash<qint32, int> columnOf;
    int nextRow = 3;
    int nextColumn = 2;
    for (const resutil::ResString *entry : strings) {
        if (feedback.stopRequested())
            return transferStopped();
        int row = rowOf.value(entry->ID(), 0);
        if (row == 0) {
            row = nextRow++;
            rowOf.insert(entry->ID(), row);
            if (auto written = cells.Set(row, 1, excel::Value(double(entry->ID()))); !written)
                return at(written.error());
        }
        int column = columnOf.value(entry->LocaleID(), 0);
        if (column == 0) {
            column = nextColumn++;
            columnOf.insert(entry->LocaleID(), column);
            const QString name = languageName ? languageName(entry->LocaleID()) : QString();
            if (auto written = cells.Set(1, column, excel::Value(name)); !written)
                return at(written.error());
            if (auto written = cells.Set(2, column, excel::Value(double(entry->LocaleID()))); !written)
                return at(written.error());
        }
        const QString text = applyApostropheRule(entry->Text());
        target.writingRow = row;
        target.writingColumn = column;
        target.writingText = text;
        if (auto written = cells.Set(row, column, excel::Value(text)); !written)
            return at(written.error());
        target.writingRow = 0;
        feedback.setProgressValue(++progress);
    }
    return {};
}

// The sheet written row by row into its part as a stream, for a new .xlsx
// workbook: the rows (IDs) and columns (locales) in order, and textOf(row,
// column) the text of each cell, nullopt for none. Nothing but the layout and
// the compressed part is held.
template <typename TextOf>
qm::Status writeRows(ExportTarget &target, const std::vector<qint32> &ids, const std::vector<qint32> &locales,
                     int progress, const LanguageNamer &languageName, TransferFeedback &feedback, TextOf &&textOf)
{
    const int rows = ids.empty() ? 0 : 2 + int(ids.size());
    const int columns = 1 + int(locales.size());
    excel::SheetStream stream(*target.worksheet, rows, columns, excel::formatForFileName(target.fileName));
    for (size_t c = 0; c < locales.size(); ++c) {
        const QString name = languageName ? languageName(locales[c]) : QString();
        if (auto written = stream.Set(1, int(c) + 2, excel::Value(name)); !written)
            return at(written.error());
    }
    for (size_t c = 0; c < locales.size(); ++c)
        if (auto written = stream.Set(2, int(c) + 2, excel::Value(double(locales[c]))); !written)
            return at(written.error());
    for (size_t r = 0; r < ids.size(); ++r) {
        if (feedback.stopRequested())
            return transferStopped();
        const int row = int(r) + 3;
        if (auto written = stream.Set(row, 1, excel::Value(double(ids[r]))); !written)
            return at(written.error());
        for (size_t c = 0; c < locales.size(); ++c) {
            const std::optional<QString> cell = textOf(r, c);
            if (!cell)
                continue;
            if (feedback.stopRequested())
                return transferStopped();
            const QString text = applyApostropheRule(*cell);
            target.writingRow = row;
            target.writingColumn = int(c) + 2;
            if (auto written = stream.Set(row, int(c) + 2, excel::Value(text)); !written) {
                target.writingText = QString(text.constData(), text.size()); // the text may lie in a file's mapping
                return at(written.error());
            }
            target.writingRow = 0;
            feedback.setProgressValue(++progress);
        }
    }
    if (auto finished = stream.finish(); !finished)
        return at(finished.error());
    return {};
}

// A collection's sheet as a stream: one pass over the collection gives the
// layout (rows and columns in order of first occurrence, and the entry of
// each cell, the last one given for it), then every row is written once.
qm::Status writeStreamed(ExportTarget &target, const resutil::ResStrings &strings, const LanguageNamer &languageName,
                         TransferFeedback &feedback)
{
    QHash<qint32, int> rowOf;
    QHash<qint32, int> columnOf;
    std::vector<qint32> ids, locales;
    // Each cell's entry as its position in the collection, plus one; 0: none.
    // The entries are read in place, never made into objects.
    std::vector<std::vector<quint32>> byColumn;
    int progress = 0;
    qint32 lastLocale = 0;
    int lastColumn = -1;
    qsizetype seen = 0;
    bool stopped = false;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (stopped || (++seen % 4096 == 0 && feedback.stopRequested())) {
            stopped = true;
            return;
        }
        auto row = rowOf.constFind(entry.id);
        if (row == rowOf.constEnd()) {
            row = rowOf.insert(entry.id, int(ids.size()));
            ids.push_back(entry.id);
        }
        // A loaded file gives each language's strings together.
        if (lastColumn < 0 || entry.localeId != lastLocale) {
            auto column = columnOf.constFind(entry.localeId);
            if (column == columnOf.constEnd()) {
                column = columnOf.insert(entry.localeId, int(locales.size()));
                locales.push_back(entry.localeId);
                byColumn.emplace_back();
            }
            lastLocale = entry.localeId;
            lastColumn = column.value();
        }
        auto &cellsOfColumn = byColumn[size_t(lastColumn)];
        if (cellsOfColumn.size() <= size_t(row.value()))
            cellsOfColumn.resize(size_t(row.value()) + 1);
        quint32 &cell = cellsOfColumn[size_t(row.value())];
        if (cell)
            ++progress; // written over, as a second Set of the cell would
        cell = quint32(entry.position + 1);
    });
    if (stopped)
        return transferStopped();
    feedback.setProgressValue(progress);
    return writeRows(target, ids, locales, progress, languageName, feedback,
                     [&](size_t r, size_t c) -> std::optional<QString> {
                         const auto &cellsOfColumn = byColumn[c];
                         const quint32 entry = r < cellsOfColumn.size() ? cellsOfColumn[r] : 0;
                         if (!entry)
                             return std::nullopt;
                         return strings.TextAt(qsizetype(entry) - 1);
                     });
}

// Checks that the table fits, picks the sheet, writes it with writeCells and
// saves the workbook.
template <typename WriteCells>
qm::Status exportWith(ExportTarget &target, TableSize size, qsizetype count, TransferFeedback &feedback,
                      WriteCells &&writeCells)
{
    target.writingRow = 0;
    if (target.fileMissing || target.workbook) {
        const excel::FileFormat format =
            target.fileMissing ? excel::formatForFileName(target.fileName) : formatOf(*target.workbook);
        if (const QString tooLarge = tableDoesNotFit(size, format); !tooLarge.isEmpty())
            return qm::makeError(tooLarge);
    }
    if (auto chosen = chooseSheet(target); !chosen)
        return chosen;
    excel::Cells &cells = target.worksheet->Cells();
    if (auto aligned = cells.SetHorizontalAlignment(excel::xlLeft); !aligned)
        return at(aligned.error());

    feedback.setProgressCaption(lgv_string(485));
    feedback.setProgressValue(0);
    feedback.setProgressMaximum(int(qMin<qsizetype>(count, std::numeric_limits<int>::max())));
    feedback.setProgressMinimum(0);
    if (auto written = writeCells(); !written)
        return written;

    if (feedback.stopRequested())
        return transferStopped();
    const excel::Workbook::CommitCheck stillWanted = [&feedback] { return !feedback.stopRequested(); };
    const qm::Status saved =
        target.fileMissing ? target.workbook->SaveAs(target.fileName, stillWanted) : target.workbook->Save(stillWanted);
    if (!saved)
        return feedback.stopRequested() ? transferStopped() : at(saved.error());
    feedback.setProgressCaption(lgv_string(487));
    return {};
}

// A new workbook of either format is written as a stream.
bool streamsInto(const ExportTarget &target)
{
    return target.fileMissing;
}

} // namespace

qm::Status exportStrings(ExportTarget &target, const resutil::ResStrings &strings, const LanguageNamer &languageName,
                         TransferFeedback &feedback)
{
    return exportWith(target, exportedSize(strings), strings.Count(), feedback, [&] {
        return streamsInto(target) ? writeStreamed(target, strings, languageName, feedback)
                                   : writeByCells(target, strings, languageName, feedback);
    });
}

qm::Status exportTables(ExportTarget &target, resutil::MappedStringTables &tables, const LanguageNamer &languageName,
                        TransferFeedback &feedback)
{
    if (!streamsInto(target))
        return qm::makeError(QStringLiteral("%1: tables read from a file are written only into a new workbook")
                                 .arg(target.fileName));
    const TableSize size = tables.count() == 0 ? TableSize{}
                                               : TableSize{2 + qint64(tables.ids().size()), 1 + qint64(tables.locales().size())};
    return exportWith(target, size, tables.count(), feedback, [&]() -> qm::Status {
        const auto &ids = tables.ids();
        auto written = writeRows(target, ids, tables.locales(), 0, languageName, feedback,
                                 [&](size_t r, size_t c) -> std::optional<QString> {
                                     const QStringView text = tables.text(c, ids[r]);
                                     if (text.isNull())
                                         return std::nullopt;
                                     return QString::fromRawData(text.data(), text.size());
                                 });
        if (written && !tables.intact())
            return qm::makeError(QStringLiteral("%1 changed while it was read; the workbook is not written")
                                     .arg(QDir::toNativeSeparators(tables.fileName())));
        return written;
    });
}

} // namespace ExcelTransfer
