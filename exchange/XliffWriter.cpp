#include "exchange/XliffFormat.h"

#include "exchange/TextChecks.h"
#include "exchange/Utf8Writer.h"

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
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (v20) {
        out << "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.0\"";
        attribute(out, "srcLang", source);
        attribute(out, "trgLang", target);
        out << ">\n <file id=\"f1\"";
        attribute(out, "original", translation.original);
        out << " xml:space=\"preserve\">\n";
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
        out << (v20 ? "\">\n   <segment>\n" : "\" xml:space=\"preserve\">\n");
        element(out, "    <source>", unit.source, "</source>\n");
        if (unit.target)
            element(out, "    <target>", *unit.target, "</target>\n");
        out << (v20 ? "   </segment>\n  </unit>\n" : "   </trans-unit>\n");
    }
    out << (v20 ? " </file>\n</xliff>\n" : "  </body>\n </file>\n</xliff>\n");
    return {};
}

} // namespace exchange
