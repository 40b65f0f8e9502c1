#include "exchange/PoFormat.h"

#include "exchange/TextChecks.h"
#include "exchange/Utf8Writer.h"

#include <QDateTime>

namespace exchange {

namespace {

constexpr AsciiSet kEscaped = asciiSet("\\\"", true);

char *escape(char *out, char16_t c)
{
    switch (c) {
    case u'\\': return copyLiteral(out, "\\\\");
    case u'"': return copyLiteral(out, "\\\"");
    case u'\n': return copyLiteral(out, "\\n");
    case u'\r': return copyLiteral(out, "\\r");
    case u'\t': return copyLiteral(out, "\\t");
    case u'\a': return copyLiteral(out, "\\a");
    case u'\b': return copyLiteral(out, "\\b");
    case u'\f': return copyLiteral(out, "\\f");
    case u'\v': return copyLiteral(out, "\\v");
    default: break;
    }
    // Other controls as three octal digits; unpaired surrogates are refused before.
    *out++ = '\\';
    *out++ = char('0' + ((c >> 6) & 7));
    *out++ = char('0' + ((c >> 3) & 7));
    *out++ = char('0' + (c & 7));
    return out;
}

void appendEscaped(ByteSink &out, QStringView text)
{
    appendUtf8(out, text, kEscaped, 4, escape);
}

// keyword "text", split after each line feed as gettext's tools write it.
void appendString(ByteSink &out, std::string_view keyword, QStringView text)
{
    out.append(keyword.data(), keyword.size());
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak < 0 || firstBreak == text.size() - 1) {
        out << " \"";
        appendEscaped(out, text);
        out << "\"\n";
        return;
    }
    out << " \"\"\n";
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        end = end < 0 ? text.size() : end + 1;
        out << '"';
        appendEscaped(out, text.mid(start, end - start));
        out << "\"\n";
        start = end;
    }
}

// A comment of one line per line of text (prefix "# " for the translator's,
// "#. " for one to translators).
void comments(ByteSink &out, std::string_view prefix, const QString &text)
{
    if (text.isEmpty())
        return;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        out.append(prefix.data(), prefix.size());
        appendUtf8(out, line.toString().replace(QChar(0), QChar::ReplacementCharacter));
        out << '\n';
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

qm::Status writePo(const Translation &translation, ByteSink &out)
{
    for (const TranslationUnit &unit : translation.units) {
        if (auto ok = check(unit.id, unit.source, "source"); !ok)
            return ok.error();
        if (unit.target)
            if (auto ok = check(unit.id, *unit.target, "target"); !ok)
                return ok.error();
    }
    const QString targetTag = localeTag(translation.targetLocale);
    appendUtf8(out, QStringLiteral("# Strings of %1, from %2 to %3.\n")
                        .arg(translation.original, localeTag(translation.sourceLocale), targetTag));
    out << "msgid \"\"\nmsgstr \"\"\n";
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
        out << '"';
        appendEscaped(out, field);
        out << "\\n\"\n";
    }
    for (const TranslationUnit &unit : translation.units) {
        out << '\n';
        comments(out, "# ", unit.note);
        comments(out, "#. ", unit.comment);
        if (unit.state == UnitState::NeedsReview && unit.target)
            out << "#, fuzzy\n";
        out << "msgctxt \"";
        out.appendInt(unit.id);
        out << "\"\n";
        appendString(out, "msgid", unit.source);
        appendString(out, "msgstr", unit.target ? QStringView(*unit.target) : QStringView());
    }
    return {};
}

} // namespace exchange
