#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/xlsx/XlsxParts.h"

namespace excel::backend {

QByteArray xfXml(const CellFormat &format)
{
    QByteArray out = "<xf numFmtId=\"" + QByteArray::number(format.numFmtId) + "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
    if (format.numFmtId != 0)
        out += " applyNumberFormat=\"1\"";
    if (format.quotePrefix)
        out += " quotePrefix=\"1\"";
    if (format.alignLeft)
        out += " applyAlignment=\"1\"><alignment horizontal=\"left\"/></xf>";
    else
        out += "/>";
    return out;
}

QByteArray stylesXml(const CellFormatTable &formats)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet xmlns=\"";
    out += MainNamespace;
    out += "\">";
    int custom = 0;
    for (const auto &[id, code] : formats.numFmts)
        custom += id >= 164;
    if (custom > 0) {
        out += "<numFmts count=\"" + QByteArray::number(custom) + "\">";
        for (const auto &[id, code] : formats.numFmts) {
            if (id < 164)
                continue;
            out += "<numFmt numFmtId=\"" + QByteArray::number(id) + "\" formatCode=\"";
            appendEscapedAttribute(out, code);
            out += "\"/>";
        }
        out += "</numFmts>";
    }
    out += "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
    out += "<cellXfs count=\"" + QByteArray::number(formats.size()) + "\">";
    for (std::uint32_t i = 0; i < formats.size(); ++i)
        out += xfXml(formats.at(i));
    out += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
    return out;
}

} // namespace excel::backend
