#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Worksheet.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace excel {

class Workbook;

// The worksheets of a workbook, in workbook order. Pointers stay valid for
// the workbook's life.
class Worksheets {
public:
    explicit Worksheets(Workbook &book) : m_book(book) {}

    int Count() const { return int(m_sheets.size()); }
    // Worksheets(i), from 1. A sheet of a file is read here, the first time
    // it is asked for; a sheet that cannot be read fails with the reason.
    qm::Result<Worksheet *> Item(int index) const;
    // Worksheets.Item(Name): letter case is ignored, as in Excel. Fails when
    // the workbook has no sheet of that name or the sheet cannot be read.
    qm::Result<Worksheet *> Item(const QString &name) const;
    // The sheet names in order, without reading any sheet.
    QStringList Names() const;
    // A new, empty sheet named "SheetN" after the last sheet.
    qm::Result<Worksheet *> Add();

    // For the file back ends.
    // These give sheets as they are, read or not.
    Worksheet &append(const QString &name);
    Worksheet *find(const QString &name) const;
    Worksheet *at(int index) const { return m_sheets[size_t(index - 1)].get(); }

private:
    Workbook &m_book;
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
};

} // namespace excel
