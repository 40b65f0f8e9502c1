#include "platform/excel/biff/XlsParts.h"
#include "platform/excel/biff/BiffRecords.h"

#include <cstring>

// A sheet's BIFF8 substream: the records of a new sheet, as a new file and a
// sheet streamed on its own write them.
namespace excel::backend {

namespace {

using biff::SstWriter;

// A cell record: type, length, row, column, XF; the value follows.
void cellHeader(ByteSink &out, unsigned type, unsigned length, int row, int column, int xf)
{
    out.le16(type);
    out.le16(length);
    out.le16(unsigned(row));
    out.le16(unsigned(column));
    out.le16(unsigned(xf));
}

} // namespace

void appendSheetHead(ByteSink &out, const Worksheet &sheet, const SheetData::Bounds &b, int xfBase)
{
    out << biff::bof(biff::Sheet) << biff::defColWidth();
    if (sheet.defaultXf() != 0)
        out << biff::colInfoAll(int(sheet.defaultXf()) + xfBase);
    out << (b.empty() ? biff::dimensions(0, 0, 0, 0) : biff::dimensions(b.firstRow - 1, b.lastRow, b.firstColumn - 1, b.lastColumn));
}

void appendCellRecord(ByteSink &out, const Worksheet &sheet, int r, const Cell &c, SstWriter &sst, int xfBase)
{
    const int row = r - 1, column = c.column - 1, xf = int(c.xf) + xfBase;
    switch (c.value.type()) {
    case Value::Type::Empty:
        if (c.xf != sheet.defaultXf())
            cellHeader(out, 0x0201, 6, row, column, xf); // BLANK
        break;
    case Value::Type::Number: {
        cellHeader(out, 0x0203, 14, row, column, xf); // NUMBER
        std::uint64_t bits;
        const double number = c.value.number();
        std::memcpy(&bits, &number, sizeof bits);
        out.le32(std::uint32_t(bits));
        out.le32(std::uint32_t(bits >> 32));
        break;
    }
    case Value::Type::Text:
        cellHeader(out, 0x00FD, 10, row, column, xf); // LABELSST
        out.le32(sst.index(c.value.text()));
        break;
    case Value::Type::Bool:
    case Value::Type::Error: {
        const bool error = c.value.isError();
        cellHeader(out, 0x0205, 8, row, column, xf); // BOOLERR
        out << char(error ? int(c.value.errorCode()) : c.value.toBool() ? 1 : 0) << char(error ? 1 : 0);
        break;
    }
    }
}

void appendSheetEnd(ByteSink &out, bool selected)
{
    out << biff::window2(selected) << biff::eof();
}

QByteArray sheetStream(const Worksheet &sheet, SstWriter &sst, bool selected, int xfBase)
{
    const SheetData &data = sheet.data();
    ByteSink out(qsizetype(data.cellCount()) * 14 + 1024);
    appendSheetHead(out, sheet, data.bounds(sheet.defaultXf()), xfBase);
    for (int r = 1; r <= data.rowCount(); ++r)
        for (const Cell &c : data.row(r))
            appendCellRecord(out, sheet, r, c, sst, xfBase);
    appendSheetEnd(out, selected);
    return out.take();
}

} // namespace excel::backend
