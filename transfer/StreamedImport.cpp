#include "transfer/ExcelImport.h"

#include "transfer/ImportTable.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/SheetData.h"
#include "platform/excel/model/SheetSource.h"
#include "platform/excel/model/StoredValue.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/LargeAllocation.h"
#include "platform/resutil/ResStrings.h"

#include <memory>
#include <vector>

namespace ExcelTransfer {

namespace {

// Items in blocks that never move: growing never holds the items and a copy
// of them at once, as a vector does while it moves to a larger one.
template <typename T>
class Blocks {
public:
    void push_back(const T &item)
    {
        if (m_blocks.empty() || m_used == kPerBlock) {
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(kPerBlock));
            m_used = 0;
        }
        m_blocks.back()[m_used++] = item;
    }
    // Calls visit(item) in order while it returns true.
    template <typename Visit>
    void forEach(Visit &&visit) const
    {
        for (std::size_t b = 0; b < m_blocks.size(); ++b) {
            const std::size_t count = b + 1 == m_blocks.size() ? m_used : kPerBlock;
            for (std::size_t i = 0; i < count; ++i)
                if (!visit(m_blocks[b][i]))
                    return;
        }
    }
    void clear()
    {
        m_blocks = decltype(m_blocks)();
        m_used = 0;
    }

private:
    static constexpr std::size_t kPerBlock = std::size_t(1) << 16;
    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_used = 0;
};

// One pass over the sheet's cells: the used range as the sheet would give it
// (cells with a value or a format of their own), and each cell with a value,
// its displayed text in one buffer, each text followed by a null.
class CellsPass : public excel::CellVisitor {
public:
    explicit CellsPass(const excel::Workbook &book) : m_book(book)
    {
        buffer.append(QChar(0)); // where the empty texts lie
    }

    void defaultFormat(std::uint32_t xf) override { m_defaultXf = xf; }
    void cell(int row, int column, const excel::Value &value, std::uint32_t xf) override
    {
        if (value.isEmpty()) {
            if (xf != m_defaultXf)
                widen(row, column);
            return;
        }
        widen(row, column);
        if (!value.isText()) {
            // Its displayed text only once it is known to be wanted (an ID is not).
            others.push_back(Other{value, xf});
            cells.push_back(Placed{quint32(row), 0, quint32(others.size()), quint16(column), 0});
            return;
        }
        if (!room(value.text().size()))
            return;
        cells.push_back(Placed{quint32(row), quint32(buffer.size()), 0, quint16(column), quint16(value.text().size())});
        buffer.append(value.text());
        buffer.append(QChar(0));
    }

    // Puts a text in the buffer: where it starts, or -1 when it does not fit.
    qint64 place(const QString &text)
    {
        if (!room(text.size()))
            return -1;
        const qint64 at = buffer.size();
        buffer.append(text);
        buffer.append(QChar(0));
        return at;
    }
    QString displayed(const excel::Value &value, std::uint32_t xf) const { return excel::displayedText(m_book, value, xf); }

    struct Placed {
        quint32 row;
        quint32 offset; // of the text in the buffer
        quint32 other;  // a value other than a text: its place in others + 1
        quint16 column;
        quint16 size;
    };
    struct Other {
        excel::StoredValue value;
        std::uint32_t xf;
    };
    excel::SheetData::Bounds bounds;
    Blocks<Placed> cells;
    std::vector<Other> others;
    QString buffer;
    bool tooLarge = false;

private:
    bool room(qsizetype units)
    {
        if (units > 0xFFFF || buffer.size() + units + 1 > qsizetype(0xFFFFFFFFu))
            tooLarge = true;
        return !tooLarge;
    }
    void widen(int row, int column)
    {
        if (bounds.empty()) {
            bounds = excel::SheetData::Bounds{row, column, row, column};
            return;
        }
        bounds.lastRow = row;
        bounds.firstColumn = std::min(bounds.firstColumn, column);
        bounds.lastColumn = std::max(bounds.lastColumn, column);
    }

