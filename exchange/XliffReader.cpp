#include "exchange/XliffFormat.h"

#include "platform/excel/io/TextArena.h"
#include "platform/excel/io/XmlParser.h"

#include <cstring>
#include <string>

namespace exchange {

namespace {

using excel::backend::attribute;
using excel::backend::isElement;
using excel::backend::localName;

// 2.0's state and subState, or 1.2's state of a target. What needs translating
// or review again needs review; what is signed off or final is approved.
std::optional<UnitState> stateOf(const char *state, const char *subState, bool v12)
{
    if (!state)
        return std::nullopt;
    const QByteArrayView s(state);
    if (v12) {
        if (s == "new")
            return UnitState::New;
        if (s.startsWith("needs-"))
            return UnitState::NeedsReview;
        if (s == "translated")
            return UnitState::Translated;
        if (s == "signed-off" || s == "final")
            return UnitState::Approved;
        return std::nullopt;
    }
    if (subState && QByteArrayView(subState) == "quillmark:needs-review")
        return UnitState::NeedsReview;
    if (s == "initial")
        return UnitState::New;
    if (s == "translated")
        return UnitState::Translated;
    if (s == "reviewed" || s == "final")
        return UnitState::Approved;
    return std::nullopt;
}

class XliffHandler : public excel::backend::XmlParser::Handler {
public:
    explicit XliffHandler(const QByteArray &bytes) : m_bytes(bytes) {}

    excel::backend::XmlParser *parser = nullptr;
    ReadTranslation read;
    bool rootSeen = false;
    bool v12 = false;

    void startElement(const char *name, const char **attributes) override
    {
        const char *local = localName(name);
        ++m_depth;
        if (!rootSeen) {
            rootSeen = true;
            const char *version = attribute(attributes, "version");
            if (std::strcmp(local, "xliff") != 0 || !version) {
                fault = QStringLiteral("is not an XLIFF document (its root element is <%1>)").arg(QString::fromUtf8(name));
                return;
            }
            const QByteArray v(version);
            if (v == "1.2" || v == "1.1" || v == "1.0")
                v12 = true;
            else if (!v.startsWith("2."))
                fault = QStringLiteral("XLIFF version %1 is not read (only 2.x and 1.2)").arg(QString::fromUtf8(version));
            if (!v12) {
                read.sourceTag = QString::fromUtf8(attribute(attributes, "srcLang"));
                read.targetTag = QString::fromUtf8(attribute(attributes, "trgLang"));
            }
            return;
        }
        if (m_capture > 0) {
            if (std::strcmp(local, "cp") == 0) {
                bool ok = false;
                const uint code = QByteArray(attribute(attributes, "hex")).toUInt(&ok, 16);
                if (!ok || code > 0x10FFFF) {
                    fault = QStringLiteral("line %1: <cp> needs a hex attribute with a code point").arg(line());
                    return;
                }
                takeBytes();
                if (code > 0xFFFF)
                    m_text += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
                else
                    m_text += QChar(char16_t(code));
            }
            return;
        }
        if (v12 && std::strcmp(local, "file") == 0) {
            read.sourceTag = QString::fromUtf8(attribute(attributes, "source-language"));
            read.targetTag = QString::fromUtf8(attribute(attributes, "target-language"));
        } else if (std::strcmp(local, v12 ? "trans-unit" : "unit") == 0) {
            if (m_unitDepth > 0) {
                fault = QStringLiteral("line %1: a unit inside a unit").arg(line());
                return;
            }
            m_unitDepth = m_depth;
            m_unit = ReadUnit();
            m_unit.line = line();
            const char *id = attribute(attributes, "id");
            m_unit.id = QString::fromUtf8(id ? id : "");
        } else if (m_unitDepth > 0 && (std::strcmp(local, "target") == 0 || std::strcmp(local, "source") == 0)) {
            // 1.2: a target of the unit itself, not of an alt-trans; 2.0: of a segment or ignorable.
            if (m_depth == m_unitDepth + (v12 ? 1 : 2) && (v12 || m_inSegment)) {
                m_capture = m_depth;
                m_capturingSource = local[0] == 's';
                m_capturesNote = false;
                m_text.clear();
                m_utf8.clear();
                if (v12 && !m_capturingSource && !m_unit.state)
                    m_unit.state = stateOf(attribute(attributes, "state"), nullptr, true);
            }
        } else if (m_unitDepth > 0 && std::strcmp(local, "note") == 0) {
            // The translator's note: 1.2's from="translator", 2.0's category="translator" in <notes>.
            const char *by = attribute(attributes, v12 ? "from" : "category");
            if (m_depth == m_unitDepth + (v12 ? 1 : 2) && by && QByteArrayView(by) == "translator" && m_unit.note.isEmpty()) {
                m_capture = m_depth;
                m_capturingSource = false;
                m_capturesNote = true;
                m_text.clear();
                m_utf8.clear();
            }
        } else if (!v12 && m_unitDepth > 0 && m_depth == m_unitDepth + 1
                   && (std::strcmp(local, "segment") == 0 || std::strcmp(local, "ignorable") == 0)) {
            m_inSegment = true;
            if (!m_unit.state)
                m_unit.state = stateOf(attribute(attributes, "state"), attribute(attributes, "subState"), false);
        }
    }

