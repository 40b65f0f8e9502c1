#pragma once

// The placeholders of a text that code fills in at run time.

#include <QList>
#include <QString>
#include <QStringView>

namespace checks {

struct Placeholder {
    QString key;     // what must match: "%1", "{0}", "%2$s", "%%", "%ld", "%*d"
    QString written; // as it stands in the text: "{0:N2}", "%-8ld"
    qsizetype at = 0; // where written starts in the text
};

struct Placeholders {
    // %N, {N}, positional printf (%2$s) and %%: each may stand anywhere and
    // any number of times; what counts is that it is there.
    QList<Placeholder> named;
    // printf's sequential conversions take their arguments in turn: their
    // order and number count.
    QList<Placeholder> sequential;
};

// A digit after % is the %1 style (%0 to %9), not a printf width, unless a $
// makes it a positional printf conversion. A % before a space or a character
// that starts no conversion ("100% sure") is plain text, as are {{ and }}.
Placeholders findPlaceholders(QStringView text);

} // namespace checks

namespace checks {

struct TextSpan {
    qsizetype start;
    qsizetype length;
};
// Where the placeholders stand in text, in text order, each occurrence once.
QList<TextSpan> placeholderSpans(QStringView text);

} // namespace checks
