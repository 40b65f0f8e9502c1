#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/Value.h"
#include "platform/excel/model/Workbook.h"

#include <memory>

namespace excel {

class Worksheet;

// Writes the cells of a new sheet straight into its .xlsx part, deflated as
// it grows, instead of holding them: memory then follows the compressed
// part, not the cells. Cells come row by row, rows ascending and within a
// row columns ascending, each by the rules of Cells::Set; `lastRow` and
// `lastColumn` bound the cells given (the extent the part declares).
// finish() gives the part to the sheet, and saving its workbook as a new
// .xlsx file writes it; the sheet itself holds no cells. For a new .xls file
// the part is the sheet's BIFF8 records (kept in a temporary file) and its
// texts go into the shared string table of the workbook's streamed sheets.
class SheetStream {
public:
    SheetStream(Worksheet &sheet, int lastRow, int lastColumn, FileFormat format = FileFormat::Xlsx);
    ~SheetStream();

    qm::Status Set(int row, int column, const Value &value);
    qm::Status finish();

private:
    qm::Status finishRecords();
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace excel
