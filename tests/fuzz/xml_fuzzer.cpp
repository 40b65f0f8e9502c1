// The XML scanner: the whole input and the same input cut into pieces give
// the same verdict and the same events, and both agree with expat.
#include "platform/excel/io/XmlParser.h"
#include "platform/excel/io/XmlScanner.h"
#include "tests/fuzz/FuzzSupport.h"

#include <expat.h>

#include <string>

namespace {

using excel::backend::XmlParser;

// Every event as a line; character data joined up to the next tag, since
// parsers may split it anywhere.
class Recorder : public XmlParser::Handler {
public:
    std::string events;
    void startElement(const char *name, const char **attributes) override
    {
        flush();
        events += "<";
        events += name;
        for (const char **a = attributes; *a; a += 2) {
            events += " ";
            events += a[0];
            events += "=";
            events += a[1];
            events += "\x01";
        }
        events += ">\n";
    }
    void endElement(const char *name) override
    {
        flush();
        events += "</";
        events += name;
        events += ">\n";
    }
    void characters(const char *text, int length) override { m_text.append(text, size_t(length)); }
    void flush()
    {
        if (m_text.empty())
            return;
        events += "text:" + m_text + "\n";
        m_text.clear();
    }

private:
    std::string m_text;
};

struct Outcome {
    bool ok = false;
    std::string events;
    QString message;
};

Outcome parse(const uint8_t *data, size_t size, XmlParser::Engine engine, size_t cut)
{
    Recorder recorder;
    XmlParser parser(recorder, QStringLiteral("fuzzed.xml"), engine);
    const char *bytes = reinterpret_cast<const char *>(data);
    qm::Status status;
    if (cut == 0) {
        status = parser.feed(bytes, size, true);
    } else {
        // Pieces of changing sizes, the last one marked.
        size_t at = 0, piece = cut;
        while (status && at < size) {
            const size_t n = std::min(piece, size - at);
            status = parser.feed(bytes + at, n, at + n == size);
            at += n;
            piece = piece * 7 % 13 + 1;
        }
        if (status && size == 0)
            status = parser.feed(bytes, 0, true);
    }
    recorder.flush();
    return {status.ok(), recorder.events, status.errorString()};
}

// Expat names with the narrower tables of XML 1.0's fourth edition: where it
// stops at a name character that only the fifth edition admits, the verdicts
// may differ.
bool onlyNameTablesDiffer(const uint8_t *data, size_t size)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_Parse(parser, reinterpret_cast<const char *>(data), int(size), 1);
    const bool invalidToken = XML_GetErrorCode(parser) == XML_ERROR_INVALID_TOKEN;
    const XML_Index at = XML_GetCurrentByteIndex(parser);
    XML_ParserFree(parser);
    if (!invalidToken || at < 0 || size_t(at) >= size || data[at] < 0xC0)
        return false;
    const int length = data[at] < 0xE0 ? 2 : data[at] < 0xF0 ? 3 : 4;
    if (size_t(at) + size_t(length) > size)
        return false;
    unsigned long c = data[at] & (0xFF >> (length + 1));
    for (int i = 1; i < length; ++i)
        c = c << 6 | (data[at + i] & 0x3F);
    return excel::backend::isNonAsciiNameChar(c, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Outcome whole = parse(data, size, XmlParser::Engine::Scanner, 0);
    const size_t cut = size == 0 ? 1 : data[0] % 9 + 1;
    const Outcome pieces = parse(data, size, XmlParser::Engine::Scanner, cut);
    if (whole.ok != pieces.ok)
        fuzz::broken("the whole input and its pieces get different verdicts", whole.ok ? pieces.message : whole.message);
    if (whole.ok && whole.events != pieces.events)
        fuzz::broken("the whole input and its pieces give different events");
    const Outcome expat = parse(data, size, XmlParser::Engine::Expat, 0);
    if (whole.ok && !expat.ok && onlyNameTablesDiffer(data, size))
        return 0;
    if (whole.ok != expat.ok)
        fuzz::broken(whole.ok ? "the scanner accepts what expat refuses" : "the scanner refuses what expat accepts",
                     whole.ok ? expat.message : whole.message);
    if (whole.ok && whole.events != expat.events)
        fuzz::broken("the scanner and expat give different events");
    return 0;
}
