#include "platform/excel/OoxmlText.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsxParts.h"

#include <charconv>

namespace excel::backend {

QByteArray columnName(int column)
{
    QByteArray name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(char('A' + (c - 1) % 26));
    return name;
}

namespace {

void appendNumber(QByteArray &out, double value)
{
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end - buffer);
}

void appendInt(QByteArray &out, long long value)
{
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end - buffer);
}

QByteArray dimension(const SheetData::Bounds &b)
{
    if (b.empty())
        return "A1";
    return columnName(b.firstColumn) + QByteArray::number(b.firstRow) + ':' + columnName(b.lastColumn) + QByteArray::number(b.lastRow);
}

void appendCell(QByteArray &out, const QByteArray &column, int row, const Cell &cell, std::vector<QString> *strings)
{
    out += "<c r=\"";
    out += column;
    appendInt(out, row);
    out += '"';
    if (cell.xf != 0) {
        out += " s=\"";
        appendInt(out, cell.xf);
        out += '"';
    }
    const Value &v = cell.value;
    switch (v.type()) {
    case Value::Type::Empty:
        out += "/>";
        return;
    case Value::Type::Number:
        out += "><v>";
        appendNumber(out, v.number());
        out += "</v></c>";
        return;
    case Value::Type::Bool:
        out += v.toBool() ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>";
        return;
    case Value::Type::Error:
        out += " t=\"e\"><v>";
        out += errorText(v.errorCode()).toLatin1();
        out += "</v></c>";
        return;
    case Value::Type::Text:
        break;
    }
    const QString text = v.text();
    if (strings) {
        out += " t=\"s\"><v>";
        appendInt(out, qint64(strings->size()));
        out += "</v></c>";
        strings->push_back(text);
        return;
    }
    const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    out += keepSpace ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
    appendEscapedText(out, text);
    out += "</t></is></c>";
}

} // namespace

QByteArray sheetXml(const Worksheet &sheet, std::vector<QString> *strings, bool selected)
{
    const SheetData &data = sheet.data();
    QByteArray out;
    out.reserve(qsizetype(data.cellCount()) * 40 + 1024);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"";
    out += MainNamespace;
    out += "\" xmlns:r=\"";
    out += RelNamespace;
    out += "\"><dimension ref=\"" + dimension(data.bounds(sheet.defaultXf())) + "\"/>";
    out += selected ? "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
                    : "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>";
    out += "<sheetFormatPr defaultRowHeight=\"15\"/>";
    if (sheet.defaultXf() != 0)
        out += "<cols><col min=\"1\" max=\"16384\" width=\"9.140625\" style=\"" + QByteArray::number(sheet.defaultXf()) + "\"/></cols>";
    out += "<sheetData>";
    std::vector<QByteArray> columns;
    for (int r = 1; r <= data.rowCount(); ++r) {
        const auto &cells = data.row(r);
        if (cells.empty())
            continue;
        out += "<row r=\"";
        appendInt(out, r);
        out += "\">";
        for (const Cell &cell : cells) {
            if (cell.value.isEmpty() && cell.xf == sheet.defaultXf())
                continue;
            if (size_t(cell.column) > columns.size()) {
                const size_t from = columns.size();
                columns.resize(size_t(cell.column));
                for (size_t c = from; c < columns.size(); ++c)
                    columns[c] = columnName(int(c) + 1);
            }
            appendCell(out, columns[size_t(cell.column - 1)], r, cell, strings);
        }
        out += "</row>";
    }
    out += "</sheetData></worksheet>";
    return out;
}

} // namespace excel::backend

namespace excel::backend {

QByteArray sharedStringsXml(const std::vector<QString> &strings)
{
    QByteArray out;
    out.reserve(qsizetype(strings.size()) * 32 + 256);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    out += MainNamespace;
    out += "\" count=\"" + QByteArray::number(qint64(strings.size())) + "\" uniqueCount=\"" + QByteArray::number(qint64(strings.size())) + "\">";
    for (const QString &text : strings) {
        const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
        out += keepSpace ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        appendEscapedText(out, text);
        out += "</t></si>";
    }
    out += "</sst>";
    return out;
}

} // namespace excel::backend
