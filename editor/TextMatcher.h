#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringMatcher>

// Options of a search for a text.
struct FindOptions {
    bool matchCase = false;
    bool wholeWord = false;
    bool regularExpression = false;
};

// Whether a text holds what the user searches for: a plain text (ignoring
// case unless asked), optionally as a whole word, or a regular expression.
class TextMatcher {
public:
    TextMatcher() = default;
    TextMatcher(const QString &pattern, FindOptions options);

    bool isEmpty() const { return m_pattern.isEmpty(); }
    // False for a regular expression that does not compile; errorString() says why.
    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // The offset in the pattern where a bad expression goes wrong.
    qsizetype errorOffset() const { return m_errorOffset; }

    // An empty or invalid matcher matches nothing.
    bool matches(QStringView text) const;

private:
    bool matchesPlain(QStringView text) const;

    QString m_pattern;
    FindOptions m_options;
    QStringMatcher m_plain;
    QRegularExpression m_expression;
    QString m_error;
    qsizetype m_errorOffset = -1;
};
