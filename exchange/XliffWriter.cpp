#include "exchange/XliffFormat.h"

#include "exchange/TextChecks.h"
#include "exchange/Utf8Writer.h"

#include <algorithm>

namespace exchange {

namespace {

// DEL is a character XML holds; the other controls but tab and line feed are not.
constexpr AsciiSet kTextEscaped = except(asciiSet("&<>\r", true), "\t\n\x7F");
constexpr AsciiSet kAttributeEscaped = except(asciiSet("&<>\"", true), "\x7F");
constexpr size_t kLongestEscape = sizeof "<cp hex=\"FFFF\"/>" - 1;

char *escapeText(char *out, char16_t c)
{
    if (char *end = escapeXml(out, c))
        return end;
    // What XML cannot hold at all: 2.0's <cp/>. 1.2 files are checked before.
    static const char digits[] = "0123456789ABCDEF";
    out = copyLiteral(out, "<cp hex=\"");
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = digits[(c >> shift) & 0xF];
    return copyLiteral(out, "\"/>");
}

void text(ByteSink &out, QStringView value)
{
    appendUtf8<true>(out, value, kTextEscaped, kLongestEscape, escapeText);
}

void attribute(ByteSink &out, const char *name, QStringView value)
{
    out << ' ';
    out.append(name, std::strlen(name));
    out << "=\"";
    // An attribute cannot hold <cp/>: the replacement character stands in.
    appendUtf8<true>(out, value, kAttributeEscaped, 6, escapeXmlOrReplace);
    out << '"';
}

// A note's text: XML cannot hold some characters, and a note does not need them.
void noteText(ByteSink &out, QStringView value)
{
    appendUtf8<true>(out, value, kTextEscaped, 6, escapeXmlOrReplace);
}

const char *state20(UnitState state)
{
    switch (state) {
    case UnitState::New: return "initial";
    case UnitState::Translated:
    case UnitState::NeedsReview: return "translated";
    case UnitState::Approved: return "final";
    }
    return "translated";
}

const char *state12(UnitState state)
{
    switch (state) {
    case UnitState::New: return "new";
    case UnitState::Translated: return "translated";
    case UnitState::NeedsReview: return "needs-review-translation";
    case UnitState::Approved: return "signed-off";
    }
    return "translated";
}

void notes20(ByteSink &out, const TranslationUnit &unit)
{
    if (unit.comment.isEmpty() && unit.note.isEmpty())
        return;
    out << "   <notes>\n";
    if (!unit.comment.isEmpty()) {
        out << "    <note category=\"description\">";
        noteText(out, unit.comment);
        out << "</note>\n";
    }
    if (!unit.note.isEmpty()) {
        out << "    <note category=\"translator\" appliesTo=\"target\">";
        noteText(out, unit.note);
        out << "</note>\n";
    }
    out << "   </notes>\n";
}

void notes12(ByteSink &out, const TranslationUnit &unit)
{
    if (!unit.comment.isEmpty()) {
        out << "    <note from=\"developer\">";
        noteText(out, unit.comment);
        out << "</note>\n";
    }
    if (!unit.note.isEmpty()) {
        out << "    <note from=\"translator\">";
        noteText(out, unit.note);
        out << "</note>\n";
    }
}

void element(ByteSink &out, const char *open, QStringView value, const char *close)
{
    out.append(open, std::strlen(open));
    text(out, value);
    out.append(close, std::strlen(close));
}

qm::Status check12(const Translation &translation)
{
    for (const TranslationUnit &unit : translation.units) {
        for (const QString *text : {&unit.source, unit.target ? &*unit.target : nullptr}) {
            if (!text)
                continue;
            if (const qsizetype at = nonXmlCharacterAt(*text); at >= 0)
                return qm::makeError(QStringLiteral("string ID %1: the text \"%2\" holds %3, which XLIFF 1.2 cannot "
                                                    "carry; export as XLIFF 2.0 or PO")
                                         .arg(unit.id).arg(excerptOf(*text), unitName(*text, at)));
        }
    }
    return {};
}

} // namespace

qm::Status writeXliff(const Translation &translation, XliffVersion version, ByteSink &out)
{
    const bool v20 = version == XliffVersion::V20;
    if (!v20)
        if (auto ok = check12(translation); !ok)
            return ok.error();
    const QString source = localeTag(translation.sourceLocale);
    const QString target = localeTag(translation.targetLocale);
    // Size restrictions, in characters, need 2.0's module for them.
    const bool limits = std::any_of(translation.units.begin(), translation.units.end(),
                                    [](const TranslationUnit &unit) { return unit.maxLength > 0; });
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (v20) {
        out << "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.0\"";
        if (limits)
            out << " xmlns:slr=\"urn:oasis:names:tc:xliff:sizerestriction:2.0\"";
        attribute(out, "srcLang", source);
        attribute(out, "trgLang", target);
        out << ">\n <file id=\"f1\"";
        attribute(out, "original", translation.original);
        out << " xml:space=\"preserve\">\n";
        if (limits)
            out << "  <slr:profiles generalProfile=\"xliff:codepoints\"/>\n";
    } else {
        out << "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" version=\"1.2\">\n <file";
        attribute(out, "original", translation.original);
        attribute(out, "source-language", source);
        attribute(out, "target-language", target);
        out << " datatype=\"plaintext\">\n  <body>\n";
    }
    for (const TranslationUnit &unit : translation.units) {
        out << (v20 ? "  <unit id=\"" : "   <trans-unit id=\"");
        out.appendInt(unit.id);
        out << (v20 ? "\" name=\"" : "\" resname=\"");
        out.appendInt(unit.id);
        out << '"';
        if (unit.maxLength > 0) {
            out << (v20 ? " slr:sizeRestriction=\"" : " maxwidth=\"");
            out.appendInt(unit.maxLength);
            out << (v20 ? "\"" : "\" size-unit=\"char\"");
        }
        // A state other than the first needs a target to be about.
        const std::optional<UnitState> state =
            unit.state && (unit.target || *unit.state == UnitState::New) ? unit.state : std::nullopt;
        if (v20) {
            out << ">\n";
            notes20(out, unit);
            out << "   <segment";
            if (state) {
                out << " state=\"";
                out.append(state20(*state), std::strlen(state20(*state)));
                out << '"';
                if (*state == UnitState::NeedsReview)
                    out << " subState=\"quillmark:needs-review\"";
            }
            out << ">\n";
        } else {
            out << " xml:space=\"preserve\">\n";
        }
        element(out, "    <source>", unit.source, "</source>\n");
        if (unit.target) {
            if (!v20 && state) {
                out << "    <target state=\"";
                out.append(state12(*state), std::strlen(state12(*state)));
                out << "\">";
                text(out, *unit.target);
                out << "</target>\n";
            } else {
                element(out, "    <target>", *unit.target, "</target>\n");
            }
        }
        if (!v20)
            notes12(out, unit);
        out << (v20 ? "   </segment>\n  </unit>\n" : "   </trans-unit>\n");
    }
    out << (v20 ? " </file>\n</xliff>\n" : "  </body>\n </file>\n</xliff>\n");
    return {};
}

} // namespace exchange
