#include "platform/excel/model/Worksheet.h"

#include "platform/excel/model/Workbook.h"

namespace excel {

qm::Status Worksheet::SetName(const QString &name)
{
    auto refuse = [&](const QString &why) {
        return qm::makeError(QStringLiteral("The sheet name \"%1\" cannot be used: %2").arg(name, why));
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("a sheet name cannot be empty"));
    if (name.size() > 31)
        return refuse(QStringLiteral("it has %1 characters and a sheet name at most 31").arg(name.size()));
    for (QChar c : QStringLiteral(":\\/?*[]"))
        if (name.contains(c))
            return refuse(QStringLiteral("a sheet name cannot contain %1").arg(c));
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        return refuse(QStringLiteral("a sheet name cannot begin or end with an apostrophe"));
    for (QChar c : name)
        if (c.unicode() < 0x20)
            return refuse(QStringLiteral("a sheet name cannot contain control characters"));
    Worksheet *other = m_book.Worksheets().find(name);
    if (other && other != this)
        return refuse(QStringLiteral("the workbook already has a sheet \"%1\"").arg(other->Name()));
    m_name = name;
    return {};
}

Range Worksheet::UsedRange() const
{
    const SheetData::Bounds b = m_data.bounds(m_defaultXf);
    if (b.empty())
        return Range(this, 1, 1, 1, 1);
    return Range(this, b.firstRow, b.firstColumn, b.lastRow - b.firstRow + 1, b.lastColumn - b.firstColumn + 1);
}

} // namespace excel
