#include "checks/TranslationChecks.h"

#include "checks/Placeholders.h"

#include <QSet>

namespace checks {

namespace {

bool mayHoldPlaceholders(QStringView text) { return text.contains(u'%') || text.contains(u'{'); }

void comparePlaceholders(QStringView source, QStringView translation, QList<Problem> &problems)
{
    if (!mayHoldPlaceholders(source) && !mayHoldPlaceholders(translation))
        return;
    const Placeholders inSource = findPlaceholders(source);
    const Placeholders inTranslation = findPlaceholders(translation);

    QSet<QString> sourceKeys;
    for (const Placeholder &p : inSource.named)
        sourceKeys.insert(p.key);
    QSet<QString> translationKeys;
    for (const Placeholder &p : inTranslation.named)
        translationKeys.insert(p.key);
    QSet<QString> reported;
    for (const Placeholder &p : inSource.named)
        if (!translationKeys.contains(p.key) && !reported.contains(p.key)) {
            reported.insert(p.key);
            problems.append({Rule::Placeholders, Finding::Missing, p.written});
        }
    for (const Placeholder &p : inTranslation.named)
        if (!sourceKeys.contains(p.key) && !reported.contains(p.key)) {
            reported.insert(p.key);
            problems.append({Rule::Placeholders, Finding::Added, p.written});
        }

    // Sequential conversions: what one side has more of is missing or added;
    // the same ones in another order take the arguments in the wrong order.
    QList<Placeholder> unmatched = inTranslation.sequential;
    bool differs = false;
    for (const Placeholder &p : inSource.sequential) {
        const auto at = std::find_if(unmatched.begin(), unmatched.end(), [&](const Placeholder &t) { return t.key == p.key; });
        if (at == unmatched.end()) {
            problems.append({Rule::Placeholders, Finding::Missing, p.written});
            differs = true;
        } else {
            unmatched.erase(at);
        }
    }
    for (const Placeholder &p : unmatched) {
        problems.append({Rule::Placeholders, Finding::Added, p.written});
        differs = true;
    }
    if (!differs) {
        QStringList order;
        bool same = true;
        for (qsizetype i = 0; i < inSource.sequential.size(); ++i) {
            order.append(inSource.sequential[i].written);
            same = same && inSource.sequential[i].key == inTranslation.sequential[i].key;
        }
        if (!same)
            problems.append({Rule::Placeholders, Finding::Order, order.join(u' ')});
    }
}

// \r\n counts once, as do a lone \n and a lone \r.
int lineBreaks(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++count;
        } else if (text[i] == u'\r') {
            ++count;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        }
    }
    return count;
}

// Line breaks have a rule of their own.
bool isSpace(QChar c) { return c.isSpace() && c != u'\n' && c != u'\r'; }

QStringView leadingSpaces(QStringView text)
{
    qsizetype n = 0;
    while (n < text.size() && isSpace(text[n]))
        ++n;
    return text.first(n);
}

// A text of spaces only has them all as its leading ones.
QStringView trailingSpaces(QStringView text)
{
    const qsizetype lead = leadingSpaces(text).size();
    qsizetype n = 0;
    while (n < text.size() - lead && isSpace(text[text.size() - 1 - n]))
        ++n;
    return text.last(n);
}

// The first access key ("&F"), or an empty view when there is none.
QStringView accessKey(QStringView text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        if (!text[i + 1].isSpace())
            return text.sliced(i, 2);
    }
    return {};
}

} // namespace

QList<Problem> checkTranslation(QStringView source, QStringView translation)
{
    QList<Problem> problems;
    if (source.isEmpty())
        return problems;
    if (translation.isEmpty()) {
        problems.append({Rule::Empty, Finding::Missing, {}});
        return problems;
    }
    comparePlaceholders(source, translation, problems);
    const int sourceBreaks = lineBreaks(source);
    const int translationBreaks = lineBreaks(translation);
    if (sourceBreaks != translationBreaks)
        problems.append({Rule::LineBreaks, Finding::Count, {}, translationBreaks, sourceBreaks});
    if (leadingSpaces(source) != leadingSpaces(translation))
        problems.append({Rule::Spaces, Finding::Leading, {}});
    if (trailingSpaces(source) != trailingSpaces(translation))
        problems.append({Rule::Spaces, Finding::Trailing, {}});
    const QStringView sourceKey = accessKey(source);
    const QStringView translationKey = accessKey(translation);
    if (!sourceKey.isEmpty() && translationKey.isEmpty())
        problems.append({Rule::AccessKey, Finding::Missing, sourceKey.toString()});
    else if (sourceKey.isEmpty() && !translationKey.isEmpty())
        problems.append({Rule::AccessKey, Finding::Added, translationKey.toString()});
    return problems;
}

