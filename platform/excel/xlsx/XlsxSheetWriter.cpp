#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/model/Worksheet.h"
#include "platform/excel/xlsx/XlsxParts.h"

#include <cstring>

namespace excel::backend {

QByteArray columnName(int column)
{
    QByteArray name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(char('A' + (c - 1) % 26));
    return name;
}

static QByteArray dimension(const SheetData::Bounds &b)
{
    if (b.empty())
        return "A1";
    return columnName(b.firstColumn) + QByteArray::number(b.firstRow) + ':' + columnName(b.lastColumn) + QByteArray::number(b.lastRow);
}

void appendCell(ByteSink &out, const QByteArray &column, int row, const Cell &cell, std::vector<QString> *strings)
{
    out << "<c r=\"" << column;
    out.appendInt(row);
    out << '"';
    if (cell.xf != 0) {
        out << " s=\"";
        out.appendInt(cell.xf);
        out << '"';
    }
    const StoredValue &v = cell.value;
    switch (v.type()) {
    case Value::Type::Empty:
        out << "/>";
        return;
    case Value::Type::Number:
        out << "><v>";
        out.appendNumber(v.number());
        out << "</v></c>";
        return;
    case Value::Type::Bool:
        if (v.toBool())
            out << " t=\"b\"><v>1</v></c>";
        else
            out << " t=\"b\"><v>0</v></c>";
        return;
    case Value::Type::Error:
        out << " t=\"e\"><v>" << errorText(v.errorCode()).toLatin1() << "</v></c>";
        return;
    case Value::Type::Text:
        break;
    }
    const QString text = v.text();
    if (strings) {
        out << " t=\"s\"><v>";
        out.appendInt(qint64(strings->size()));
        out << "</v></c>";
        strings->push_back(text);
        return;
    }
    const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    if (keepSpace)
        out << " t=\"inlineStr\"><is><t xml:space=\"preserve\">";
    else
        out << " t=\"inlineStr\"><is><t>";
    appendEscapedText(out, text);
    out << "</t></is></c>";
}

void appendSheetStart(ByteSink &out, const Worksheet &sheet, const SheetData::Bounds &bounds, bool selected)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"";
    out.append(MainNamespace, std::strlen(MainNamespace));
    out << "\" xmlns:r=\"";
    out.append(RelNamespace, std::strlen(RelNamespace));
    out << "\"><dimension ref=\"" << dimension(bounds) << "\"/>";
    if (selected)
        out << "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>";
    else
        out << "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>";
    out << "<sheetFormatPr defaultRowHeight=\"15\"/>";
    if (sheet.defaultXf() != 0)
        out << "<cols><col min=\"1\" max=\"16384\" width=\"9.140625\" style=\"" << QByteArray::number(sheet.defaultXf()) << "\"/></cols>";
    out << "<sheetData>";
}

QByteArray sheetXml(const Worksheet &sheet, std::vector<QString> *strings, bool selected)
{
    const SheetData &data = sheet.data();
    ByteSink out(qsizetype(data.cellCount()) * 40 + 1024);
    appendSheetStart(out, sheet, data.bounds(sheet.defaultXf()), selected);
    std::vector<QByteArray> columns;
    for (int r = 1; r <= data.rowCount(); ++r) {
        const auto &cells = data.row(r);
        if (cells.empty())
            continue;
        out << "<row r=\"";
        out.appendInt(r);
        out << "\">";
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
        out << "</row>";
    }
    out << SheetEnd;
    return out.take();
}

} // namespace excel::backend

namespace excel::backend {

QByteArray sharedStringsXml(const std::vector<QString> &strings)
{
    ByteSink out(qsizetype(strings.size()) * 32 + 256);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    out.append(MainNamespace, std::strlen(MainNamespace));
    out << "\" count=\"";
    out.appendInt(qint64(strings.size()));
    out << "\" uniqueCount=\"";
    out.appendInt(qint64(strings.size()));
    out << "\">";
    for (const QString &text : strings) {
        const bool keepSpace = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
        if (keepSpace)
            out << "<si><t xml:space=\"preserve\">";
        else
            out << "<si><t>";
        appendEscapedText(out, text);
        out << "</t></si>";
    }
    out << "</sst>";
    return out.take();
}

} // namespace excel::backend