    void endElement(const char *name) override
    {
        const char *local = localName(name);
        if (m_capture == m_depth) {
            m_capture = 0;
            // Most targets are one piece of text: it goes into the arena as it is.
            if (m_text.isEmpty())
                m_text = m_arena.fromUtf8(m_utf8.data(), m_utf8.size());
            else
                takeBytes();
            if (m_capturingSource)
                m_unit.source += m_text;
            else if (m_capturesNote)
                m_unit.note = m_text;
            else
                m_unit.target = m_unit.target ? *m_unit.target + m_text : m_text;
        } else if (m_unitDepth == m_depth) {
            m_unitDepth = 0;
            read.units.push_back(std::move(m_unit));
            m_unit = ReadUnit();
        } else if (!v12 && m_unitDepth > 0 && m_depth == m_unitDepth + 1
                   && (std::strcmp(local, "segment") == 0 || std::strcmp(local, "ignorable") == 0)) {
            m_inSegment = false;
        }
        --m_depth;
    }

    void characters(const char *data, int length) override
    {
        if (m_capture > 0)
            m_utf8.append(data, size_t(length));
    }

private:
    // The text read since the last <cp/>, well formed as the parser checked.
    void takeBytes()
    {
        m_text += QString::fromUtf8(m_utf8.data(), qsizetype(m_utf8.size()));
        m_utf8.clear();
    }

    int line()
    {
        const qint64 at = qMin<qint64>(parser ? parser->byteIndex() : 0, m_bytes.size());
        for (; m_counted < at; ++m_counted)
            if (m_bytes[m_counted] == '\n')
                ++m_line;
        return m_line;
    }

    const QByteArray &m_bytes;
    int m_depth = 0, m_unitDepth = 0, m_capture = 0;
    bool m_inSegment = false;
    bool m_capturingSource = false;
    bool m_capturesNote = false;
    ReadUnit m_unit;
    QString m_text;
    std::string m_utf8;
    excel::backend::TextArena m_arena;
    qint64 m_counted = 0;
    int m_line = 1;
};

} // namespace

qm::Result<ReadTranslation> readXliff(const QByteArray &bytes, const QString &path)
{
    XliffHandler handler(bytes);
    excel::backend::XmlParser parser(handler, path, excel::backend::XmlParser::Engine::Scanner);
    handler.parser = &parser;
    if (auto parsed = parser.parse(bytes); !parsed)
        return parsed.error();
    if (!handler.rootSeen)
        return qm::makeError(QStringLiteral("%1: is not an XLIFF document").arg(path));
    return std::move(handler.read);
}

} // namespace exchange
