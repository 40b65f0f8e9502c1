#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Workbooks.h"

#include <memory>

namespace excel {

// The stand-in for "Excel.Application": works on .xlsx and .xls files
// directly. Never visible.
class Application {
public:
    // Starts the back end; fails, like CreateObject("Excel.Application")
    // without Excel, when it cannot initialise its file libraries (or when
    // QM_EXCEL_UNAVAILABLE is set, to try that case).
    static qm::Result<std::unique_ptr<Application>> Create();
    ~Application();

    excel::Workbooks &Workbooks() { return m_books; }
    // Releases every workbook without saving. Idempotent.
    void Quit();

private:
    Application() = default;
    excel::Workbooks m_books;
};

} // namespace excel
