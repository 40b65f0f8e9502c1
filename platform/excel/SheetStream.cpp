#include "platform/excel/SheetStream.h"

#include "platform/excel/Backends.h"
#include "platform/excel/ByteSink.h"
#include "platform/excel/Cells.h"
#include "platform/excel/DeflateStream.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsxParts.h"

#include <vector>

namespace excel {

namespace {
// The markup gathered before it goes to the compressor.
constexpr std::size_t kHandOverAt = std::size_t(256) << 10;
} // namespace

struct SheetStream::Private {
    explicit Private(Worksheet &sheet) : sheet(sheet) {}
    Worksheet &sheet;
    backend::ByteSink out{qsizetype(kHandOverAt) + 4096};
    backend::DeflateStream deflate;
    std::vector<QByteArray> columnNames;
    int lastRow = 0, lastColumn = 0;
    int row = 0, column = 0; // the last cell given
    int openRow = 0;         // the row whose element is open, 0 for none
    bool finished = false;

    void handOver()
    {
        deflate.write(out.data(), out.size());
        out.clear();
    }
};

SheetStream::SheetStream(Worksheet &sheet, int lastRow, int lastColumn) : d(std::make_unique<Private>(sheet))
{
    d->lastRow = lastRow;
    d->lastColumn = lastColumn;
    SheetData::Bounds bounds;
    if (lastRow > 0 && lastColumn > 0)
        bounds = SheetData::Bounds{1, 1, lastRow, lastColumn};
    d->deflate.keepOnDisk(); // a sheet's part can be many times the memory the rest needs
    const bool first = sheet.Parent().Worksheets().Count() > 0 && sheet.Parent().Worksheets().at(1) == &sheet;
    backend::appendSheetStart(d->out, sheet, bounds, first);
}

SheetStream::~SheetStream() = default;

qm::Status SheetStream::Set(int row, int column, const Value &value)
{
    if (d->finished)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its cells are all written already").arg(d->sheet.Name()));
    Value stored;
    bool prefix = false;
    if (auto checked = storedValue(d->sheet, row, column, value, &stored, &prefix); !checked)
        return checked;
    if (row < d->row || (row == d->row && column <= d->column) || row > d->lastRow || column > d->lastColumn)
        return qm::makeError(QStringLiteral("Sheet \"%1\": cell %2 comes out of order or outside rows 1 to %3 and "
                                            "columns 1 to %4; a sheet written as a stream takes its cells in order")
                                 .arg(d->sheet.Name(), backend::cellName(row, column), QString::number(d->lastRow),
                                      QString::number(d->lastColumn)));
    d->row = row;
    d->column = column;
    const std::uint32_t xf = withQuotePrefix(d->sheet.Parent().formats(), d->sheet.defaultXf(), prefix);
    if (stored.isEmpty() && xf == d->sheet.defaultXf())
        return {};
    backend::ByteSink &out = d->out;
    if (d->openRow != row) {
        if (d->openRow != 0)
            out << "</row>";
        out << "<row r=\"";
        out.appendInt(row);
        out << "\">";
        d->openRow = row;
    }
    while (d->columnNames.size() < std::size_t(column))
        d->columnNames.push_back(backend::columnName(int(d->columnNames.size()) + 1));
    backend::appendCell(out, d->columnNames[std::size_t(column - 1)], row, Cell{column, xf, stored}, nullptr);
    if (out.size() >= kHandOverAt)
        d->handOver();
    return {};
}

qm::Status SheetStream::finish()
{
    if (d->finished)
        return {};
    d->finished = true;
    if (d->openRow != 0)
        d->out << "</row>";
    d->out << backend::SheetEnd;
    d->handOver();
    if (!d->deflate.finish())
        return qm::makeError(QStringLiteral("Sheet \"%1\": its part cannot be compressed (%2)").arg(d->sheet.Name(), d->deflate.problem()));
    auto part = std::make_shared<StreamedPart>();
    part->deflated = d->deflate.takeStream();
    part->spilled = d->deflate.takeSpilled();
    part->size = d->deflate.size();
    part->crc = d->deflate.crc();
    d->sheet.data().clear();
    d->sheet.streamedPart = std::move(part);
    d->sheet.setModified();
    return {};
}

} // namespace excel
