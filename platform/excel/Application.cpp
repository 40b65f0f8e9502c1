#include "platform/excel/Application.h"
#include "platform/excel/XlsModuleLoader.h"
#include "platform/excel/xlsx/Xlsx.h"

#include <expat.h>

#include <mutex>

namespace excel {

qm::Result<std::unique_ptr<Application>> Application::Create()
{
    if (!qEnvironmentVariableIsEmpty("QM_EXCEL_UNAVAILABLE"))
        return qm::makeError(QStringLiteral("The workbook back end is switched off (QM_EXCEL_UNAVAILABLE is set)"));
    static std::once_flag backEndsReady;
    std::call_once(backEndsReady, [] {
        backend::install(FileFormat::Xlsx,
                         {backend::readXlsx, backend::writeXlsx, backend::relinkXlsx, backend::writeNewXlsx});
        // The .xls back end is a module of its own, loaded with the first .xls file.
        backend::installLoader(FileFormat::Xls, backend::loadXlsBackEnd);
    });
    // The XML library must be usable before anything is promised; libzip is
    // loaded by the first archive read, which says so if it cannot be.
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser)
        return qm::makeError(QStringLiteral("The workbook back end cannot start: the XML parser cannot be created"));
    XML_ParserFree(parser);
    return std::unique_ptr<Application>(new Application);
}

Application::~Application() = default;

void Application::Quit()
{
    m_books.closeAll();
}

} // namespace excel
