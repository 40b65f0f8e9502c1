#include "platform/excel/xlsx/XmlEdit.h"

#include "platform/excel/io/OoxmlText.h"
#include "platform/excel/io/XmlParser.h"

#include <algorithm>

namespace excel::backend {

QByteArray XmlElement::prefix() const
{
    const qsizetype colon = qname.indexOf(':');
    return colon < 0 ? QByteArray() : qname.left(colon + 1);
}

QByteArray XmlElement::attribute(const char *local) const
{
    for (const auto &[name, value] : attributes)
        if (qstrcmp(localName(name.constData()), local) == 0)
            return value;
    return QByteArray();
}

qm::Result<QList<XmlElement>> findElements(const QByteArray &document, const QString &part,
                                           const std::function<bool(const char *)> &want)
{
    if (document.startsWith("\xFF\xFE") || document.startsWith("\xFE\xFF"))
        return qm::makeError(QStringLiteral("%1: is written in UTF-16, which is not updated; save the workbook in Excel first").arg(part));
    struct Handler : XmlParser::Handler {
        XmlParser *parser = nullptr;
        const std::function<bool(const char *)> *want = nullptr;
        QList<XmlElement> found;
        QList<int> open; // index into found, or -1, per open element
        void startElement(const char *name, const char **attributes) override
        {
            if (!(*want)(localName(name))) {
                open << -1;
                return;
            }
            XmlElement e;
            e.qname = name;
            for (int i = 0; attributes[i]; i += 2)
                e.attributes.append({QByteArray(attributes[i]), QByteArray(attributes[i + 1])});
            e.start = parser->byteIndex();
            e.startLength = parser->byteCount();
            open << int(found.size());
            found << e;
        }
        void endElement(const char *) override
        {
            const int index = open.takeLast();
            if (index < 0)
                return;
            if (parser->byteCount() > 0) {
                found[index].endTag = parser->byteIndex();
                found[index].endTagLength = parser->byteCount();
            }
        }
    } handler;
    handler.want = &want;
    XmlParser parser(handler, part);
    handler.parser = &parser;
    if (auto parsed = parser.parse(document); !parsed)
        return parsed.error();
    return handler.found;
}

QByteArray startTag(const QByteArray &qname, const QList<QPair<QByteArray, QByteArray>> &attributes, bool empty)
{
    QByteArray out = '<' + qname;
    for (const auto &[name, value] : attributes) {
        out += ' ' + name + "=\"";
        appendEscapedAttribute(out, QString::fromUtf8(value));
        out += '"';
    }
    out += empty ? "/>" : ">";
    return out;
}

void XmlEditor::appendInside(const XmlElement &element, const QByteArray &markup)
{
    if (element.endTag >= 0) {
        m_edits.append({element.endTag, 0, markup});
    } else {
        // <sheets/> becomes <sheets>...</sheets>
        m_edits.append({element.start, element.startLength,
                        startTag(element.qname, element.attributes, false) + markup + "</" + element.qname + '>'});
    }
}

void XmlEditor::setAttributes(const XmlElement &element, const QList<QPair<QByteArray, QByteArray>> &attributes)
{
    m_edits.append({element.start, element.startLength, startTag(element.qname, attributes, element.endTag < 0)});
}

void XmlEditor::remove(const XmlElement &element)
{
    const qint64 end = element.endTag >= 0 ? element.endTag + element.endTagLength : element.start + element.startLength;
    m_edits.append({element.start, end - element.start, QByteArray()});
}

QByteArray XmlEditor::result() const
{
    QList<Edit> edits = m_edits;
    std::stable_sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at > b.at; });
    QByteArray out = m_doc;
    for (const Edit &e : edits)
        out.replace(e.at, e.length, e.text);
    return out;
}

} // namespace excel::backend
