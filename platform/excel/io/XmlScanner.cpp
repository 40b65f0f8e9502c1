#include "platform/excel/io/XmlScanner.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace excel::backend {

namespace {

// Byte classes: bit 0 may start a name, bit 1 may continue one, bit 2 is
// plain character data, bit 3 plain in an attribute value.
struct ByteClasses {
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        for (int c = 0; c < 256; ++c) {
            const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
            const bool inName = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
            const bool plain = (c >= 0x20 && c < 0x80 && c != '<' && c != '&' && c != ']') || c == '\t' || c == '\n';
            const bool plainValue = c >= 0x20 && c < 0x80 && c != '<' && c != '&';
            of[c] = (start ? 1 : 0) | (inName ? 2 : 0) | (plain ? 4 : 0) | (plainValue ? 8 : 0);
        }
    }
};
constexpr ByteClasses Classes;

bool isSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameStart(unsigned char c) { return Classes.of[c] & 1; }
bool isNameChar(unsigned char c) { return Classes.of[c] & 2; }
bool isPlain(unsigned char c) { return Classes.of[c] & 4; }
bool isPlainInAttribute(unsigned char c) { return Classes.of[c] & 8; }
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the UTF-8 sequence of one XML character at p (lead byte
// >= 0x80); 0 when it is not one, -1 when it runs past end.
int utf8Length(const unsigned char *p, const unsigned char *end)
{
    const unsigned char c = p[0];
    int length;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (p + i >= end)
            return -1;
        if (i == 1 ? (p[1] < low || p[1] > high) : !isContinuation(p[i]))
            return 0;
    }
    if (c == 0xEF && p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF))
        return 0; // U+FFFE and U+FFFF are not characters
    return length;
}

unsigned long codePointOf(const unsigned char *p, int length)
{
    unsigned long c = p[0] & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i)
        c = c << 6 | (p[i] & 0x3F);
    return c;
}

