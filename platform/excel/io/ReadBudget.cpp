#include "platform/excel/io/ReadBudget.h"

namespace excel::backend {

qint64 scaledToFile(qint64 limit, qint64 fileBytes)
{
    const qint64 base = ReadLimits::current().fileBytes;
    if (fileBytes <= base)
        return limit;
    return qint64((__int128(limit) * fileBytes) / base);
}

ReadLimits &ReadLimits::current()
{
    static ReadLimits limits;
    return limits;
}

ReadLimits ReadLimits::forFile(qint64 fileBytes)
{
    ReadLimits limits = current();
    for (qint64 *limit : {&limits.cells, &limits.sharedStrings, &limits.textUnits, &limits.sheets,
                          &limits.relationships, &limits.cellFormats})
        *limit = scaledToFile(*limit, fileBytes);
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
    if (m_cells > m_limits.cells)
        return qm::makeError(pastLimit(QStringLiteral("cells"), m_limits.cells));
    return {};
}

qm::Status ReadBudget::addSharedString(qint64 textUnits)
{
    if (++m_strings > m_limits.sharedStrings)
        return qm::makeError(pastLimit(QStringLiteral("shared strings"), m_limits.sharedStrings));
    return addText(textUnits);
}

qm::Status ReadBudget::addText(qint64 units)
{
    m_text += units;
    if (m_text > m_limits.textUnits)
        return qm::makeError(pastLimit(QStringLiteral("characters of text"), m_limits.textUnits));
    return {};
}

} // namespace excel::backend
