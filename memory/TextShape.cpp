#include "memory/TextShape.h"

#include <algorithm>

namespace memory {

namespace {

// Stands for any placeholder in a key: %1 and {0} compare alike.
constexpr char16_t kPlaceholderMark = u'\uE000';

bool isEdgeSpace(QChar c) { return c.isSpace(); }

LetterCase caseOf(QStringView text)
{
    if (text.isEmpty() || !text.front().isLetter())
        return LetterCase::None;
    if (text.front().isUpper())
        return LetterCase::Upper;
    return text.front().isLower() ? LetterCase::Lower : LetterCase::None;
}

// The suffix translators keep: an ellipsis or a colon, with the spaces before
// it (French writes " :").
qsizetype suffixLength(QStringView text)
{
    qsizetype n = 0;
    if (text.endsWith(u"..."))
        n = 3;
    else if (text.endsWith(u'\u2026') || text.endsWith(u':'))
        n = 1;
    else
        return 0;
    while (n < text.size() && isEdgeSpace(text[text.size() - 1 - n]))
        ++n;
    return n;
}

// The first single & before a character that is not a space; && is a plain ampersand.
qsizetype accessKeyAt(QStringView text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        if (!text[i + 1].isSpace())
            return i;
    }
    return -1;
}

QList<checks::Placeholder> placeholdersOf(QStringView text)
{
    checks::Placeholders found = checks::findPlaceholders(text);
    QList<checks::Placeholder> all;
    for (checks::Placeholder &p : found.named)
        if (p.key != u"%%")
            all.append(std::move(p));
    for (checks::Placeholder &p : found.sequential)
        all.append(std::move(p));
    std::sort(all.begin(), all.end(), [](const checks::Placeholder &a, const checks::Placeholder &b) { return a.at < b.at; });
    return all;
}

QChar withCase(QChar c, LetterCase wanted)
{
    if (wanted == LetterCase::Upper)
        return c.toUpper();
    if (wanted == LetterCase::Lower)
        return c.toLower();
    return c;
}

// Where the access key goes in a translation's body: before the same letter
// as in the wanted text when the translation has it, else at the same place
// (clamped to the body).
qsizetype accessKeyPlace(const TextShape &wanted, const TextShape &source, const TextShape &target)
{
    if (wanted.accessAt < 0 || target.body.isEmpty())
        return -1;
    if (source.accessAt >= 0 && target.accessAt >= 0)
        return target.accessAt; // the translator chose it
    const QChar letter = wanted.body[wanted.accessAt];
    const auto insidePlaceholder = [&](qsizetype at) {
        return std::any_of(target.placeholders.begin(), target.placeholders.end(),
                           [&](const checks::Placeholder &p) { return at >= p.at && at < p.at + p.written.size(); });
    };
    for (qsizetype i = 0; i < target.body.size(); ++i)
        if (target.body[i].toCaseFolded() == letter.toCaseFolded() && !insidePlaceholder(i))
            return i;
    // At the same place, or the next letter or digit after it that is no placeholder's.
    const auto fits = [&](qsizetype at) { return target.body[at].isLetterOrNumber() && !insidePlaceholder(at); };
    const qsizetype from = std::min(wanted.accessAt, target.body.size() - 1);
    for (qsizetype at = from; at < target.body.size(); ++at)
        if (fits(at))
            return at;
    for (qsizetype at = from - 1; at >= 0; --at)
        if (fits(at))
            return at;
    return -1;
}

} // namespace

TextShape shapeOf(QStringView text)
{
    TextShape shape;
    qsizetype begin = 0, end = text.size();
    while (begin < end && isEdgeSpace(text[begin]))
        ++begin;
    while (end > begin && isEdgeSpace(text[end - 1]))
        --end;
    shape.leading = text.first(begin).toString();
    shape.trailing = text.sliced(end).toString();
    QStringView rest = text.sliced(begin, end - begin);
    const qsizetype suffix = suffixLength(rest);
    shape.suffix = rest.last(suffix).toString();
    rest.chop(suffix);

    shape.accessAt = accessKeyAt(rest);
    shape.body = rest.toString();
    if (shape.accessAt >= 0)
        shape.body.remove(shape.accessAt, 1);
    shape.firstCase = caseOf(shape.body);
    shape.placeholders = placeholdersOf(shape.body);

    shape.key.reserve(shape.body.size());
    qsizetype from = 0;
    for (const checks::Placeholder &p : shape.placeholders) {
        shape.key += QStringView(shape.body).sliced(from, p.at - from);
        shape.key += QChar(kPlaceholderMark);
        from = p.at + p.written.size();
    }
    shape.key += QStringView(shape.body).sliced(from);
    if (shape.firstCase != LetterCase::None)
        shape.key[0] = shape.key[0].toLower();
    return shape;
}

QString carryOver(const TextShape &wanted, QStringView storedSource, QStringView storedTarget)
{
    const TextShape source = shapeOf(storedSource);
    const TextShape target = shapeOf(storedTarget);
    const qsizetype keyAt = accessKeyPlace(wanted, source, target);

    // The translation's placeholders stand for the stored source's; the one
    // that stood for the source's n-th becomes the wanted text's n-th.
    const auto replacement = [&](const checks::Placeholder &p) -> QString {
        for (qsizetype i = 0; i < source.placeholders.size(); ++i)
            if (source.placeholders[i].key == p.key)
                return i < wanted.placeholders.size() ? wanted.placeholders[i].written : p.written;
        return p.written;
    };
    QString body;
    body.reserve(target.body.size() + 8);
    qsizetype next = 0; // the next placeholder of the target
    for (qsizetype i = 0; i < target.body.size();) {
        if (i == keyAt)
            body += u'&';
        if (next < target.placeholders.size() && target.placeholders[next].at == i) {
            body += replacement(target.placeholders[next]);
            i += target.placeholders[next].written.size();
            ++next;
        } else {
            body += target.body[i++];
        }
    }
    if (wanted.firstCase != source.firstCase && source.firstCase != LetterCase::None && !body.isEmpty()) {
        const qsizetype first = body.startsWith(u'&') && body.size() > 1 ? 1 : 0;
        if (body[first].isLetter())
            body[first] = withCase(body[first], wanted.firstCase);
    }

    // Where the wanted text agrees with the stored source, the translation keeps its own (French " :").
    const auto kept = [](const QString &want, const QString &had, const QString &translated) {
        return want == had ? translated : want;
    };
    return kept(wanted.leading, source.leading, target.leading) + body + kept(wanted.suffix, source.suffix, target.suffix) +
           kept(wanted.trailing, source.trailing, target.trailing);
}

} // namespace memory
