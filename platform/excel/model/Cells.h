#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Value.h"

#include <QString>

#include <cstdint>

namespace excel {

class CellFormatTable;
class Workbook;
class Worksheet;

// What Cells::Set stores for `value` at (row, column) of `sheet`: the value,
// and whether its text carries the quote prefix. Fails as Set does.
qm::Status storedValue(const Worksheet &sheet, int row, int column, const excel::Value &value, excel::Value *stored,
                       bool *quotePrefix);
// The format like `xf` with or without the quote prefix.
std::uint32_t withQuotePrefix(CellFormatTable &formats, std::uint32_t xf, bool quotePrefix);

// A cell's value as it is displayed with the cell format `xf` of `book`: what Cells::Text gives.
QString displayedText(const Workbook &book, const excel::Value &value, std::uint32_t xf);

// All cells of a worksheet (Worksheet.Cells). Rows and columns count from 1.
class Cells {
public:
    explicit Cells(Worksheet &sheet) : m_sheet(sheet) {}

    // Removes all contents and formats of the sheet.
    void Clear();
    // Sets the horizontal alignment of every cell: xlLeft or xlGeneral.
    qm::Status SetHorizontalAlignment(int alignment);

    // Cells(row, column) = value. A text is stored as a text, never read as a
    // number, date or formula; a text starting with an apostrophe is stored
    // without it, as a literal text with the quote prefix, as Excel does. An
    // empty text empties the cell. Refuses a text longer than MaxTextLength
    // and a position outside the sheet's format (checked again when saving).
    qm::Status Set(int row, int column, const excel::Value &value);

    // The stored value; Empty for a cell without one.
    excel::Value Value(int row, int column) const;
    // The cell as it is displayed: a literal text without its apostrophe, a
    // number in its number format.
    QString Text(int row, int column) const;

private:
    Worksheet &m_sheet;
};

} // namespace excel
