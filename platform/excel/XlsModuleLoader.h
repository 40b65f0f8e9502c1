#pragma once

#include "platform/common/Result.h"
#include "platform/excel/biff/XlsModule.h"

#include <QString>

namespace excel::backend {

// The .xls module, loaded from the folder of this library the first time it
// is asked for. A module that cannot be loaded is an error naming its file and
// the system loader's reason; it is tried again the next time.
qm::Result<const XlsModule *> xlsModule();
// The back end for the registry of formats (see installLoader).
qm::Result<FormatBackEnd> loadXlsBackEnd();

// For tests: the folder the module is looked for in until it has loaded;
// empty for this library's own.
void setXlsModuleFolder(const QString &folder);

} // namespace excel::backend
