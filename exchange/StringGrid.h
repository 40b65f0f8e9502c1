#pragma once

#include "transfer/ExcelExport.h"
#include "transfer/ExcelImport.h"
#include "transfer/TransferFeedback.h"
#include "platform/common/Result.h"

#include <QString>

#include <vector>

namespace resutil {
class ResStrings;
}

namespace exchange {

// One cell of a text table: empty, a number or a text. Texts are always
// literal: the table formats keep them texts whatever they look like.
struct GridCell {
    enum class Kind : unsigned char { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;

    static GridCell ofNumber(double n) { return GridCell{Kind::Number, n, QString()}; }
    // No text is no cell: the formats write nothing for it.
    static GridCell ofText(QString t) { return t.isEmpty() ? GridCell() : GridCell{Kind::Text, 0, std::move(t)}; }
};

// A sheet of the table formats (.ods, CSV): rows of cells, from row 1 and
// column 1, each row as long as its last cell.
struct Grid {
    QString name;
    std::vector<std::vector<GridCell>> rows;

    void set(int row, int column, GridCell cell);
    const GridCell *find(int row, int column) const;
    int columnCount() const;
};

// The most body cells a table import takes, as for workbooks.
inline constexpr qint64 MaxGridCells = ExcelTransfer::MaxImportCells;
// The most cells a table file may hold, as a workbook file may (empty cells
// at the end of a row are not kept), and the rows and columns of a sheet.
inline constexpr qint64 MaxStoredGridCells = 4'000'000;
inline constexpr qint64 MaxGridRows = 1'048'576;
inline constexpr qint64 MaxGridColumns = 16'384;

// The workbook export's layout, as a grid: row 1 the language names, row 2
// the locale IDs from column 2 on, column 1 the string IDs from row 3 on,
// rows and columns in order of first occurrence.
Grid layoutStrings(const resutil::ResStrings &strings, const ExcelTransfer::LanguageNamer &languageName,
                   TransferFeedback &feedback);

// The workbook import's reading of that layout, over the grid's used range:
// the same conversions, the same messages, the same failures.
qm::Result<std::vector<ExcelTransfer::ImportedString>> readLayout(const Grid &grid, TransferFeedback &feedback);

} // namespace exchange
