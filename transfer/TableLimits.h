#pragma once

#include "platform/excel/model/Workbook.h"
#include "transfer/UiText.h"

#include <QString>

namespace resutil {
class ResStrings;
}

namespace ExcelTransfer {

// The rows and columns an export fills: two header rows and a row per string
// ID, the ID column and a column per language.
struct TableSize {
    qint64 rows = 0;
    qint64 columns = 0;
};
TableSize exportedSize(const resutil::ResStrings &strings);

// The most rows and columns a worksheet of a format holds, and the format's
// name as the user knows it (its file name extension).
struct SheetLimits {
    qint64 rows = 0;
    qint64 columns = 0;
    QString name;
};
SheetLimits limitsOf(excel::FileFormat format);

// The format a save keeps for a workbook (for a new one, the format its name gives).
excel::FileFormat formatOf(const excel::Workbook &book);

// Empty when the table fits a worksheet of the format; otherwise a message
// that names the table's size, the format's limits and the format that can
// hold the table.
QString tableDoesNotFit(TableSize size, excel::FileFormat format);
// The same message as its UI strings: none when the table fits.
QList<UiText> tableDoesNotFitTexts(TableSize size, excel::FileFormat format);

} // namespace ExcelTransfer