bool hasProblem(QStringView source, QStringView translation)
{
    if (source.isEmpty())
        return false;
    if (translation.isEmpty())
        return true;
    // Most texts hold no placeholder, and those are decided without allocating.
    if (mayHoldPlaceholders(source) || mayHoldPlaceholders(translation))
        return !checkTranslation(source, translation).isEmpty();
    return lineBreaks(source) != lineBreaks(translation) || leadingSpaces(source) != leadingSpaces(translation) ||
           trailingSpaces(source) != trailingSpaces(translation) ||
           accessKey(source).isEmpty() != accessKey(translation).isEmpty();
}

const char *ruleKey(Rule rule)
{
    switch (rule) {
    case Rule::Placeholders:
        return "placeholder";
    case Rule::LineBreaks:
        return "line-breaks";
    case Rule::Spaces:
        return "spaces";
    case Rule::AccessKey:
        return "access-key";
    case Rule::Empty:
        return "empty";
    case Rule::Inconsistent:
        return "inconsistent";
    case Rule::Punctuation:
        return "punctuation";
    case Rule::Spelling:
        return "spelling";
    case Rule::Width:
        return "width";
    }
    return "";
}

QString describe(const Problem &problem)
{
    switch (problem.rule) {
    case Rule::Placeholders:
        if (problem.finding == Finding::Order)
            return QStringLiteral("placeholders in another order than in the source (%1)").arg(problem.token);
        if (problem.finding == Finding::Missing)
            return QStringLiteral("%1 is missing").arg(problem.token);
        return QStringLiteral("%1 is not in the source").arg(problem.token);
    case Rule::LineBreaks:
        return QStringLiteral("%1 line breaks, the source has %2").arg(problem.count).arg(problem.sourceCount);
    case Rule::Spaces:
        return problem.finding == Finding::Leading ? QStringLiteral("leading spaces differ from the source")
                                                   : QStringLiteral("trailing spaces differ from the source");
    case Rule::AccessKey:
        return problem.finding == Finding::Missing
                   ? QStringLiteral("no access key, the source has one (%1)").arg(problem.token)
                   : QStringLiteral("access key %1 that the source does not have").arg(problem.token);
    case Rule::Empty:
        return QStringLiteral("no translation");
    case Rule::Inconsistent:
        return problem.finding == Finding::Differs
                   ? QStringLiteral("translated otherwise than string %1, which has the same source text").arg(problem.token)
                   : QStringLiteral("translated the same as string %1, whose source text differs").arg(problem.token);
    case Rule::Punctuation:
        if (problem.finding == Finding::Unpaired)
            return QStringLiteral("no opening %1 for the closing %2")
                .arg(problem.token, problem.token == QStringLiteral("¿") ? QStringLiteral("?") : QStringLiteral("!"));
        return problem.finding == Finding::Missing
                   ? QStringLiteral("ends in no punctuation, the source ends in \"%1\"").arg(problem.token)
                   : QStringLiteral("ends in \"%1\", the source in no punctuation").arg(problem.token);
    case Rule::Spelling:
        if (problem.finding == Finding::NoDictionary)
            return QStringLiteral("No dictionary for %1").arg(problem.token);
        return QStringLiteral("\"%1\" is not in the dictionary").arg(problem.token);
    case Rule::Width:
        return problem.line > 0
                   ? QStringLiteral("line %1 is %2 pixels wide, the source's %3").arg(problem.line).arg(problem.count).arg(problem.sourceCount)
                   : QStringLiteral("%1 pixels wide, the source %2").arg(problem.count).arg(problem.sourceCount);
    }
    return {};
}

} // namespace checks
