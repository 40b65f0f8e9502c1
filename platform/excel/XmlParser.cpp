#include "platform/excel/XmlParser.h"

#include <expat.h>

namespace excel::backend {

const char *attribute(const char **attributes, const char *local)
{
    for (int i = 0; attributes[i]; i += 2)
        if (std::strcmp(localName(attributes[i]), local) == 0)
            return attributes[i + 1];
    return nullptr;
}

struct XmlCallbacks {
    static XmlParser &self(void *data) { return *static_cast<XmlParser *>(data); }
    static void start(void *data, const XML_Char *name, const XML_Char **attributes)
    {
        XmlParser &p = self(data);
        p.m_handler.startElement(name, attributes);
        if (!p.m_handler.fault.isEmpty())
            p.stop();
    }
    static void end(void *data, const XML_Char *name)
    {
        XmlParser &p = self(data);
        p.m_handler.endElement(name);
        if (!p.m_handler.fault.isEmpty())
            p.stop();
    }
    static void text(void *data, const XML_Char *text, int length)
    {
        self(data).m_handler.characters(text, length);
    }
    // A package part never needs a DOCTYPE; refusing it rules out entity expansion.
    static void doctype(void *data, const XML_Char *, const XML_Char *, const XML_Char *, int)
    {
        XmlParser &p = self(data);
        p.m_doctype = true;
        p.stop();
    }
};

XmlParser::XmlParser(Handler &handler, const QString &partName)
    : m_parser(XML_ParserCreate(nullptr)), m_handler(handler), m_part(partName)
{
    if (!m_parser)
        return;
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlCallbacks::start, &XmlCallbacks::end);
    XML_SetCharacterDataHandler(m_parser, &XmlCallbacks::text);
    XML_SetStartDoctypeDeclHandler(m_parser, &XmlCallbacks::doctype);
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlParser::~XmlParser()
{
    if (m_parser)
        XML_ParserFree(m_parser);
}

qm::Status XmlParser::feed(const char *data, size_t size, bool last)
{
    if (!m_parser)
        return qm::makeError(QStringLiteral("%1: the XML parser cannot be created").arg(m_part));
    do {
        const size_t chunk = std::min<size_t>(size, 1 << 28);
        const bool final = last && chunk == size;
        const XML_Status status = XML_Parse(m_parser, data, int(chunk), final);
        if (!m_handler.fault.isEmpty())
            return qm::makeError(QStringLiteral("%1: %2").arg(m_part, m_handler.fault));
        if (m_doctype)
            return qm::makeError(QStringLiteral("%1: has a DOCTYPE declaration, which a workbook part never has; the file is not read").arg(m_part));
        if (status != XML_STATUS_OK)
            return qm::makeError(QStringLiteral("%1: is not well-formed XML at line %2, column %3: %4")
                                     .arg(m_part)
                                     .arg(XML_GetCurrentLineNumber(m_parser))
                                     .arg(XML_GetCurrentColumnNumber(m_parser) + 1)
                                     .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser)))));
        data += chunk;
        size -= chunk;
    } while (size > 0);
    return {};
}

long long XmlParser::byteIndex() const
{
    return XML_GetCurrentByteIndex(m_parser);
}

int XmlParser::byteCount() const
{
    return XML_GetCurrentByteCount(m_parser);
}

void XmlParser::stop()
{
    XML_StopParser(m_parser, XML_FALSE);
}

} // namespace excel::backend
