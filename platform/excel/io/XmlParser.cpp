#include "platform/excel/io/XmlParser.h"

#include "platform/excel/io/XmlScanner.h"

#include <expat.h>

namespace excel::backend {

const char *attribute(const char **attributes, const char *local)
{
    for (int i = 0; attributes[i]; i += 2)
        if (sameName(localName(attributes[i]), local))
            return attributes[i + 1];
    return nullptr;
}

struct XmlCallbacks {
    static XmlParser &self(void *data) { return *static_cast<XmlParser *>(data); }
    static void start(void *data, const XML_Char *name, const XML_Char **attributes)
    {
        XmlParser &p = self(data);
        if (++p.m_depth > XmlParser::MaxDepth) {
            p.m_handler.fault = QStringLiteral("elements are nested more than %1 deep").arg(XmlParser::MaxDepth);
            p.stop();
            return;
        }
        p.m_handler.startElement(name, attributes);
        if (!p.m_handler.fault.isEmpty())
            p.stop();
    }
    static void end(void *data, const XML_Char *name)
    {
        XmlParser &p = self(data);
        --p.m_depth;
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

XmlParser::XmlParser(Handler &handler, const QString &partName, Engine engine)
    : m_handler(handler), m_part(partName)
{
    if (engine == Engine::Scanner) {
        m_scanner = std::make_unique<XmlScanner>(handler);
        return;
    }
    createExpat();
}

void XmlParser::createExpat()
{
    m_parser = XML_ParserCreate(nullptr);
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

// The scanner reads UTF-8 only: a document in another encoding goes to expat,
// decided on its first bytes.
bool XmlParser::scannerReads(const char *data, size_t size)
{
    std::string_view start(data, std::min<size_t>(size, 1024));
    if (start.size() >= 3 && start.substr(0, 3) == "\xEF\xBB\xBF")
        start.remove_prefix(3);
    if (start.size() >= 2 && (start[0] == '\0' || start[1] == '\0' || uchar(start[0]) >= 0xFE))
        return false;
    if (start.substr(0, 5) != "<?xml")
        return true;
    const size_t close = start.find("?>");
    if (close == std::string_view::npos)
        return false;
    const std::string_view declaration = start.substr(0, close);
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return true;
    const size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string_view::npos)
        return false;
    const size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::string_view::npos)
        return false;
    return QByteArray(declaration.data() + quote + 1, qsizetype(end - quote - 1)).toLower() == "utf-8";
}

qm::Status XmlParser::feed(const char *data, size_t size, bool last)
{
    if (m_scanner && !m_chosen) {
        // The choice needs the declaration whole, however the input is cut;
        // input that holds it already is not copied.
        const bool held = !m_head.empty();
        if (held)
            m_head.append(data, size);
        const std::string_view head = held ? std::string_view(m_head) : std::string_view(data, size);
        const std::string_view start = head.substr(0, 1024);
        const bool declared = start.find("<?xml") < 4;
        if (!last && head.size() < 1024 && (declared ? start.find("?>") == start.npos : head.size() < 8)) {
            if (!held)
                m_head.assign(data, size);
            return {};
        }
        m_chosen = true;
        if (!scannerReads(head.data(), head.size())) {
            m_scanner.reset();
            createExpat();
        }
        if (!held)
            return feed(data, size, last);
        const std::string input = std::move(m_head);
        return feed(input.data(), input.size(), last);
    }
    if (m_scanner)
        return scan(data, size, last);
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

qm::Status XmlParser::scan(const char *data, size_t size, bool last)
{
    const bool held = !m_pending.empty();
    if (held) {
        m_pending.append(data, size);
        // A construct longer than a chunk waits for twice its length, so that
        // it is not read again for every chunk.
        if (!last && m_pending.size() < m_wanted)
            return {};
        data = m_pending.data();
        size = m_pending.size();
    }
    size_t used = 0;
    const XmlScanner::Outcome outcome = m_scanner->scan(data, size, last, &used);
    auto countLines = [&](size_t upTo) {
        for (const char *p = data, *end = data + upTo; (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p) {
            ++m_line;
            m_lineStart = m_offset + (p - data) + 1;
        }
    };
    switch (outcome) {
    case XmlScanner::Outcome::Fault:
        return qm::makeError(QStringLiteral("%1: %2").arg(m_part, m_handler.fault));
    case XmlScanner::Outcome::Doctype:
        return qm::makeError(QStringLiteral("%1: has a DOCTYPE declaration, which a workbook part never has; the file is not read").arg(m_part));
    case XmlScanner::Outcome::Malformed:
        countLines(m_scanner->problemOffset());
        return qm::makeError(QStringLiteral("%1: is not well-formed XML at line %2, column %3: %4")
                                 .arg(m_part, QString::number(m_line),
                                      QString::number(m_offset + qint64(m_scanner->problemOffset()) - m_lineStart + 1),
                                      QString::fromLatin1(m_scanner->problem())));
    case XmlScanner::Outcome::Done:
    case XmlScanner::Outcome::NeedMore:
        break;
    }
    countLines(used);
    m_offset += qint64(used);
    if (held)
        m_pending.erase(0, used);
    else
        m_pending.assign(data + used, size - used);
    m_wanted = 2 * m_pending.size();
    if (m_pending.size() > MaxConstruct)
        return qm::makeError(QStringLiteral("%1: at line %2, one tag or text is longer than %3 bytes; the part is not read")
                                 .arg(m_part, QString::number(m_line), QString::number(MaxConstruct)));
    return {};
}

long long XmlParser::byteIndex() const
{
    if (m_scanner)
        return m_offset + qint64(m_scanner->eventOffset());
    return m_parser ? XML_GetCurrentByteIndex(m_parser) : -1;
}

int XmlParser::byteCount() const
{
    return m_parser ? XML_GetCurrentByteCount(m_parser) : 0;
}

void XmlParser::stop()
{
    if (m_parser)
        XML_StopParser(m_parser, XML_FALSE);
}

} // namespace excel::backend
