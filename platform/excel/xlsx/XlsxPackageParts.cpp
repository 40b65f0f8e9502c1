#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/model/Workbook.h"
#include "platform/excel/xlsx/XlsxParts.h"

namespace excel::backend {

namespace {
const char *const XmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
}

QByteArray contentTypesXml(const QStringList &sheetParts)
{
    QByteArray out = XmlDeclaration;
    out += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    for (const QString &part : sheetParts) {
        out += "<Override PartName=\"/";
        appendEscapedAttribute(out, part);
        out += "\" ContentType=\"";
        out += WorksheetContentType;
        out += "\"/>";
    }
    out += "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
           "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
           "</Types>";
    return out;
}

QByteArray rootRelsXml()
{
    QByteArray out = XmlDeclaration;
    out += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"";
    out += RelTypeBase;
    out += "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    return out;
}

QByteArray workbookXml(const Workbook &book)
{
    QByteArray out = XmlDeclaration;
    out += "<workbook xmlns=\"";
    out += MainNamespace;
    out += "\" xmlns:r=\"";
    out += RelNamespace;
    out += "\">";
    out += book.date1904 ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>";
    out += "<bookViews><workbookView/></bookViews><sheets>";
    for (int i = 1; i <= book.Worksheets().Count(); ++i) {
        out += "<sheet name=\"";
        appendEscapedAttribute(out, book.Worksheets().at(i)->Name());
        out += "\" sheetId=\"" + QByteArray::number(i) + "\" r:id=\"rId" + QByteArray::number(i) + "\"/>";
    }
    out += "</sheets></workbook>";
    return out;
}

QByteArray workbookRelsXml(int sheetCount)
{
    QByteArray out = XmlDeclaration;
    out += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    auto rel = [&](int id, const char *type, const QByteArray &target) {
        out += "<Relationship Id=\"rId" + QByteArray::number(id) + "\" Type=\"" + RelTypeBase + type + "\" Target=\"" + target + "\"/>";
    };
    for (int i = 1; i <= sheetCount; ++i)
        rel(i, "worksheet", "worksheets/sheet" + QByteArray::number(i) + ".xml");
    rel(sheetCount + 1, "styles", "styles.xml");
    rel(sheetCount + 2, "sharedStrings", "sharedStrings.xml");
    out += "</Relationships>";
    return out;
}

} // namespace excel::backend
