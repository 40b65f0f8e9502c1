#pragma once

#include "platform/excel/io/XmlParser.h"

#include <string>
#include <vector>

namespace excel::backend {

// Whether the character c beyond ASCII may start (`start`) or continue an
// element or attribute name, as XML 1.0 (fifth edition) has it. Expat keeps
// the older, narrower tables of the fourth edition.
bool isNonAsciiNameChar(unsigned long c, bool start);

// A strict, non-validating reader of UTF-8 XML for the big parts of a
// package (sheets, shared strings), several times faster than expat and
// giving the same handler events. It knows only the five predefined entities
// and character references; a DOCTYPE is refused. Anything that is not
// well-formed is an error with its byte offset.
class XmlScanner {
public:
    enum class Outcome { Done, NeedMore, Fault, Doctype, Malformed };

    explicit XmlScanner(XmlParser::Handler &handler) : m_handler(handler) {}

    // Reads the complete constructs in [data, data + size) and sets
    // `consumed`; NeedMore asks for the rest of the construct that starts at
    // data + consumed. With `last`, the input ends here.
    Outcome scan(const char *data, size_t size, bool last, size_t *consumed);
    // For Malformed: what is wrong, and where, from the start of the scanned
    // range.
    const char *problem() const { return m_problem; }
    // Where the tag of the current start or end event begins, from the start
    // of the scanned range.
    size_t eventOffset() const { return m_eventOffset; }
    size_t problemOffset() const { return m_problemOffset; }

private:
    enum class Step { Ok, Incomplete, Stop };

    Step markup(const char *&p, const char *end, bool last);
    Step startTag(const char *&p, const char *end);
    Step endTag(const char *&p, const char *end);
    Step text(const char *&p, const char *end, bool last);
    Step cdata(const char *&p, const char *end);
    Step instruction(const char *&p, const char *end);
    Step skipUntil(const char *&p, const char *end, const char *terminator, bool comment);
    Step reference(const char *&p, const char *end, std::string &out);
    // 1 when a name was read into `out`, 0 when it may go on past end, -1 when
    // p holds no name.
    int name(const char *&p, const char *end, std::string &out);
    bool fault(const char *what, const char *at);
    bool handlerFailed() const { return !m_handler.fault.isEmpty(); }

    XmlParser::Handler &m_handler;
    std::vector<std::string> m_open;
    std::string m_name, m_attributeData, m_piece;
    std::vector<size_t> m_attributeOffsets;
    std::vector<const char *> m_attributes;
    size_t m_depth = 0;
    bool m_started = false, m_rootSeen = false, m_anything = false;
    const char *m_base = nullptr;
    const char *m_problem = nullptr;
    size_t m_problemOffset = 0;
    size_t m_eventOffset = 0;
    Outcome m_stop = Outcome::Done;
};

} // namespace excel::backend
