#pragma once

#include "transfer/ExcelImport.h"
#include "platform/excel/model/Value.h"

namespace ExcelTransfer {

// The used range of a sheet as the import reads it; rows and columns count
// from 1 at its top left cell.
class ImportTable {
public:
    virtual ~ImportTable() = default;
    // A cell of the header rows or the ID column.
    virtual excel::Value value(int row, int column) const = 0;
    // The displayed text of a cell of the first row.
    virtual QString text(int row, int column) const = 0;
    // Hands the body cell's entry to `sink`; false when its text cannot be
    // read (the entry then gets an empty text).
    virtual bool addBody(StringSink &sink, qint32 localeId, qint32 id, int row, int column) const = 0;
    // Once, right after StringSink::expect.
    virtual void handOver(StringSink &sink) { Q_UNUSED(sink); }
    // After the last body cell of a column was asked for: none is asked for again.
    virtual void columnRead(int column) { Q_UNUSED(column); }
};

struct TablePlace {
    QString sheetName;
    int row = 1, column = 1, rows = 1, columns = 1; // of the used range
    qint64 bodyCells() const { return qint64(columns - 1) * qint64(rows - 2); }
};

// The refusal of a used range too large or too small to import, if it is one.
qm::Status checkTablePlace(const TablePlace &place);

// Reads the entries of the table column by column into `sink`, as
// readStringsInto describes.
qm::Status readTable(const TablePlace &place, ImportTable &table, TransferFeedback &feedback, StringSink &sink);

} // namespace ExcelTransfer
