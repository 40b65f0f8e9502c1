#include "platform/excel/model/Range.h"

#include "platform/excel/model/Worksheet.h"

namespace excel {

excel::Value Range::Value(int row, int column) const
{
    return m_sheet->Cells().Value(m_row + row - 1, m_column + column - 1);
}

QString Range::Text(int row, int column) const
{
    return m_sheet->Cells().Text(m_row + row - 1, m_column + column - 1);
}

} // namespace excel
