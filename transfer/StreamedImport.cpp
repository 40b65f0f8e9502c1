#include "transfer/ExcelImport.h"

#include "transfer/ImportTable.h"
#include "platform/excel/model/Cells.h"
#include "platform/excel/model/SheetData.h"
#include "platform/excel/model/SheetSource.h"
#include "platform/excel/model/StoredValue.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/resutil/ResStrings.h"

#include <algorithm>
#include <vector>

namespace ExcelTransfer {

namespace {

// One pass over the sheet's cells: the used range as the sheet would give it
// (cells with a value or a format of their own), and each cell with a value
// as its place in its column: its displayed text in one buffer, each text
// followed by a null, or a value other than a text kept aside.
class CellsPass : public excel::CellVisitor {
public:
    // A cell's place: at 0 for none, else a text's offset in the buffer
    // (never 0: the buffer starts with a null) and its length, or with the
    // top bit a value of others.
    struct Place {
        quint32 at = 0;
        quint16 size = 0;
    };
    static constexpr quint32 OtherBit = 0x80000000u;
    // A column's places: the offsets, and beside them the lengths up to
    // 254 (most are short); a longer text's length is where its null lies.
    struct Column {
        static constexpr quint8 Long = 255;
        std::vector<quint32> at;
        std::vector<quint8> size;
    };

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
        if (tooLarge)
            return;
        ++m_cellsHeld;
        if (!value.isText()) {
            // Its displayed text only once it is known to be wanted (an ID is not).
            if (others.size() >= OtherBit) {
                tooLarge = true;
                return;
            }
            others.push_back(Other{value, xf});
            setPlace(row, column, Place{OtherBit | quint32(others.size() - 1), 0});
            return;
        }
        const qint64 at = place(value.text());
        if (at >= 0)
            setPlace(row, column, Place{quint32(at), quint16(value.text().size())});
    }

    // Puts a text in the buffer: where it starts, or -1 when it does not fit.
    qint64 place(const QString &text)
    {
        if (text.size() > 0xFFFF || buffer.size() + text.size() + 1 >= qsizetype(OtherBit) ||
            (text.size() >= Column::Long && text.contains(QChar(0))))
            tooLarge = true;
        if (tooLarge)
            return -1;
        const qint64 at = buffer.size();
        buffer.append(text);
        buffer.append(QChar(0));
        return at;
    }
    QString displayed(const excel::Value &value, std::uint32_t xf) const { return excel::displayedText(m_book, value, xf); }
    Place placeOf(int row, int column) const
    {
        if (column < 1 || std::size_t(column) > columns.size() || row < m_firstRow)
            return {};
        const Column &places = columns[std::size_t(column - 1)];
        const std::size_t i = std::size_t(row - m_firstRow);
        if (i >= places.at.size())
            return {};
        const quint32 at = places.at[i];
        if (places.size[i] != Column::Long || (at & OtherBit))
            return Place{at, places.size[i]};
        return Place{at, quint16(QStringView(buffer.constData() + at).size())};
    }
    QStringView textAt(Place place) const { return QStringView(buffer.constData() + place.at, place.size); }

    struct Other {
        excel::StoredValue value;
        std::uint32_t xf;
    };
    excel::SheetData::Bounds bounds;
    // By column of the sheet from 1, by row from the first row with a cell.
    std::vector<Column> columns;
    std::vector<Other> others;
    QString buffer;
    bool tooLarge = false;

    void setPlace(int row, int column, Place place)
    {
        if (std::size_t(column) > columns.size())
            columns.resize(std::size_t(column));
        Column &places = columns[std::size_t(column - 1)];
        const std::size_t i = std::size_t(row - m_firstRow);
        if (places.at.size() <= i) {
            // Cells far apart would make the places grow with the range, not
            // with the cells: such a sheet is read instead.
            m_placesHeld += i + 1 - places.at.size();
            if (m_placesHeld > 4 * m_cellsHeld + (std::size_t(1) << 20)) {
                tooLarge = true;
                return;
            }
            places.at.resize(i + 1);
            places.size.resize(i + 1);
        }
        places.at[i] = place.at;
        places.size[i] = quint8(std::min<quint16>(place.size, Column::Long));
    }

private:
    void widen(int row, int column)
    {
        if (bounds.empty()) {
            bounds = excel::SheetData::Bounds{row, column, row, column};
            m_firstRow = row; // cells come in ascending rows
            return;
        }
        bounds.lastRow = row;
        bounds.firstColumn = std::min(bounds.firstColumn, column);
        bounds.lastColumn = std::max(bounds.lastColumn, column);
    }

