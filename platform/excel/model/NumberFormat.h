#pragma once

#include <QString>

namespace excel {

// The format code of a built-in number format id (0 to 49); empty for none.
QString builtInNumberFormat(int id);

// A number as a cell with that format code displays it: General, digit
// placeholders (0 # ?), decimals, thousands separators, scaling commas,
// percent, exponents, literal texts, sections for negative numbers and zero,
// and dates and times (serial numbers of the 1900 or 1904 date system).
// Fractions are shown as General.
QString formatNumber(double value, const QString &code, bool date1904 = false);

// General: up to 11 characters, switching to scientific notation as Excel does.
QString formatGeneral(double value);

} // namespace excel
