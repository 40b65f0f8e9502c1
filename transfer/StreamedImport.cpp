#include "transfer/ExcelImport.h"

#include "transfer/ImportTable.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/SheetData.h"
#include "platform/excel/model/SheetSource.h"
#include "platform/excel/model/StoredValue.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/LargeAllocation.h"

#include <vector>

namespace ExcelTransfer {

namespace {

// The used range as the sheet would give it: cells with a value or a format
// of their own.
class ExtentPass : public excel::CellVisitor {
public:
    void defaultFormat(std::uint32_t xf) override { m_defaultXf = xf; }
    void cell(int row, int column, const excel::Value &value, std::uint32_t xf) override
    {
        if (value.isEmpty() && xf == m_defaultXf)
            return;
        if (bounds.empty()) {
            bounds = excel::SheetData::Bounds{row, column, row, column};
            return;
        }
        bounds.lastRow = row;
        bounds.firstColumn = std::min(bounds.firstColumn, column);
        bounds.lastColumn = std::max(bounds.lastColumn, column);
    }
    excel::SheetData::Bounds bounds;

private:
    std::uint32_t m_defaultXf = 0;
};

// The cells of the used range the import reads: the header rows and the ID
// column as values, the body as texts in one buffer, each followed by a null.
class TablePass : public excel::CellVisitor, public ImportTable {
public:
    TablePass(const excel::Workbook &book, const TablePlace &place)
        : m_book(book), m_place(place), m_names(size_t(place.columns) + 1), m_locales(size_t(place.columns) + 1),
          m_ids(size_t(place.rows) + 1), m_body(size_t(place.bodyCells()), Absent)
    {
        resutil::adviseHugePages(m_body.data(), m_body.size() * sizeof(quint64));
        m_buffer.append(QChar(0)); // where the empty texts lie
    }

    void defaultFormat(std::uint32_t) override {}
    void cell(int sheetRow, int sheetColumn, const excel::Value &value, std::uint32_t xf) override
    {
        const int row = sheetRow - m_place.row + 1;
        const int column = sheetColumn - m_place.column + 1;
        if (row < 1 || column < 1 || row > m_place.rows || column > m_place.columns)
            return;
        if (column == 1) {
            m_ids[size_t(row)] = value;
        } else if (row == 1) {
            m_names[size_t(column)] = excel::displayedText(m_book, value, xf);
        } else if (row == 2) {
            m_locales[size_t(column)] = value;
        } else {
            const QString text = excel::displayedText(m_book, value, xf);
            if (text.size() > 0xFFFF) {
                tooLong = true;
                return;
            }
            m_body[index(row, column)] = quint64(m_buffer.size()) << 16 | quint64(text.size());
            m_buffer.append(text);
            m_buffer.append(QChar(0));
        }
    }

    void handOver(StringSink &sink) override
    {
        m_buffer.squeeze();
        sink.adoptTexts(m_buffer);
    }

    excel::Value value(int row, int column) const override
    {
        return column == 1 ? excel::Value(m_ids[size_t(row)]) : excel::Value(m_locales[size_t(column)]);
    }
    QString text(int, int column) const override { return m_names[size_t(column)]; }
    bool addBody(StringSink &sink, qint32 localeId, qint32 id, int row, int column) const override
    {
        const quint64 place = m_body[index(row, column)];
        if (place == Absent)
            sink.add(localeId, id, QString());
        else
            sink.addStored(localeId, id, m_buffer, qsizetype(place >> 16), qsizetype(place & 0xFFFF));
        return true;
    }

    bool tooLong = false;

private:
    static constexpr quint64 Absent = ~quint64(0);
    std::size_t index(int row, int column) const
    {
        return std::size_t(column - 2) * std::size_t(m_place.rows - 2) + std::size_t(row - 3);
    }

    const excel::Workbook &m_book;
    TablePlace m_place;
    std::vector<QString> m_names;
    std::vector<excel::StoredValue> m_locales, m_ids;
    // Per body cell, column by column: where its text starts in the buffer
    // (high bits) and its length (low 16 bits).
    std::vector<quint64, resutil::LargeAllocator<quint64>> m_body;
    QString m_buffer;
};

} // namespace

qm::Status readStringsStreamed(excel::Workbook &book, const QString &sheetName, TransferFeedback &feedback,
                               StringSink &sink)
{
    excel::Worksheet *sheet = book.Worksheets().find(sheetName);
    if (!sheet)
        return readStringsInto(book, sheetName, feedback, sink);
    ExtentPass extent;
    if (!book.visitSheet(*sheet, extent))
        return readStringsInto(book, sheetName, feedback, sink);
    const excel::SheetData::Bounds &b = extent.bounds;
    const TablePlace place = b.empty() ? TablePlace{sheet->Name(), 1, 1, 1, 1}
                                       : TablePlace{sheet->Name(), b.firstRow, b.firstColumn,
                                                    b.lastRow - b.firstRow + 1, b.lastColumn - b.firstColumn + 1};
    // Reading the sheet would meet the same refusal, past what it holds.
    if (auto checked = checkTablePlace(place); !checked)
        return checked;
    TablePass table(book, place);
    if (!book.visitSheet(*sheet, table) || table.tooLong)
        return readStringsInto(book, sheetName, feedback, sink);
    return readTable(place, table, feedback, sink);
}

} // namespace ExcelTransfer
