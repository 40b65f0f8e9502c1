#include "exchange/RcFormat.h"

#include "platform/resutil/ResStrings.h"

#include <map>

namespace exchange {

namespace {

// Source characters per literal: long texts become concatenated literals.
constexpr qsizetype kLiteralLength = 200;

void appendLiteral(QString &out, QStringView text)
{
    out += QLatin1String("L\"");
    qsizetype written = 0;
    for (QChar c : text) {
        if (written >= kLiteralLength) {
            out += QLatin1String("\"\n        L\"");
            written = 0;
        }
        const char16_t u = c.unicode();
        switch (u) {
        case u'"': out += QLatin1String("\"\""); written += 2; continue;
        case u'\\': out += QLatin1String("\\\\"); written += 2; continue;
        case u'\n': out += QLatin1String("\\n"); written += 2; continue;
        case u'\r': out += QLatin1String("\\r"); written += 2; continue;
        case u'\t': out += QLatin1String("\\t"); written += 2; continue;
        default: break;
        }
        if (u >= 0x20 && u < 0x7F) {
            out += c;
            ++written;
        } else {
            static constexpr char16_t kHex[] = u"0123456789abcdef";
            const char16_t escaped[] = {u'\\', u'x', kHex[u >> 12], kHex[(u >> 8) & 0xF], kHex[(u >> 4) & 0xF], kHex[u & 0xF]};
            out += QStringView(escaped, 6);
            written += 6;
        }
    }
    out += u'"';
}

} // namespace

qm::Result<QByteArray> writeRc(const resutil::ResStrings &strings, const QString &original)
{
    std::map<qint32, std::map<qint32, const QString *>> byLanguage;
    for (const resutil::ResString *entry : strings) {
        if (entry->LocaleID() < 0 || entry->LocaleID() > 0xFFFF)
            return qm::makeError(QStringLiteral("the locale ID %1 does not fit a LANGUAGE statement (0 to 65535)")
                                     .arg(entry->LocaleID()));
        if (entry->ID() < 0 || entry->ID() > 0xFFFF)
            return qm::makeError(QStringLiteral("the string ID %1 does not fit a string table (0 to 65535)").arg(entry->ID()));
        if (entry->Text().isEmpty())
            continue;
        auto &table = byLanguage[entry->LocaleID()];
        if (auto found = table.find(entry->ID()); found != table.end()) {
            if (*found->second != entry->Text())
                return qm::makeError(QStringLiteral("string ID %1 has two different texts in locale %2")
                                         .arg(entry->ID()).arg(entry->LocaleID()));
            continue;
        }
        table.emplace(entry->ID(), &entry->Text());
    }
    QString out;
    out += QStringLiteral("// String tables of %1, written by Quillmark.\n#pragma code_page(65001)\n").arg(original);
    for (const auto &[locale, table] : byLanguage) {
        out += QStringLiteral("\nLANGUAGE 0x%1, 0x%2\nSTRINGTABLE\nBEGIN\n")
                   .arg(locale & 0x3FF, 2, 16, QLatin1Char('0'))
                   .arg(locale >> 10, 2, 16, QLatin1Char('0'));
        for (const auto &[id, text] : table) {
            out += QStringLiteral("    %1, ").arg(id);
            appendLiteral(out, *text);
            out += u'\n';
        }
        out += QLatin1String("END\n");
    }
    return out.toUtf8();
}

} // namespace exchange
