#include "platform/excel/Application.h"
#include "platform/excel/XlsModuleLoader.h"
#include "platform/excel/xlsx/Xlsx.h"

#include <expat.h>
#include <zip.h>

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
    // The XML and zip libraries must be usable before anything is promised.
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser)
        return qm::makeError(QStringLiteral("The workbook back end cannot start: the XML parser cannot be created"));
    XML_ParserFree(parser);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *probe = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!probe)
        return qm::makeError(QStringLiteral("The workbook back end cannot start: the zip library cannot be used"));
    zip_source_free(probe);
    return std::unique_ptr<Application>(new Application);
}

Application::~Application() = default;

void Application::Quit()
{
    m_books.closeAll();
}

} // namespace excel
