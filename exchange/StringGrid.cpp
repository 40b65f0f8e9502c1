#include "exchange/StringGrid.h"

#include "transfer/CellConversion.h"
#include "exchange/IdTable.h"
#include "platform/resutil/ResStrings.h"
#include "uistrings/LgvStringModule.h"

#include <QHash>

#include <algorithm>
#include <limits>

using LgvStringModule::lgv_string;

namespace exchange {

Grid layoutStrings(const resutil::ResStrings &strings, const ExcelTransfer::LanguageNamer &languageName,
                   TransferFeedback &feedback)
{
    const qsizetype count = strings.Count();
    feedback.setProgressCaption(lgv_string(485));
    int progress = 0;
    feedback.setProgressValue(progress);
    feedback.setProgressMaximum(int(qMin<qsizetype>(count, std::numeric_limits<int>::max())));
    feedback.setProgressMinimum(0);

    Grid grid;
    if (count == 0)
        return grid;
    // First every row and column, so that each row is made once at its full width.
    IdTable<int> rowOf(0), columnOf(0);
    std::vector<qint32> ids, locales;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (int &row = rowOf[entry.id]; row == 0) {
            ids.push_back(entry.id);
            row = int(ids.size()) + 2;
        }
        if (int &column = columnOf[entry.localeId]; column == 0) {
            locales.push_back(entry.localeId);
            column = int(locales.size()) + 1;
        }
    });
    grid.rows.resize(ids.size() + 2);
    for (auto &cells : grid.rows)
        cells.reserve(locales.size() + 1);
    for (size_t c = 0; c < locales.size(); ++c) {
        grid.set(1, int(c) + 2, GridCell::ofText(languageName ? languageName(locales[c]) : QString()));
        grid.set(2, int(c) + 2, GridCell::ofNumber(locales[c]));
    }
    for (size_t r = 0; r < ids.size(); ++r)
        grid.set(int(r) + 3, 1, GridCell::ofNumber(ids[r]));

    bool stopped = false;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (stopped)
            return;
        if (!entry.text.isEmpty())
            grid.set(rowOf[entry.id], columnOf[entry.localeId], GridCell::ofText(strings.TextAt(entry.position)));
        feedback.setProgressValue(++progress);
        // The caller sees the stop before anything is written.
        stopped = progress % 4096 == 0 && feedback.stopRequested();
    });
    return grid;
}

namespace {

excel::Value valueOf(const GridCell *cell)
{
    if (!cell)
        return excel::Value();
    switch (cell->kind) {
    case GridCell::Kind::Empty: return excel::Value();
    case GridCell::Kind::Number: return excel::Value(cell->number);
    case GridCell::Kind::Text: return cell->text.isEmpty() ? excel::Value() : excel::Value(cell->text);
    }
    return excel::Value();
}

QString textOf(const GridCell *cell)
{
    if (!cell)
        return QString();
    if (cell->kind == GridCell::Kind::Number)
        return QString::number(cell->number, 'g', 15);
    return cell->text;
}

bool used(const GridCell &cell)
{
    return cell.kind == GridCell::Kind::Number || (cell.kind == GridCell::Kind::Text && !cell.text.isEmpty());
}

} // namespace

qm::Result<std::vector<ExcelTransfer::ImportedString>> readLayout(const Grid &grid, TransferFeedback &feedback)
{
    // The used range: the smallest rectangle holding every cell with content.
    int top = 0, bottom = 0, left = std::numeric_limits<int>::max(), right = 0;
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        const auto &cells = grid.rows[r];
        for (size_t c = 0; c < cells.size(); ++c) {
            if (!used(cells[c]))
                continue;
            if (top == 0)
                top = int(r) + 1;
            bottom = int(r) + 1;
            left = std::min(left, int(c) + 1);
            right = std::max(right, int(c) + 1);
        }
    }
    if (top == 0)
        top = bottom = left = right = 1;
    const int rows = bottom - top + 1;
    const int columns = right - left + 1;
    auto at = [&](int r, int c) { return grid.find(top + r - 1, left + c - 1); };
    const qint64 bodyCells = qint64(columns - 1) * qint64(rows - 2);
    if (bodyCells > MaxGridCells)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its used range %2:%3 holds %4 text cells, more than the "
                                            "%5 an import can take.")
                                 .arg(grid.name, ExcelTransfer::cellAddress(top, left),
                                      ExcelTransfer::cellAddress(bottom, right), QString::number(bodyCells),
                                      QString::number(MaxGridCells)));
    if (rows < 3 || columns < 2)
        return ExcelTransfer::noStringsIn(grid.name, ExcelTransfer::cellAddress(top, left),
                                          ExcelTransfer::cellAddress(bottom, right));

    feedback.setProgressCaption(lgv_string(488));
    int progress = 0;
    feedback.setProgressValue(progress);
    feedback.setProgressMaximum(int(qMax<qint64>(bodyCells, 0)));
    feedback.setProgressMinimum(0);

    std::vector<ExcelTransfer::ImportedString> entries;
    if (bodyCells > 0)
        entries.reserve(size_t(bodyCells));
    // The string IDs are read once, not once per column: a failure still
    // names the first bad cell of the first column read.
    std::vector<qint32> ids;
    bool anyColumn = false;
    for (int c = 2; c <= columns; ++c) {
        auto localeId = ExcelTransfer::toLong(valueOf(at(2, c)));
        if (!localeId) {
            feedback.showMessage(ExcelTransfer::localeIdMessage(c));
            progress += rows - 2;
            feedback.setProgressValue(progress);
            continue;
        }
        anyColumn = true;
        const QString languageName = textOf(at(1, c));
        feedback.setProgressCaption(languageName);
        if (ids.empty()) {
            for (int r = 3; r <= rows; ++r) {
                auto id = ExcelTransfer::toLong(valueOf(at(r, 1)));
                if (!id)
                    return qm::makeError(QStringLiteral("Sheet \"%1\", cell %2: the string ID cannot be read: %3.")
                                             .arg(grid.name, ExcelTransfer::cellAddress(top + r - 1, left),
                                                  id.errorString()));
                ids.push_back(id.value());
            }
        }
        for (int r = 3; r <= rows; ++r) {
            entries.push_back(ExcelTransfer::ImportedString{localeId.value(), ids[size_t(r - 3)], textOf(at(r, c))});
            feedback.setProgressValue(++progress);
            if (progress % 4096 == 0 && feedback.stopRequested())
                return transferStopped();
        }
    }
    if (!anyColumn)
        return ExcelTransfer::noLanguageRead(grid.name);
    return entries;
}

} // namespace exchange
