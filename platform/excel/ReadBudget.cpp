#include "platform/excel/ReadBudget.h"

namespace excel::backend {

ReadLimits &ReadLimits::current()
{
    static ReadLimits limits;
    return limits;
}

QString pastLimit(const QString &what, qint64 limit)
{
    return QStringLiteral("the workbook holds more than %1 %2, the most one file may hold to be read; it is not read")
        .arg(limit)
        .arg(what);
}

qm::Status ReadBudget::addCells(qint64 n)
{
    m_cells += n;
    if (m_cells > ReadLimits::current().cells)
        return qm::makeError(pastLimit(QStringLiteral("cells"), ReadLimits::current().cells));
    return {};
}

qm::Status ReadBudget::addSharedString(qint64 textUnits)
{
    if (++m_strings > ReadLimits::current().sharedStrings)
        return qm::makeError(pastLimit(QStringLiteral("shared strings"), ReadLimits::current().sharedStrings));
    return addText(textUnits);
}

qm::Status ReadBudget::addText(qint64 units)
{
    m_text += units;
    if (m_text > ReadLimits::current().textUnits)
        return qm::makeError(pastLimit(QStringLiteral("characters of text"), ReadLimits::current().textUnits));
    return {};
}

} // namespace excel::backend