bool isXmlChar(unsigned long c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(std::string &out, unsigned long c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The first byte of [from, to) that is no XML character, or null.
const char *badCharacter(const char *from, const char *to)
{
    for (const char *q = from; q < to;) {
        const unsigned char c = static_cast<unsigned char>(*q);
        if (c >= 0x80) {
            const int length = utf8Length(reinterpret_cast<const unsigned char *>(q), reinterpret_cast<const unsigned char *>(to));
            if (length <= 0)
                return q;
            q += length;
        } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return q;
        } else {
            ++q;
        }
    }
    return nullptr;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

// The pseudo-attributes of <?xml ...?>: version, then optionally encoding
// and standalone, in that order.
bool declarationIsValid(const char *q, const char *close)
{
    auto skip = [&] {
        const char *from = q;
        while (q < close && isSpace(static_cast<unsigned char>(*q)))
            ++q;
        return q > from;
    };
    // 1 when present and valid, 0 when absent, -1 when wrong.
    auto pseudo = [&](std::string_view name, auto valid) {
        const char *from = q;
        if (!skip() || size_t(close - q) < name.size() || std::string_view(q, name.size()) != name) {
            q = from;
            return 0;
        }
        q += name.size();
        skip();
        if (q == close || *q != '=')
            return -1;
        ++q;
        skip();
        if (q == close || (*q != '"' && *q != '\''))
            return -1;
        const char quote = *q++;
        const char *value = q;
        while (q < close && *q != quote)
            ++q;
        if (q == close)
            return -1;
        const std::string_view text(value, size_t(q - value));
        ++q;
        return valid(text) ? 1 : -1;
    };
    // Letters, digits, '.', '_' and '-', as expat takes it: the older
    // editions' ':' is refused by every reader we are checked against.
    auto version = [](std::string_view v) {
        for (char c : v)
            if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9') && c != '_' && c != '.' && c != '-')
                return false;
        return !v.empty();
    };
    auto encoding = [](std::string_view v) {
        if (v.empty() || !((v[0] | 0x20) >= 'a' && (v[0] | 0x20) <= 'z'))
            return false;
        for (char c : v)
            if (!((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-')
                return false;
        return true;
    };
    auto standalone = [](std::string_view v) { return v == "yes" || v == "no"; };
    if (pseudo("version", version) != 1 || pseudo("encoding", encoding) < 0 || pseudo("standalone", standalone) < 0)
        return false;
    skip();
    return q == close;
}

constexpr size_t MaxReference = 32;
constexpr size_t FewAttributes = 16;

} // namespace

bool isNonAsciiNameChar(unsigned long c, bool start)
{
    if ((c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D)
        || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D || (c >= 0x2070 && c <= 0x218F)
        || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
        || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF))
        return true;
    return !start && (c == 0xB7 || (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040);
}

bool XmlScanner::fault(const char *what, const char *at)
{
    m_problem = what;
    m_problemOffset = size_t(at - m_base);
    m_stop = Outcome::Malformed;
    return false;
}

XmlScanner::Outcome XmlScanner::scan(const char *data, size_t size, bool last, size_t *consumed)
{
    m_base = data;
    const char *p = data, *end = data + size;
    if (!m_started) {
        if (size < 3 && !last) {
            *consumed = 0;
            return Outcome::NeedMore;
        }
        if (size >= 3 && !std::memcmp(p, "\xEF\xBB\xBF", 3))
            p += 3;
        m_started = true;
    }
    while (p < end) {
        const Step step = *p == '<' ? markup(p, end, last) : text(p, end, last);
        if (step == Step::Stop) {
            *consumed = size_t(p - data);
            return m_stop;
        }
        if (step == Step::Incomplete) {
            *consumed = size_t(p - data);
            if (!last)
                return Outcome::NeedMore;
            fault("unclosed token", p);
            return m_stop;
        }
        m_anything = true;
    }
    *consumed = size;
    if (last && (!m_rootSeen || m_depth > 0)) {
        fault("no element found", end);
        return m_stop;
    }
    return Outcome::Done;
}

XmlScanner::Step XmlScanner::markup(const char *&p, const char *end, bool last)
{
    if (end - p < 2)
        return Step::Incomplete;
    if (p[1] == '/')
        return endTag(p, end);
    if (p[1] == '?')
        return instruction(p, end);
    if (p[1] == '!') {
        if (end - p < 9 && !last)
            return Step::Incomplete;
        if (end - p >= 4 && !std::memcmp(p, "<!--", 4))
            return skipUntil(p, end, "-->", true);
        if (end - p >= 9 && !std::memcmp(p, "<![CDATA[", 9)) {
            if (m_depth == 0)
                return fault("character data outside the document element", p), Step::Stop;
            return cdata(p, end);
        }
        if (end - p >= 9 && !std::memcmp(p, "<!DOCTYPE", 9)) {
            m_stop = Outcome::Doctype;
            return Step::Stop;
        }
        return fault("syntax error", p), Step::Stop;
    }
    return startTag(p, end);
}

int XmlScanner::name(const char *&p, const char *end, std::string &out)
{
    const unsigned char *q = reinterpret_cast<const unsigned char *>(p);
    const unsigned char *e = reinterpret_cast<const unsigned char *>(end);
    const unsigned char *from = q;
    if (q == e)
        return 0;
    if (!isNameStart(*q))
        return -1;
    while (q < e && isNameChar(*q)) {
        if (*q >= 0x80) {
            const int length = utf8Length(q, e);
            if (length == 0)
                return -1;
            if (length < 0)
                return 0;
            if (!isNonAsciiNameChar(codePointOf(q, length), q == from))
                return -1;
            q += length;
        } else {
            ++q;
        }
    }
    if (q == e)
        return 0;
    out.assign(reinterpret_cast<const char *>(from), size_t(q - from));
    p = reinterpret_cast<const char *>(q);
    return 1;
}

XmlScanner::Step XmlScanner::startTag(const char *&p, const char *end)
{
    const char *tag = p;
    if (m_depth == 0 && m_rootSeen)
        return fault("junk after document element", p), Step::Stop;
    const char *q = p + 1;
    if (const int n = name(q, end, m_name); n <= 0)
        return n == 0 ? Step::Incomplete : (fault("not well-formed (invalid token)", q), Step::Stop);
    m_attributeData.clear();
    m_attributeOffsets.clear();
    bool empty = false;
    for (;;) {
        const char *before = q;
        while (q < end && isSpace(static_cast<unsigned char>(*q)))
            ++q;
        if (q == end)
            return Step::Incomplete;
        if (*q == '>') {
            ++q;
            break;
        }
        if (*q == '/') {
            if (q + 1 == end)
                return Step::Incomplete;
            if (q[1] != '>')
                return fault("not well-formed (invalid token)", q), Step::Stop;
            q += 2;
            empty = true;
            break;
        }
        if (q == before)
            return fault("not well-formed (invalid token)", q), Step::Stop;
        const char *nameAt = q;
        if (const int n = name(q, end, m_piece); n <= 0)
            return n == 0 ? Step::Incomplete : (fault("not well-formed (invalid token)", q), Step::Stop);
        while (q < end && isSpace(static_cast<unsigned char>(*q)))
            ++q;
        if (q == end)
            return Step::Incomplete;
        if (*q != '=')
            return fault("not well-formed (invalid token)", q), Step::Stop;
        ++q;
        while (q < end && isSpace(static_cast<unsigned char>(*q)))
            ++q;
        if (q == end)
            return Step::Incomplete;
        const char quote = *q;
        if (quote != '"' && quote != '\'')
            return fault("not well-formed (invalid token)", q), Step::Stop;
        const char *value = q + 1;
        const char *close = static_cast<const char *>(std::memchr(value, quote, size_t(end - value)));
        if (!close)
            return Step::Incomplete;
        // Pairwise for the few attributes an element has; many are sorted below.
        if (m_attributeOffsets.size() <= 2 * FewAttributes)
            for (size_t i = 0; i < m_attributeOffsets.size(); i += 2)
                if (!std::strcmp(m_attributeData.c_str() + m_attributeOffsets[i], m_piece.c_str()))
                    return fault("duplicate attribute", nameAt), Step::Stop;
        m_attributeOffsets.push_back(m_attributeData.size());
        m_attributeData.append(m_piece).append(1, '\0');
        m_attributeOffsets.push_back(m_attributeData.size());
        const char *v = value;
        while (v < close && isPlainInAttribute(static_cast<unsigned char>(*v)))
            ++v;
        m_attributeData.append(value, size_t(v - value));
        while (v < close) {
            const unsigned char c = static_cast<unsigned char>(*v);
            if (c == '&') {
                const Step step = reference(v, close, m_attributeData);
                if (step != Step::Ok)
                    return step == Step::Incomplete ? (fault("not well-formed (invalid token)", v), Step::Stop) : Step::Stop;
            } else if (c == '<') {
                return fault("not well-formed (invalid token)", v), Step::Stop;
            } else if (c == '\t' || c == '\n') {
                m_attributeData += ' ';
                ++v;
            } else if (c == '\r') {
                m_attributeData += ' ';
                v += v + 1 < close && v[1] == '\n' ? 2 : 1;
            } else if (c < 0x20) {
                return fault("not well-formed (invalid token)", v), Step::Stop;
            } else if (c >= 0x80) {
                const int length = utf8Length(reinterpret_cast<const unsigned char *>(v), reinterpret_cast<const unsigned char *>(close));
                if (length <= 0)
                    return fault("not well-formed (invalid token)", v), Step::Stop;
                m_attributeData.append(v, size_t(length));
                v += length;
            } else {
                m_attributeData += char(c);
                ++v;
            }
        }
        m_attributeData += '\0';
        q = close + 1;
    }
    m_attributes.clear();
    for (size_t offset : m_attributeOffsets)
        m_attributes.push_back(m_attributeData.c_str() + offset);
    m_attributes.push_back(nullptr);
    if (m_attributeOffsets.size() > 2 * FewAttributes) {
        std::vector<std::string_view> names;
        for (size_t i = 0; i + 1 < m_attributes.size(); i += 2)
            names.emplace_back(m_attributes[i]);
        std::sort(names.begin(), names.end());
        if (std::adjacent_find(names.begin(), names.end()) != names.end())
            return fault("duplicate attribute", p), Step::Stop;
    }
    m_rootSeen = true;
    p = q;
    m_eventOffset = size_t(tag - m_base);
    m_handler.startElement(m_name.c_str(), m_attributes.data());
    if (handlerFailed()) {
        m_stop = Outcome::Fault;
        return Step::Stop;
    }
    if (empty) {
        m_handler.endElement(m_name.c_str());
        if (handlerFailed()) {
            m_stop = Outcome::Fault;
            return Step::Stop;
        }
        return Step::Ok;
    }
    if (m_depth >= size_t(XmlParser::MaxDepth))
        return fault("elements are nested more than 512 deep", p), Step::Stop; // XmlParser::MaxDepth
    if (m_open.size() <= m_depth)
        m_open.resize(m_depth + 1);
    m_open[m_depth++] = m_name;
    return Step::Ok;
}

XmlScanner::Step XmlScanner::endTag(const char *&p, const char *end)
{
    const char *q = p + 2;
    if (const int n = name(q, end, m_name); n <= 0)
        return n == 0 ? Step::Incomplete : (fault("not well-formed (invalid token)", q), Step::Stop);
    while (q < end && isSpace(static_cast<unsigned char>(*q)))
        ++q;
    if (q == end)
        return Step::Incomplete;
    if (*q != '>')
        return fault("not well-formed (invalid token)", q), Step::Stop;
    if (m_depth == 0 || m_open[m_depth - 1] != m_name)
        return fault("mismatched tag", p), Step::Stop;
    --m_depth;
    m_eventOffset = size_t(p - m_base);
    p = q + 1;
    m_handler.endElement(m_name.c_str());
    if (handlerFailed()) {
        m_stop = Outcome::Fault;
        return Step::Stop;
    }
    return Step::Ok;
}

XmlScanner::Step XmlScanner::instruction(const char *&p, const char *end)
{
    const char *q = p + 2;
    const char *at = q;
    if (const int n = name(q, end, m_piece); n <= 0)
        return n == 0 ? Step::Incomplete : (fault("not well-formed (invalid token)", at), Step::Stop);
    const void *found = memmem(q, size_t(end - q), "?>", 2);
    if (!found)
        return Step::Incomplete;
    const char *close = static_cast<const char *>(found);
    if (q != close && !isSpace(static_cast<unsigned char>(*q)))
        return fault("not well-formed (invalid token)", q), Step::Stop;
    if (sameLetters(m_piece, "xml")) {
        if (m_piece != "xml" || m_anything)
            return fault("XML or text declaration not at start of entity", p), Step::Stop;
        if (!declarationIsValid(q, close))
            return fault("XML declaration not well-formed", p), Step::Stop;
    }
    if (const char *bad = badCharacter(q, close))
        return fault("not well-formed (invalid token)", bad), Step::Stop;
    p = close + 2;
    return Step::Ok;
}

XmlScanner::Step XmlScanner::skipUntil(const char *&p, const char *end, const char *terminator, bool comment)
{
    const size_t length = std::strlen(terminator);
    const char *from = p + (comment ? 4 : 2);
    const void *found = memmem(from, size_t(end - from), terminator, length);
    if (!found)
        return Step::Incomplete;
    const char *at = static_cast<const char *>(found);
    if (comment) {
        const void *dashes = memmem(from, size_t(at - from), "--", 2);
        if (dashes || (at > from && at[-1] == '-'))
            return fault("not well-formed (invalid token)", dashes ? static_cast<const char *>(dashes) : at - 1), Step::Stop;
        if (const char *bad = badCharacter(from, at))
            return fault("not well-formed (invalid token)", bad), Step::Stop;
    }
    p = at + length;
    return Step::Ok;
}

// Passes [from, to) on as character data: line ends normalised, every
// character checked. `to` never splits a character: the caller makes sure.
XmlScanner::Step XmlScanner::cdata(const char *&p, const char *end)
{
    const char *from = p + 9;
    const void *found = memmem(from, size_t(end - from), "]]>", 3);
    if (!found)
        return Step::Incomplete;
    const char *to = static_cast<const char *>(found);
    const char *run = from;
    for (const char *q = from; q < to;) {
        const unsigned char c = static_cast<unsigned char>(*q);
        if (c >= 0x20 && c < 0x80) {
            ++q;
        } else if (c == '\t' || c == '\n') {
            ++q;
        } else if (c == '\r') {
            if (q > run)
                m_handler.characters(run, int(q - run));
            m_handler.characters("\n", 1);
            q += q + 1 < to && q[1] == '\n' ? 2 : 1;
            run = q;
        } else if (c >= 0x80) {
            const int length = utf8Length(reinterpret_cast<const unsigned char *>(q), reinterpret_cast<const unsigned char *>(to));
            if (length <= 0)
                return fault("not well-formed (invalid token)", q), Step::Stop;
            q += length;
        } else {
            return fault("not well-formed (invalid token)", q), Step::Stop;
        }
    }
    if (to > run)
        m_handler.characters(run, int(to - run));
    p = to + 3;
    return Step::Ok;
}

XmlScanner::Step XmlScanner::reference(const char *&p, const char *end, std::string &out)
{
    const size_t room = std::min(size_t(end - p), MaxReference);
    const char *semicolon = static_cast<const char *>(std::memchr(p, ';', room));
    if (!semicolon)
        return room < MaxReference ? Step::Incomplete : (fault("malformed character or entity reference", p), Step::Stop);
    const std::string_view body(p + 1, size_t(semicolon - p - 1));
    if (body == "lt")
        out += '<';
    else if (body == "gt")
        out += '>';
    else if (body == "amp")
        out += '&';
    else if (body == "apos")
        out += '\'';
    else if (body == "quot")
        out += '"';
    else if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        unsigned long value = 0;
        if (digits.empty())
            return fault("malformed character reference", p), Step::Stop;
        for (char d : digits) {
            int v;
            if (d >= '0' && d <= '9')
                v = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                v = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                v = d - 'A' + 10;
            else
                return fault("malformed character reference", p), Step::Stop;
            value = value * (hex ? 16 : 10) + unsigned(v);
            if (value > 0x10FFFF)
                return fault("reference to invalid character number", p), Step::Stop;
        }
        if (!isXmlChar(value))
            return fault("reference to invalid character number", p), Step::Stop;
        appendUtf8(out, value);
    } else {
        return fault("undefined entity", p), Step::Stop;
    }
    p = semicolon + 1;
    return Step::Ok;
}

XmlScanner::Step XmlScanner::text(const char *&p, const char *end, bool last)
{
    if (m_depth == 0) {
        while (p < end && isSpace(static_cast<unsigned char>(*p)))
            ++p;
        if (p < end && *p != '<')
            return fault(m_rootSeen ? "junk after document element" : "syntax error", p), Step::Stop;
        return Step::Ok;
    }
    const char *run = p;
    auto flush = [&] {
        if (p > run)
            m_handler.characters(run, int(p - run));
    };
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (isPlain(c)) {
            ++p;
            continue;
        }
        if (c == '<')
            break;
        if (c == ']') {
            if (end - p < 3 && !last) {
                flush();
                return Step::Incomplete;
            }
            if (end - p >= 3 && p[1] == ']' && p[2] == '>')
                return fault("not well-formed (invalid token)", p), Step::Stop;
            ++p;
            continue;
        }
        if (c >= 0x80) {
            const int length = utf8Length(reinterpret_cast<const unsigned char *>(p), reinterpret_cast<const unsigned char *>(end));
            if (length < 0 && !last) {
                flush();
                return Step::Incomplete;
            }
            if (length <= 0)
                return fault("not well-formed (invalid token)", p), Step::Stop;
            p += length;
            continue;
        }
        flush();
        if (c == '\r') {
            if (p + 1 == end && !last)
                return Step::Incomplete;
            m_handler.characters("\n", 1);
            p += p + 1 < end && p[1] == '\n' ? 2 : 1;
        } else if (c == '&') {
            m_piece.clear();
            const Step step = reference(p, end, m_piece);
            if (step != Step::Ok)
                return step;
            m_handler.characters(m_piece.data(), int(m_piece.size()));
        } else {
            return fault("not well-formed (invalid token)", p), Step::Stop;
        }
        run = p;
    }
    flush();
    return Step::Ok;
}

} // namespace excel::backend