    const excel::Workbook &m_book;
    std::uint32_t m_defaultXf = 0;
};

// The used range from the cells of one pass: the header rows and the ID
// column as values, the body as places in the pass's buffer.
class StreamedTable : public ImportTable {
public:
    StreamedTable(CellsPass &pass, const TablePlace &place)
        : m_place(place), m_names(size_t(place.columns) + 1), m_locales(size_t(place.columns) + 1),
          m_ids(size_t(place.rows) + 1), m_body(size_t(place.bodyCells()), Absent)
    {
        resutil::adviseHugePages(m_body.data(), m_body.size() * sizeof(quint64));
        pass.cells.forEach([&](const CellsPass::Placed &cell) {
            const int row = int(cell.row) - place.row + 1;
            const int column = int(cell.column) - place.column + 1;
            if (row < 1 || column < 1 || row > place.rows || column > place.columns)
                return true;
            const CellsPass::Other *other = cell.other ? &pass.others[cell.other - 1] : nullptr;
            const auto text = [&] {
                return other ? pass.displayed(other->value, other->xf)
                             : QString(pass.buffer.constData() + cell.offset, cell.size);
            };
            const auto value = [&] { return other ? excel::Value(other->value) : excel::Value(text()); };
            if (column == 1) {
                m_ids[size_t(row)] = value();
            } else if (row == 1) {
                m_names[size_t(column)] = text();
            } else if (row == 2) {
                m_locales[size_t(column)] = value();
            } else if (!other) {
                m_body[index(row, column)] = quint64(cell.offset) << 16 | quint64(cell.size);
            } else {
                const QString shown = text();
                const qint64 at = pass.place(shown);
                if (at < 0) {
                    tooLarge = true;
                    return false;
                }
                m_body[index(row, column)] = quint64(at) << 16 | quint64(shown.size());
            }
            return true;
        });
        m_buffer = std::move(pass.buffer);
        pass.cells.clear();
        pass.others = {};
    }

    // A body text too long to be placed: the sheet is read instead.
    bool tooLarge = false;

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
    void handOver(StringSink &sink) override
    {
        m_buffer.squeeze();
        sink.adoptTexts(m_buffer);
    }

private:
    static constexpr quint64 Absent = ~quint64(0);
    std::size_t index(int row, int column) const
    {
        return std::size_t(column - 2) * std::size_t(m_place.rows - 2) + std::size_t(row - 3);
    }

    TablePlace m_place;
    std::vector<QString> m_names;
    std::vector<excel::StoredValue> m_locales, m_ids;
    // Per body cell, column by column: where its text starts in the buffer
    // (high bits) and its length (low 16 bits).
    std::vector<quint64, resutil::LargeAllocator<quint64>> m_body;
    QString m_buffer;
};

} // namespace

void StringsSink::expect(qint64 cells)
{
    m_strings.Clear();
    m_strings.reserve(qsizetype(cells));
}

void StringsSink::add(qint32 localeId, qint32 id, QString text)
{
    m_strings.Add(localeId, id, std::move(text));
}

void StringsSink::adoptTexts(const QString &buffer)
{
    m_strings.adoptBuffer(buffer);
}

void StringsSink::addStored(qint32 localeId, qint32 id, const QString &buffer, qsizetype offset, qsizetype size)
{
    // A stored entry keeps its keys in 16 bits each.
    if (quint32(localeId) <= 0xFFFF && quint32(id) <= 0xFFFF)
        m_strings.AddStored(quint16(localeId), quint16(id), offset, size);
    else
        m_strings.Add(localeId, id, QString(buffer.constData() + offset, size));
}

qm::Status readStringsStreamed(excel::Workbook &book, const QString &sheetName, TransferFeedback &feedback,
                               StringSink &sink)
{
    excel::Worksheet *sheet = book.Worksheets().find(sheetName);
    if (!sheet)
        return readStringsInto(book, sheetName, feedback, sink);
    CellsPass pass(book);
    if (!book.visitSheet(*sheet, pass) || pass.tooLarge)
        return readStringsInto(book, sheetName, feedback, sink);
    const excel::SheetData::Bounds &b = pass.bounds;
    const TablePlace place = b.empty() ? TablePlace{sheet->Name(), 1, 1, 1, 1}
                                       : TablePlace{sheet->Name(), b.firstRow, b.firstColumn,
                                                    b.lastRow - b.firstRow + 1, b.lastColumn - b.firstColumn + 1};
    // Reading the sheet would meet the same refusal.
    if (auto checked = checkTablePlace(place); !checked)
        return checked;
    StreamedTable table(pass, place);
    if (table.tooLarge)
        return readStringsInto(book, sheetName, feedback, sink);
    return readTable(place, table, feedback, sink);
}

} // namespace ExcelTransfer
