#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Workbook.h"

#include <QString>

#include <memory>
#include <vector>

namespace excel {

// The workbooks an application holds. Pointers stay valid until Quit.
class Workbooks {
public:
    // Reads a workbook; the format is taken from the content (.xlsx or
    // BIFF8 .xls), not from the name. A broken or hostile file gives a clear
    // message and nothing else.
    qm::Result<Workbook *> Open(const QString &fileName);
    // Workbooks.Add(xlWBATWorksheet): a new workbook with the one sheet "Sheet1".
    qm::Result<Workbook *> Add(int templateKind);
    int Count() const { return int(m_books.size()); }
    void closeAll() { m_books.clear(); }

private:
    std::vector<std::unique_ptr<Workbook>> m_books;
};

} // namespace excel
