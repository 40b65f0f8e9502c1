#pragma once

#include "platform/common/Result.h"

#include <QString>

#include <cstring>

typedef struct XML_ParserStruct *XML_Parser;

namespace excel::backend {

// A streaming XML parser over expat for package parts. Documents with a
// DOCTYPE (and so any entity declaration) are refused: nothing is expanded.
// Element and attribute names are passed as written, prefix included; use
// localName() to compare.
class XmlParser {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void startElement(const char *name, const char **attributes) = 0;
        virtual void endElement(const char *name) = 0;
        virtual void characters(const char *, int) {}
        // A handler that finds the content wrong says so here; parsing stops.
        QString fault;
    };

    XmlParser(Handler &handler, const QString &partName);
    ~XmlParser();
    XmlParser(const XmlParser &) = delete;
    XmlParser &operator=(const XmlParser &) = delete;

    qm::Status feed(const char *data, size_t size, bool last);
    qm::Status parse(const QByteArray &document) { return feed(document.constData(), size_t(document.size()), true); }
    // Offsets into the input, for the handler's current event.
    long long byteIndex() const;
    int byteCount() const;
    void stop();

private:
    friend struct XmlCallbacks;
    XML_Parser m_parser;
    Handler &m_handler;
    QString m_part;
    bool m_doctype = false;
};

// The name without its namespace prefix.
inline const char *localName(const char *name)
{
    const char *colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}
inline bool isElement(const char *name, const char *local)
{
    return std::strcmp(localName(name), local) == 0;
}
// The value of an attribute by local name, or null.
const char *attribute(const char **attributes, const char *local);

} // namespace excel::backend
