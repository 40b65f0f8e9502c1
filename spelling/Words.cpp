#include "spelling/Words.h"

#include "checks/Placeholders.h"

#include <algorithm>

namespace spelling {

namespace {

bool isWordCharacter(QChar c) { return c.isLetterOrNumber() || c.isMark(); }
bool isApostrophe(QChar c) { return c == u'\'' || c == u'\u2019'; }

} // namespace

QList<Word> words(QStringView text)
{
    QList<Word> found;
    const QList<checks::TextSpan> placeholders = checks::placeholderSpans(text);
    qsizetype nextPlaceholder = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (nextPlaceholder < placeholders.size() && placeholders[nextPlaceholder].start == i) {
            i += placeholders[nextPlaceholder++].length;
            continue;
        }
        const bool accessKeyStart = text[i] == u'&' && i + 1 < text.size() && isWordCharacter(text[i + 1]);
        if (!isWordCharacter(text[i]) && !accessKeyStart) {
            // && is a plain ampersand: its second & starts nothing.
            i += text[i] == u'&' && i + 1 < text.size() && text[i + 1] == u'&' ? 2 : 1;
            continue;
        }
        Word word{i, 0, {}};
        const qsizetype stop = nextPlaceholder < placeholders.size() ? placeholders[nextPlaceholder].start : text.size();
        bool hadAccessKey = false;
        while (i < stop) {
            const QChar c = text[i];
            const bool inner = i + 1 < stop && isWordCharacter(text[i + 1]);
            if (isWordCharacter(c)) {
                word.word += c;
            } else if (c == u'&' && inner && !hadAccessKey) {
                hadAccessKey = true;
            } else if (isApostrophe(c) && inner && !word.word.isEmpty() && text[i + 1].isLetter()) {
                word.word += c;
            } else {
                break;
            }
            ++i;
        }
        word.length = i - word.position;
        found.append(std::move(word));
    }
    return found;
}

bool isLeftAlone(QStringView word)
{
    bool lower = false;
    for (const QChar c : word) {
        if (c.isDigit() || c.isNumber())
            return true;
        lower = lower || c.isLower() || (c.isLetter() && !c.isUpper() && c.toUpper() == c && c.toLower() == c);
    }
    return !lower;
}

std::optional<QList<Word>> misspellings(QStringView text, QStringView sourceText, const Verdict &known)
{
    QList<Word> unknown;
    bool waiting = false;
    for (Word &word : words(text)) {
        if (isLeftAlone(word.word))
            continue;
        const std::optional<bool> verdict = known(word.word);
        waiting = waiting || !verdict;
        if (verdict.value_or(true))
            continue;
        unknown.append(std::move(word));
    }
    if (waiting)
        return std::nullopt;
    if (unknown.isEmpty())
        return unknown;
    const QList<Word> inSource = words(sourceText);
    unknown.removeIf([&](const Word &word) {
        return std::any_of(inSource.cbegin(), inSource.cend(), [&](const Word &w) { return w.word == word.word; });
    });
    return unknown;
}

} // namespace spelling
