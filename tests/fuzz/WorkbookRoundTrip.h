#pragma once

// The property every workbook target checks: a workbook that opens is read
// cell by cell, one cell is written, it is saved, and opened again it holds
// the same cells with that one changed.

#include "platform/excel/Application.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QStringList>

#include <cmath>
#include <map>
#include <tuple>

namespace fuzz {

struct SeenCell {
    excel::Value value;
    QString text;
    bool operator==(const SeenCell &other) const
    {
        if (value.isNumber() && other.value.isNumber() && std::isnan(value.number()) && std::isnan(other.value.number()))
            return text == other.text;
        return value == other.value && text == other.text;
    }
};
// By sheet position, row and column.
using SeenBook = std::map<std::tuple<int, int, int>, SeenCell>;

inline SeenBook readEveryCell(excel::Workbook &book, QStringList *names)
{
    SeenBook seen;
    names->clear();
    for (int index = 1; index <= book.Worksheets().Count(); ++index) {
        auto item = book.Worksheets().Item(index);
        if (!item) {
            // Sheets are read when asked for; one the reader refuses ends the check.
            names->append(QStringLiteral("\x01refused"));
            return seen;
        }
        excel::Worksheet *sheet = item.value();
        names->append(sheet->Name());
        const excel::SheetData &data = sheet->data();
        for (int row = 1; row <= data.rowCount(); ++row)
            for (const excel::Cell &cell : data.row(row)) {
                const excel::Value value = sheet->Cells().Value(row, cell.column);
                if (!(value == cell.value))
                    broken("a cell reads other than it is stored");
                if (!value.isEmpty())
                    seen[{index, row, cell.column}] = SeenCell{value, sheet->Cells().Text(row, cell.column)};
            }
    }
    return seen;
}

inline QString describe(const std::tuple<int, int, int> &at)
{
    return QStringLiteral("sheet %1 row %2 column %3").arg(std::get<0>(at)).arg(std::get<1>(at)).arg(std::get<2>(at));
}

inline void compareBooks(const SeenBook &expected, const SeenBook &found)
{
    for (const auto &[at, cell] : expected) {
        auto other = found.find(at);
        if (other == found.end())
            broken("a cell was lost", describe(at));
        if (!(other->second == cell))
            broken("a cell changed", describe(at) + QStringLiteral(": ") + cell.text + QStringLiteral(" -> ") + other->second.text);
    }
    for (const auto &[at, cell] : found)
        if (!expected.count(at))
            broken("a cell appeared", describe(at));
}

// Opens path; when it opens, checks the property, saving to savedPath.
inline void checkRoundTrip(const QString &path, const QString &savedPath)
{
    auto app = excel::Application::Create();
    if (!app)
        broken("the back end does not start", app.errorString());
    auto opened = app.value()->Workbooks().Open(path);
    if (!opened)
        return;
    excel::Workbook &book = *opened.value();
    QStringList names;
    SeenBook expected = readEveryCell(book, &names);
    if (names.contains(QStringLiteral("\x01refused")))
        return;
    excel::Worksheet *first = book.ActiveSheet();
    if (!first)
        broken("a workbook opened without a sheet");
    const excel::Value written(QStringLiteral("written by the fuzzer"));
    if (!first->Cells().Set(1, 1, written))
        broken("a cell cannot be written");
    // The cell keeps its format, so its text is whatever that shows.
    const QString shown = first->Cells().Text(1, 1);
    expected[{1, 1, 1}] = SeenCell{written, shown};
    if (!book.SaveAs(savedPath))
        return; // a workbook the format cannot hold is refused, and that is fine
    auto again = app.value()->Workbooks().Open(savedPath);
    if (!again)
        broken("a saved workbook does not open", again.errorString());
    QStringList namesAgain;
    compareBooks(expected, readEveryCell(*again.value(), &namesAgain));
    if (names != namesAgain)
        broken("the sheet names changed", names.join(u'|') + QStringLiteral(" -> ") + namesAgain.join(u'|'));
}

} // namespace fuzz