    const excel::Workbook &m_book;
    std::uint32_t m_defaultXf = 0;
    int m_firstRow = 1;
    std::size_t m_placesHeld = 0, m_cellsHeld = 0;
};

// The used range from the cells of one pass: the header rows and the ID
// column as values, the body as the pass's places of texts in its buffer.
class StreamedTable : public ImportTable {
public:
    StreamedTable(CellsPass &pass, const TablePlace &place)
        : m_pass(pass), m_place(place), m_names(size_t(place.columns) + 1), m_locales(size_t(place.columns) + 1),
          m_ids(size_t(place.rows) + 1)
    {
        for (int column = 1; column <= place.columns; ++column) {
            for (int row = 1; row <= place.rows; ++row) {
                const int sheetRow = place.row + row - 1, sheetColumn = place.column + column - 1;
                const CellsPass::Place at = pass.placeOf(sheetRow, sheetColumn);
                if (at.at == 0)
                    continue;
                const CellsPass::Other *other =
                    at.at & CellsPass::OtherBit ? &pass.others[at.at & ~CellsPass::OtherBit] : nullptr;
                const auto text = [&] {
                    return other ? pass.displayed(other->value, other->xf) : pass.textAt(at).toString();
                };
                const auto value = [&] { return other ? excel::Value(other->value) : excel::Value(text()); };
                if (column == 1) {
                    m_ids[size_t(row)] = value();
                } else if (row == 1) {
                    m_names[size_t(column)] = text();
                } else if (row == 2) {
                    m_locales[size_t(column)] = value();
                } else if (other) {
                    // A body cell is a text from now on.
                    const QString shown = text();
                    const qint64 placed = pass.place(shown);
                    if (placed < 0) {
                        tooLarge = true;
                        return;
                    }
                    pass.setPlace(sheetRow, sheetColumn, CellsPass::Place{quint32(placed), quint16(shown.size())});
                }
            }
        }
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
        const CellsPass::Place at = m_pass.placeOf(m_place.row + row - 1, m_place.column + column - 1);
        if (at.at == 0)
            sink.add(localeId, id, QString());
        else
            sink.addStored(localeId, id, m_pass.buffer, qsizetype(at.at), qsizetype(at.size));
        return true;
    }
    void handOver(StringSink &sink) override
    {
        m_pass.buffer.squeeze();
        sink.adoptTexts(m_pass.buffer);
    }
    void columnRead(int column) override
    {
        const std::size_t sheetColumn = std::size_t(m_place.column + column - 1);
        if (sheetColumn <= m_pass.columns.size())
            m_pass.columns[sheetColumn - 1] = {};
    }

private:
    CellsPass &m_pass;
    TablePlace m_place;
    std::vector<QString> m_names;
    std::vector<excel::StoredValue> m_locales, m_ids;
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
                               StringSink &sink, const std::function<void()> &bookDone)
{
    excel::Worksheet *sheet = book.Worksheets().find(sheetName);
    if (!sheet)
        return readStringsInto(book, sheetName, feedback, sink);
    CellsPass pass(book);
    if (!book.visitSheet(*sheet, pass))
        return readStringsInto(book, sheetName, feedback, sink);
    const excel::SheetData::Bounds &b = pass.bounds;
    const TablePlace place = b.empty() ? TablePlace{sheet->Name(), 1, 1, 1, 1}
                                       : TablePlace{sheet->Name(), b.firstRow, b.firstColumn,
                                                    b.lastRow - b.firstRow + 1, b.lastColumn - b.firstColumn + 1};
    // Reading the sheet would meet the same refusal: the used range is whole
    // even where the cells were not all kept.
    if (auto checked = checkTablePlace(place); !checked)
        return checked;
    if (pass.tooLarge)
        return readStringsInto(book, sheetName, feedback, sink);
    StreamedTable table(pass, place);
    if (table.tooLarge)
        return readStringsInto(book, sheetName, feedback, sink);
    if (bookDone)
        bookDone();
    return readTable(place, table, feedback, sink);
}

} // namespace ExcelTransfer
