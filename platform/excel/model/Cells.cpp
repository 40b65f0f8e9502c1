#include "platform/excel/model/Cells.h"

#include "platform/excel/model/FormatBackEnds.h"
#include "platform/excel/model/Constants.h"
#include "platform/excel/model/NumberFormat.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/model/Worksheet.h"

#include <cmath>

namespace excel {

void Cells::Clear()
{
    m_sheet.data().clear();
    m_sheet.streamedPart.reset();
    m_sheet.setDefaultXf(0);
    m_sheet.setModified();
}

qm::Status Cells::SetHorizontalAlignment(int alignment)
{
    if (alignment != xlLeft && alignment != xlGeneral)
        return qm::makeError(QStringLiteral("Sheet \"%1\": horizontal alignment %2 is not supported (only xlLeft, %3, and xlGeneral, %4)")
                                 .arg(m_sheet.Name(), QString::number(alignment), QString::number(xlLeft), QString::number(xlGeneral)));
    CellFormatTable &formats = m_sheet.Parent().formats();
    const bool left = alignment == xlLeft;
    auto aligned = [&](std::uint32_t xf) {
        CellFormat f = formats.at(xf);
        if (f.alignLeft == left)
            return xf;
        f.alignLeft = left;
        return formats.find(f);
    };
    m_sheet.setDefaultXf(aligned(m_sheet.defaultXf()));
    SheetData &data = m_sheet.data();
    for (int r = 1; r <= data.rowCount(); ++r)
        for (const Cell &c : data.row(r))
            data.set(r, c.column, c.value, aligned(c.xf));
    m_sheet.setModified();
    return {};
}

qm::Status storedValue(const Worksheet &sheet, int row, int column, const excel::Value &value, excel::Value *stored,
                       bool *quotePrefix)
{
    if (row < 1 || row > XlsxMaxRows || column < 1 || column > XlsxMaxColumns)
        return qm::makeError(QStringLiteral("Sheet \"%1\": there is no cell at row %2, column %3 (a sheet has rows 1 to %4 and columns 1 to %5)")
                                 .arg(sheet.Name(), QString::number(row), QString::number(column), QString::number(XlsxMaxRows),
                                      QString::number(XlsxMaxColumns)));
    *stored = value;
    *quotePrefix = false;
    if (value.isText()) {
        QString text = value.text();
        if (text.startsWith(u'\'')) {
            text.remove(0, 1);
            *quotePrefix = true;
        }
        if (text.size() > MaxTextLength)
            return qm::makeError(QStringLiteral("Cell %1 of sheet \"%2\": the text \"%3\" has %4 characters; a cell holds at most %5")
                                     .arg(backend::cellName(row, column), sheet.Name(), backend::excerpt(text),
                                          QString::number(text.size()), QString::number(MaxTextLength)));
        *stored = text.isEmpty() && !*quotePrefix ? excel::Value() : excel::Value(text);
    } else if (value.isNumber() && !std::isfinite(value.number())) {
        return qm::makeError(QStringLiteral("Cell %1 of sheet \"%2\": %3 is not a number a cell can hold")
                                 .arg(backend::cellName(row, column), sheet.Name(), QString::number(value.number())));
    }
    return {};
}

std::uint32_t withQuotePrefix(CellFormatTable &formats, std::uint32_t xf, bool quotePrefix)
{
    if (formats.at(xf).quotePrefix == quotePrefix)
        return xf;
    CellFormat f = formats.at(xf);
    f.quotePrefix = quotePrefix;
    return formats.find(f);
}

qm::Status Cells::Set(int row, int column, const excel::Value &value)
{
    if (m_sheet.streamedPart)
        return qm::makeError(QStringLiteral("Sheet \"%1\": its cells were written as a stream and cannot be changed; clear it first")
                                 .arg(m_sheet.Name()));
    excel::Value stored;
    bool prefix = false;
    if (auto checked = storedValue(m_sheet, row, column, value, &stored, &prefix); !checked)
        return checked;
    const Cell *existing = m_sheet.data().find(row, column);
    const std::uint32_t xf =
        withQuotePrefix(m_sheet.Parent().formats(), existing ? existing->xf : m_sheet.defaultXf(), prefix);
    m_sheet.data().set(row, column, stored, xf);
    m_sheet.setModified();
    return {};
}

excel::Value Cells::Value(int row, int column) const
{
    const Cell *c = m_sheet.data().find(row, column);
    return c ? excel::Value(c->value) : excel::Value();
}

QString displayedText(const Workbook &book, const excel::Value &value, std::uint32_t xf)
{
    switch (value.type()) {
    case excel::Value::Type::Empty: return QString();
    case excel::Value::Type::Text: return value.text();
    case excel::Value::Type::Bool: return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case excel::Value::Type::Error: return errorText(value.errorCode());
    case excel::Value::Type::Number: break;
    }
    return formatNumber(value.number(), book.formats().numFmtCode(book.formats().at(xf).numFmtId), book.date1904);
}

QString Cells::Text(int row, int column) const
{
    const Cell *c = m_sheet.data().find(row, column);
    return c ? displayedText(m_sheet.Parent(), c->value, c->xf) : QString();
}

} // namespace excel
