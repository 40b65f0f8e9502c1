#include "platform/excel/model/CellFormat.h"

#include "platform/excel/model/NumberFormat.h"

namespace excel {

std::uint32_t CellFormatTable::find(const CellFormat &format)
{
    for (std::uint32_t i = 0; i < m_formats.size(); ++i)
        if (m_formats[i] == format)
            return i;
    m_formats.push_back(format);
    return std::uint32_t(m_formats.size() - 1);
}

QString CellFormatTable::numFmtCode(int id) const
{
    auto it = numFmts.find(id);
    if (it != numFmts.end())
        return it->second;
    return builtInNumberFormat(id);
}

} // namespace excel
