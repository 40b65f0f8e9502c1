#pragma once

#include <QString>

namespace ExcelTransfer {

// The system's name for a locale as the export writes it into row 1;
// empty when the system has none.
QString languageName(qint32 localeId);

} // namespace ExcelTransfer
