#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Value.h"

#include <QString>

namespace ExcelTransfer {

// A cell's value as a 32-bit integer, as the import reads locale and string
// IDs: a number rounds to the nearest integer (halves to the even one), a
// text holding a number is converted, an empty cell gives 0. Anything else
// fails with a sentence saying what the cell holds.
qm::Result<qint32> toLong(const excel::Value &value);

// A text whose first character is an apostrophe or an equals sign gets one
// apostrophe in front, so the spreadsheet stores it as a literal text.
QString applyApostropheRule(const QString &text);

// "B7" for row 7, column 2 (both from 1).
QString cellAddress(int row, int column);

} // namespace ExcelTransfer
