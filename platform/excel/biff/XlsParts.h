#pragma once

#include "platform/common/AtomicFile.h"
#include "platform/common/Result.h"
#include "platform/excel/io/ByteSink.h"
#include "platform/excel/biff/BiffSstWriter.h"
#include "platform/excel/model/Workbook.h"

#include <QByteArray>

// The pieces of the .xls writer that a new file, an updated one and a sheet
// streamed on its own share.
namespace excel::backend {

// A new file has this many style formats ahead of the cell formats.
constexpr int OwnStyleXfs = 15;

// The start of a sheet's substream, up to its first cell: the rows and
// columns of `bounds` are the extent it declares.
void appendSheetHead(ByteSink &out, const Worksheet &sheet, const SheetData::Bounds &bounds, int xfBase);
// One cell's record; none for an empty cell of the sheet's own format.
void appendCellRecord(ByteSink &out, const Worksheet &sheet, int row, const Cell &cell, biff::SstWriter &sst, int xfBase);
// The end of a sheet's substream.
void appendSheetEnd(ByteSink &out, bool selected);
// The sheet's substream; cell format i of the table is the file's XF xfBase + i.
QByteArray sheetStream(const Worksheet &sheet, biff::SstWriter &sst, bool selected, int xfBase);
// The OLE2 file around a workbook stream. Every other stream and storage of
// `source` (an .xls file, or empty) is copied into it as it is. The .xls
// module makes it (loaded for it if it is not yet).
qm::Result<QByteArray> oleFile(const QByteArray &stream, const QByteArray &source);

} // namespace excel::backend
