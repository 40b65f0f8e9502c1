#pragma once

#include "platform/excel/model/Value.h"

#include <QString>

namespace excel {

class Worksheet;

// A rectangle of a worksheet, as UsedRange gives it. Row and column numbers
// of Value and Text count from 1 at the range's top left cell.
class Range {
public:
    Range(const Worksheet *sheet, int row, int column, int rows, int columns)
        : m_sheet(sheet), m_row(row), m_column(column), m_rows(rows), m_columns(columns) {}

    // The sheet position of the top left cell.
    int Row() const { return m_row; }
    int Column() const { return m_column; }
    // Rows.Count and Columns.Count.
    int RowsCount() const { return m_rows; }
    int ColumnsCount() const { return m_columns; }

    excel::Value Value(int row, int column) const;
    QString Text(int row, int column) const;

private:
    const Worksheet *m_sheet;
    int m_row, m_column, m_rows, m_columns;
};

} // namespace excel
