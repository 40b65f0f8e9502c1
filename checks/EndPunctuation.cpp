#include "checks/EndPunctuation.h"

namespace checks {

namespace {

enum class Script { Default, Greek, Arabic, CJK, Indic, Armenian, Ethiopic, Myanmar, Tibetan, NoFullStop, Spanish };

Script scriptOf(qint32 localeId)
{
    switch (localeId & 0x3FF) {
    case 0x08:
        return Script::Greek;
    case 0x01: case 0x20: case 0x29: case 0x59: case 0x63: case 0x80: case 0x92:
        return Script::Arabic;
    case 0x04: case 0x11: case 0x12:
        return Script::CJK;
    case 0x39: case 0x45: case 0x4E: case 0x4F: case 0x57: case 0x61:
        return Script::Indic;
    case 0x2B:
        return Script::Armenian;
    case 0x5E: case 0x73:
        return Script::Ethiopic;
    case 0x55:
        return Script::Myanmar;
    case 0x51:
        return Script::Tibetan;
    case 0x1E: case 0x53: case 0x54:
        return Script::NoFullStop;
    case 0x0A:
        return Script::Spanish;
    default:
        return Script::Default;
    }
}

// The marks a script ends a sentence with, beyond . : ? ! and the ellipsis.
QStringView extraMarks(Script script)
{
    switch (script) {
    case Script::Greek:
        return u";\u037E\u0387";
    case Script::Arabic:
        return u"\u061F\u06D4\u061B";
    case Script::CJK:
        return u"。？！：．｡";
    case Script::Indic:
        return u"\u0964\u0965";
    case Script::Armenian:
        return u"\u0589\u055E\u055C";
    case Script::Ethiopic:
        return u"\u1362\u1367\u1368\u1365";
    case Script::Myanmar:
        return u"\u104A\u104B";
    case Script::Tibetan:
        return u"\u0F0D\u0F0E";
    case Script::NoFullStop:
        return u"\u17D4\u17D5";
    default:
        return u"";
    }
}

bool isEndMark(QChar c, Script script)
{
    return QStringView(u".:?!…").contains(c) || extraMarks(script).contains(c);
}

bool isClosing(QChar c) { return QStringView(u"\"')]}»”’›」』）】〉》").contains(c); }

// A full stop or colon, in every script that writes them.
bool isStopOrColon(QStringView mark)
{
    return mark.size() == 1 && QStringView(u".:。：．｡\u0964\u06D4\u0589\u1362\u104B\u0F0D").contains(mark[0]);
}

} // namespace

QString endPunctuation(QStringView text, qint32 localeId)
{
    const Script script = scriptOf(localeId);
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1].isSpace() || isClosing(text[end - 1])))
        --end;
    qsizetype start = end;
    while (start > 0 && isEndMark(text[start - 1], script))
        --start;
    return text.sliced(start, end - start).toString();
}

std::optional<Problem> checkPunctuation(QStringView source, qint32 sourceLocale, QStringView translation, qint32 targetLocale)
{
    if (source.isEmpty() || translation.isEmpty())
        return std::nullopt;
    const QString inSource = endPunctuation(source, sourceLocale);
    const QString inTranslation = endPunctuation(translation, targetLocale);
    const Script script = scriptOf(targetLocale);
    if (!inSource.isEmpty() && inTranslation.isEmpty()) {
        if (script == Script::NoFullStop && isStopOrColon(inSource))
            return std::nullopt;
        return Problem{Rule::Punctuation, Finding::Missing, inSource};
    }
    if (inSource.isEmpty() && !inTranslation.isEmpty())
        return Problem{Rule::Punctuation, Finding::Added, inTranslation};
    if (script == Script::Spanish) {
        if (inTranslation.contains(u'?') && !translation.contains(u'¿'))
            return Problem{Rule::Punctuation, Finding::Unpaired, QStringLiteral("¿")};
        if (inTranslation.contains(u'!') && !translation.contains(u'¡'))
            return Problem{Rule::Punctuation, Finding::Unpaired, QStringLiteral("¡")};
    }
    return std::nullopt;
}

} // namespace checks
