#include "editor/TextMatcher.h"

namespace {
bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_');
}
} // namespace

TextMatcher::TextMatcher(const QString &pattern, FindOptions options) : m_pattern(pattern), m_options(options)
{
    if (pattern.isEmpty())
        return;
    if (!options.regularExpression) {
        m_plain = QStringMatcher(pattern, options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
        return;
    }
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (!options.matchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    // A whole word: no letter, digit or underscore right before or after the match.
    const QString wrapped =
        options.wholeWord ? QStringLiteral("(?<![\\w\\p{M}])(?:%1)(?![\\w\\p{M}])").arg(pattern) : pattern;
    m_expression.setPattern(wrapped);
    m_expression.setPatternOptions(flags);
    if (!m_expression.isValid()) {
        // Checked on its own, so the offset refers to what the user typed.
        const QRegularExpression own(pattern, flags);
        m_error = own.isValid() ? m_expression.errorString() : own.errorString();
        m_errorOffset = own.isValid() ? -1 : own.patternErrorOffset();
        return;
    }
    m_expression.optimize();
}

bool TextMatcher::matches(QStringView text) const
{
    if (m_pattern.isEmpty() || !m_error.isEmpty() || text.isEmpty())
        return false;
    if (m_options.regularExpression)
        return m_expression.match(text).hasMatch();
    return matchesPlain(text);
}

bool TextMatcher::matchesPlain(QStringView text) const
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = m_plain.indexIn(text, from);
        if (at < 0)
            return false;
        if (!m_options.wholeWord)
            return true;
        const qsizetype end = at + m_pattern.size();
        const bool startsWord = at == 0 || !isWordCharacter(text[at - 1]);
        const bool endsWord = end >= text.size() || !isWordCharacter(text[end]);
        if (startsWord && endsWord)
            return true;
        from = at + 1;
    }
}
