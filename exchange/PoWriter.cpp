#include "exchange/PoFormat.h"

#include "exchange/TextChecks.h"

#include <QDateTime>

namespace exchange {

namespace {

void appendEscaped(QString &out, QStringView text)
{
    // Runs of plain characters go in whole; only the ones to escape one by one.
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        QLatin1String escaped;
        switch (c) {
        case u'\\': escaped = QLatin1String("\\\\"); break;
        case u'"': escaped = QLatin1String("\\\""); break;
        case u'\n': escaped = QLatin1String("\\n"); break;
        case u'\r': escaped = QLatin1String("\\r"); break;
        case u'\t': escaped = QLatin1String("\\t"); break;
        case u'\a': escaped = QLatin1String("\\a"); break;
        case u'\b': escaped = QLatin1String("\\b"); break;
        case u'\f': escaped = QLatin1String("\\f"); break;
        case u'\v': escaped = QLatin1String("\\v"); break;
        default:
            if (c >= 0x20 && c != 0x7F)
                continue;
        }
        out += text.mid(plain, i - plain);
        if (escaped.isEmpty())
            out += QStringLiteral("\\%1").arg(c, 3, 8, QLatin1Char('0'));
        else
            out += escaped;
        plain = i + 1;
    }
    out += text.mid(plain);
}

// keyword "text", split after each line feed as gettext's tools write it.
void appendString(QString &out, const char *keyword, QStringView text)
{
    out += QLatin1String(keyword);
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak < 0 || firstBreak == text.size() - 1) {
        out += QLatin1String(" \"");
        appendEscaped(out, text);
        out += QLatin1String("\"\n");
        return;
    }
    out += QLatin1String(" \"\"\n");
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        end = end < 0 ? text.size() : end + 1;
        out += u'"';
        appendEscaped(out, text.mid(start, end - start));
        out += QLatin1String("\"\n");
        start = end;
    }
}

qm::Status check(qint32 id, const QString &text, const char *what)
{
    if (const qsizetype at = text.indexOf(QChar(0)); at >= 0)
        return qm::makeError(QStringLiteral("string ID %1: the %2 text \"%3\" holds a NUL character, which a PO file "
                                            "cannot carry")
                                 .arg(id).arg(QLatin1String(what), excerptOf(text)));
    if (const qsizetype at = unpairedSurrogateAt(text); at >= 0)
        return qm::makeError(QStringLiteral("string ID %1: the %2 text \"%3\" holds the unpaired surrogate %4, which "
                                            "UTF-8 cannot carry")
                                 .arg(id).arg(QLatin1String(what), excerptOf(text), unitName(text, at)));
    return {};
}

} // namespace

qm::Result<QByteArray> writePo(const Translation &translation)
{
    for (const TranslationUnit &unit : translation.units) {
        if (auto ok = check(unit.id, unit.source, "source"); !ok)
            return ok.error();
        if (unit.target)
            if (auto ok = check(unit.id, *unit.target, "target"); !ok)
                return ok.error();
    }
    const QString targetTag = localeTag(translation.targetLocale);
    QString out;
    out.reserve(qsizetype(translation.units.size()) * 64 + 512);
    out += QStringLiteral("# Strings of %1, from %2 to %3.\n").arg(translation.original, localeTag(translation.sourceLocale), targetTag);
    out += QLatin1String("msgid \"\"\nmsgstr \"\"\n");
    const QString header[] = {
        QStringLiteral("Project-Id-Version: %1").arg(translation.original),
        QStringLiteral("PO-Revision-Date: %1").arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm+0000"))),
        QStringLiteral("Last-Translator: Quillmark"),
        QStringLiteral("Language-Team: %1").arg(targetTag),
        QStringLiteral("Language: %1").arg(QString(targetTag).replace(u'-', u'_')),
        QStringLiteral("MIME-Version: 1.0"),
        QStringLiteral("Content-Type: text/plain; charset=UTF-8"),
        QStringLiteral("Content-Transfer-Encoding: 8bit"),
        QStringLiteral("X-Quillmark-Source-Locale: %1").arg(translation.sourceLocale),
        QStringLiteral("X-Quillmark-Target-Locale: %1").arg(translation.targetLocale),
    };
    for (const QString &field : header) {
        out += u'"';
        appendEscaped(out, field);
        out += QLatin1String("\\n\"\n");
    }
    for (const TranslationUnit &unit : translation.units) {
        out += u'\n';
        out += QStringLiteral("msgctxt \"%1\"\n").arg(unit.id);
        appendString(out, "msgid", unit.source);
        appendString(out, "msgstr", unit.target ? QStringView(*unit.target) : QStringView());
    }
    return out.toUtf8();
}

} // namespace exchange
