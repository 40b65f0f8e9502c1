#include "exchange/XliffFormat.h"

#include "exchange/TextChecks.h"

namespace exchange {

namespace {

void appendEscaped(QString &out, const QString &text, bool attribute)
{
    // Runs of plain characters go in whole; only the ones to escape one by one.
    const QStringView view(text);
    qsizetype plain = 0;
    const auto escape = [&](qsizetype i, QStringView escaped) {
        out += view.mid(plain, i - plain);
        out += escaped;
        plain = i + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': escape(i, u"&amp;"); continue;
        case u'<': escape(i, u"&lt;"); continue;
        case u'>': escape(i, u"&gt;"); continue;
        case u'\r': escape(i, u"&#13;"); continue;
        case u'"':
        case u'\t':
        case u'\n':
            if (attribute)
                escape(i, c == u'"' ? u"&quot;" : c == u'\t' ? u"&#9;" : u"&#10;");
            continue;
        default: break;
        }
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF || c.isSurrogate())
            escape(i, QString(QLatin1String("<cp hex=\"") + QStringLiteral("%1").arg(u, 4, 16, QLatin1Char('0')).toUpper() +
                              QLatin1String("\"/>")));
    }
    out += view.mid(plain);
}

QString attribute(const QString &text)
{
    QString out;
    appendEscaped(out, text, true);
    return out;
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

qm::Result<QByteArray> writeXliff(const Translation &translation, XliffVersion version)
{
    const QString source = attribute(localeTag(translation.sourceLocale));
    const QString target = attribute(localeTag(translation.targetLocale));
    const QString original = attribute(translation.original);
    QString out;
    out.reserve(qsizetype(translation.units.size()) * 120 + 512);
    out += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    if (version == XliffVersion::V20) {
        out += QStringLiteral("<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.0\" srcLang=\"%1\" "
                              "trgLang=\"%2\">\n <file id=\"f1\" original=\"%3\" xml:space=\"preserve\">\n")
                   .arg(source, target, original);
        for (const TranslationUnit &unit : translation.units) {
            out += QStringLiteral("  <unit id=\"%1\" name=\"%1\">\n   <segment>\n    <source>").arg(unit.id);
            appendEscaped(out, unit.source, false);
            out += QLatin1String("</source>\n");
            if (unit.target) {
                out += QLatin1String("    <target>");
                appendEscaped(out, *unit.target, false);
                out += QLatin1String("</target>\n");
            }
            out += QLatin1String("   </segment>\n  </unit>\n");
        }
        out += QLatin1String(" </file>\n</xliff>\n");
        return out.toUtf8();
    }
    if (auto ok = check12(translation); !ok)
        return ok.error();
    out += QStringLiteral("<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" version=\"1.2\">\n <file original=\"%1\" "
                          "source-language=\"%2\" target-language=\"%3\" datatype=\"plaintext\">\n  <body>\n")
               .arg(original, source, target);
    for (const TranslationUnit &unit : translation.units) {
        out += QStringLiteral("   <trans-unit id=\"%1\" resname=\"%1\" xml:space=\"preserve\">\n    <source>").arg(unit.id);
        appendEscaped(out, unit.source, false);
        out += QLatin1String("</source>\n");
        if (unit.target) {
            out += QLatin1String("    <target>");
            appendEscaped(out, *unit.target, false);
            out += QLatin1String("</target>\n");
        }
        out += QLatin1String("   </trans-unit>\n");
    }
    out += QLatin1String("  </body>\n </file>\n</xliff>\n");
    return out.toUtf8();
}

} // namespace exchange
