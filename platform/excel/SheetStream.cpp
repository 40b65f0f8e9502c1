#include "platform/excel/SheetStream.h"

#include "platform/excel/xlsx/Xlsx.h"
#include "platform/excel/io/ByteSink.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/io/DeflateStream.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/excel/biff/XlsParts.h"
#include "platform/excel/xlsx/XlsxParts.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace excel {

namespace {
// The markup gathered before it goes to the compressor, which gathers its own
// pieces: a quarter of one keeps the calls few and holds little twice.
constexpr std::size_t kHandOverAt = std::size_t(64) << 10;
} // namespace

struct SheetStream::Private {
    explicit Private(Worksheet &sheet) : sheet(sheet) {}
    ~Private()
    {
        if (spillFd >= 0)
            ::close(spillFd);
    }
    Worksheet &sheet;
    backend::ByteSink out{qsizetype(kHandOverAt) + 4096};
    backend::DeflateStream deflate;
    // .xls: the records so far (in a temporary file where there is one) and the texts.
    bool biff = false;
    std::shared_ptr<backend::biff::SstWriter> strings;
    int spillFd = -1;
    QByteArray records;
    qint64 recordsSize = 0;
    int spillError = 0;
    std::vector<QByteArray> columnNames;
    int lastRow = 0, lastColumn = 0;
    int row = 0, column = 0; // the last cell given
    int openRow = 0;         // the row whose element is open, 0 for none
    bool finished = false;

    void handOver()
    {
        if (biff)
            keepRecords();
        else
            deflate.write(out.data(), out.size());
        out.clear();
    }
    void keepRecords()
    {
        recordsSize += qint64(out.size());
        if (spillFd < 0) {
            records.append(out.data(), qsizetype(out.size()));
            return;
        }
        for (std::size_t done = 0; done < out.size() && spillError == 0;) {
            const ssize_t n = ::write(spillFd, out.data() + done, out.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                spillError = n < 0 ? errno : ENOSPC;
            else
                done += std::size_t(n);
        }
    }
    // The string table the workbook's other streamed .xls sheets use, or a new one.
    std::shared_ptr<backend::biff::SstWriter> sharedStrings(qsizetype expected) const
    {
        const Worksheets &sheets = sheet.Parent().Worksheets();
        for (int i = 1; i <= sheets.Count(); ++i)
            if (const auto &part = sheets.at(i)->streamedPart; part && part->biff)
                return part->strings;
        return std::make_shared<backend::biff::SstWriter>(expected);
    }
};

SheetStream::SheetStream(Worksheet &sheet, int lastRow, int lastColumn, FileFormat format)
    : d(std::make_unique<Private>(sheet))
{
    d->lastRow = lastRow;
    d->lastColumn = lastColumn;
    SheetData::Bounds bounds;
    if (lastRow > 0 && lastColumn > 0)
        bounds = SheetData::Bounds{1, 1, lastRow, lastColumn};
    if (format == FileFormat::Xls) {
        d->biff = true;
        d->strings = d->sharedStrings(qsizetype(lastRow) * lastColumn);
        d->spillFd = backend::unnamedTemporaryFile(); // where none can be made, the records stay in memory
        backend::appendSheetHead(d->out, sheet, bounds, backend::OwnStyleXfs);
        return;
    }
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
    if (d->biff && (row > XlsMaxRows || column > XlsMaxColumns))
        return qm::makeError(QStringLiteral("sheet \"%1\" uses cell %2, but an .xls sheet has at most %3 rows and %4 columns")
                                 .arg(d->sheet.Name(), backend::cellName(row, column), QString::number(XlsMaxRows),
                                      QString::number(XlsMaxColumns)));
    d->row = row;
    d->column = column;
    const std::uint32_t xf = withQuotePrefix(d->sheet.Parent().formats(), d->sheet.defaultXf(), prefix);
    if (stored.isEmpty() && xf == d->sheet.defaultXf())
        return {};
    backend::ByteSink &out = d->out;
    if (d->biff) {
        backend::appendCellRecord(out, d->sheet, row, Cell{column, xf, stored}, *d->strings, backend::OwnStyleXfs);
        if (out.size() >= kHandOverAt)
            d->handOver();
        return {};
    }
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
    if (d->biff)
        return finishRecords();
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

qm::Status SheetStream::finishRecords()
{
    const bool first = d->sheet.Parent().Worksheets().at(1) == &d->sheet;
    backend::appendSheetEnd(d->out, first);
    d->handOver();
    // The strings fill the temporary folder first: theirs is the first failure.
    if (const QString problem = d->strings->problem(); !problem.isEmpty())
        return qm::makeError(QStringLiteral("Sheet \"%1\": %2").arg(d->sheet.Name(), problem));
    if (d->spillError != 0)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its records cannot be kept in a temporary file (%2)")
                                 .arg(d->sheet.Name(), QString::fromLocal8Bit(std::strerror(d->spillError))));
    auto part = std::make_shared<StreamedPart>();
    part->biff = true;
    part->strings = d->strings;
    part->size = std::uint64_t(d->recordsSize);
    if (d->spillFd >= 0) {
        part->spilled = std::make_shared<const backend::SpilledStream>(d->spillFd, d->recordsSize);
        d->spillFd = -1;
    } else {
        part->deflated = std::move(d->records);
    }
    d->sheet.data().clear();
    d->sheet.streamedPart = std::move(part);
    d->sheet.setModified();
    return {};
}

} // namespace excel
