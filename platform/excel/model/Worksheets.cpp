#include "platform/excel/model/Worksheets.h"

#include "platform/excel/model/Workbook.h"

namespace excel {

qm::Result<Worksheet *> Worksheets::Item(int index) const
{
    if (index < 1 || index > Count())
        return qm::makeError(QStringLiteral("The workbook has no sheet %1 (it has %2)").arg(index).arg(Count()));
    Worksheet *sheet = m_sheets[size_t(index - 1)].get();
    if (auto read = m_book.loadSheet(*sheet); !read)
        return read.error();
    return sheet;
}

qm::Result<Worksheet *> Worksheets::Item(const QString &name) const
{
    if (Worksheet *sheet = find(name)) {
        if (auto read = m_book.loadSheet(*sheet); !read)
            return read.error();
        return sheet;
    }
    return qm::makeError(QStringLiteral("The workbook has no sheet named \"%1\"").arg(name));
}

qm::Result<Worksheet *> Worksheets::Add()
{
    for (int n = Count() + 1;; ++n) {
        const QString name = QStringLiteral("Sheet%1").arg(n);
        if (!find(name)) {
            Worksheet &sheet = append(name);
            sheet.setModified();
            return &sheet;
        }
    }
}

QStringList Worksheets::Names() const
{
    QStringList names;
    for (const auto &sheet : m_sheets)
        names << sheet->Name();
    return names;
}

Worksheet &Worksheets::append(const QString &name)
{
    m_sheets.push_back(std::make_unique<Worksheet>(m_book, name));
    return *m_sheets.back();
}

Worksheet *Worksheets::find(const QString &name) const
{
    for (const auto &sheet : m_sheets)
        if (sheet->Name().compare(name, Qt::CaseInsensitive) == 0)
            return sheet.get();
    return nullptr;
}

} // namespace excel
