#pragma once

#include "platform/common/Result.h"

#include <QString>

#include <cstring>
#include <memory>
#include <string>

typedef struct XML_ParserStruct *XML_Parser;

namespace excel::backend {

class XmlScanner;

// A streaming XML parser over expat for package parts. Documents with a
// DOCTYPE (and so any entity declaration) are refused: nothing is expanded.
// Element and attribute names are passed as written, prefix included; use
// localName() to compare.
class XmlParser {
public:
    // No package part or exchange file nests elements deeper, nor holds a
    // single tag or text piece longer; beyond them the input is refused.
    static constexpr int MaxDepth = 512;
    static constexpr size_t MaxConstruct = size_t(16) << 20;

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void startElement(const char *name, const char **attributes) = 0;
        virtual void endElement(const char *name) = 0;
        virtual void characters(const char *, int) {}
        // A handler that finds the content wrong says so here; parsing stops.
        QString fault;
    };

    // Scanner reads UTF-8 documents with XmlScanner, several times faster;
    // other encodings still go to expat. Only Expat gives byteCount().
    enum class Engine { Expat, Scanner };

    XmlParser(Handler &handler, const QString &partName, Engine engine = Engine::Expat);
    ~XmlParser();
    XmlParser(const XmlParser &) = delete;
    XmlParser &operator=(const XmlParser &) = delete;

    qm::Status feed(const char *data, size_t size, bool last);
    qm::Status parse(const QByteArray &document) { return feed(document.constData(), size_t(document.size()), true); }
    // Offsets into the input, for the handler's current event (the scanner
    // gives byteIndex for start and end events only).
    long long byteIndex() const;
    int byteCount() const;
    void stop();

private:
    friend struct XmlCallbacks;
    void createExpat();
    static bool scannerReads(const char *data, size_t size);
    qm::Status scan(const char *data, size_t size, bool last);

    XML_Parser m_parser = nullptr;
    std::unique_ptr<XmlScanner> m_scanner;
    bool m_chosen = false;
    std::string m_head;
    // Scanner input held back until its construct is complete.
    std::string m_pending;
    size_t m_wanted = 0;
    long long m_line = 1, m_lineStart = 0, m_offset = 0;
    Handler &m_handler;
    QString m_part;
    bool m_doctype = false;
    int m_depth = 0;
};

// The name without its namespace prefix. Inline loops: the readers call
// these for every element of a sheet.
inline const char *localName(const char *name)
{
    const char *local = name;
    for (const char *p = name; *p; ++p)
        if (*p == ':')
            local = p + 1;
    return local;
}
inline bool sameName(const char *a, const char *b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
inline bool isElement(const char *name, const char *local)
{
    return sameName(localName(name), local);
}
// The value of an attribute by local name, or null.
const char *attribute(const char **attributes, const char *local);

} // namespace excel::backend
