#include "platform/excel/biff/XlsModule.h"
#include "platform/excel/xls/GsfLog.h"
#include "platform/excel/xls/Xls.h"

#include <gsf/gsf-utils.h>

// The module's only exported symbol (see XlsModule.h for the name).
extern "C" __attribute__((visibility("default"))) const excel::backend::XlsModule *qm_excel_xls_module_v1()
{
    using namespace excel;
    using namespace excel::backend;
    // libgsf and GLib's log handler are set up once, before any libgsf call.
    static const XlsModule module = [] {
        routeGsfLog();
        gsf_init();
        return XlsModule{{readXls, [](Workbook &book) { return writeXls(book); },
                          [](Workbook &book) {
                              relinkXls(book);
                              return qm::Status();
                          },
                          writeNewXls},
                         oleContainer};
    }();
    return &module;
}
