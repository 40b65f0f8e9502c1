#include "checks/Placeholders.h"

#include <algorithm>
#include <vector>

namespace checks {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Skips digits from i; returns the index after them.
qsizetype skipDigits(QStringView text, qsizetype i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// A printf conversion from `from` (just after the % or after "N$") on: flags,
// width, precision, length and the conversion letter. Returns its end, or -1
// when the text there is no conversion; key gets what an argument's type
// depends on (stars for width and precision, the length, the letter).
qsizetype printfConversion(QStringView text, qsizetype from, QString &key)
{
    qsizetype i = from;
    // No space flag: "50% off" is text, not "% o".
    while (i < text.size() && QStringView(u"-+#0'").contains(text[i]))
        ++i;
    if (i < text.size() && text[i] == u'*') {
        key += u'*';
        ++i;
    } else {
        i = skipDigits(text, i);
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (i < text.size() && text[i] == u'*') {
            key += QStringLiteral(".*");
            ++i;
        } else {
            i = skipDigits(text, i);
        }
    }
    for (QStringView length : {u"I64", u"I32", u"hh", u"ll", u"h", u"l", u"L", u"q", u"j", u"z", u"t", u"I"}) {
        if (text.sliced(i).startsWith(length)) {
            key += length;
            i += length.size();
            break;
        }
    }
    if (i >= text.size() || !QStringView(u"diouxXeEfFgGaAcspnSC").contains(text[i]))
        return -1;
    key += text[i];
    return i + 1;
}

// A .NET composite format item from the { at `from`: {0}, {0,-8}, {0:N2}.
// Returns its end, or -1; index gets the argument number.
qsizetype formatItem(QStringView text, qsizetype from, QStringView &index)
{
    qsizetype i = skipDigits(text, from + 1);
    if (i == from + 1)
        return -1;
    index = text.sliced(from + 1, i - from - 1);
    if (i < text.size() && text[i] == u',') {
        ++i;
        if (i < text.size() && text[i] == u'-')
            ++i;
        const qsizetype width = i;
        i = skipDigits(text, i);
        if (i == width)
            return -1;
    }
    if (i < text.size() && text[i] == u':') {
        while (i < text.size() && text[i] != u'}' && text[i] != u'{')
            ++i;
    }
    if (i >= text.size() || text[i] != u'}')
        return -1;
    return i + 1;
}

} // namespace

Placeholders findPlaceholders(QStringView text)
{
    Placeholders found;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'{') {
            if (i + 1 < text.size() && text[i + 1] == u'{') {
                i += 2;
                continue;
            }
            QStringView index;
            const qsizetype end = formatItem(text, i, index);
            if (end < 0) {
                ++i;
                continue;
            }
            found.named.append({QStringLiteral("{%1}").arg(index), text.sliced(i, end - i).toString(), i});
            i = end;
            continue;
        }
        if (c != u'%' || i + 1 >= text.size()) {
            ++i;
            continue;
        }
        const QChar next = text[i + 1];
        if (next == u'%') {
            found.named.append({QStringLiteral("%%"), QStringLiteral("%%"), i});
            i += 2;
            continue;
        }
        if (isDigit(next)) {
            const qsizetype digitsEnd = skipDigits(text, i + 1);
            if (digitsEnd < text.size() && text[digitsEnd] == u'$') {
                QString key = text.sliced(i, digitsEnd + 1 - i).toString();
                const qsizetype end = printfConversion(text, digitsEnd + 1, key);
                if (end > 0) {
                    found.named.append({key, text.sliced(i, end - i).toString(), i});
                    i = end;
                    continue;
                }
            }
            const QString written = text.sliced(i, 2).toString();
            found.named.append({written, written, i});
            i += 2;
            continue;
        }
        QString key(u'%');
        const qsizetype end = printfConversion(text, i + 1, key);
        if (end < 0) {
            ++i;
            continue;
        }
        found.sequential.append({key, text.sliced(i, end - i).toString(), i});
        i = end;
    }
    return found;
}

} // namespace checks

namespace checks {

QList<TextSpan> placeholderSpans(QStringView text)
{
    QList<TextSpan> spans;
    if (!text.contains(u'%') && !text.contains(u'{'))
        return spans;
    const Placeholders found = findPlaceholders(text);
    QList<QString> written;
    for (const QList<Placeholder> *list : {&found.named, &found.sequential})
        for (const Placeholder &p : *list)
            if (!written.contains(p.written))
                written.append(p.written);
    // The longest first, so that "%1" does not take the start of "%1$s".
    std::sort(written.begin(), written.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    std::vector<bool> taken(std::size_t(text.size()), false);
    for (const QString &w : written)
        for (qsizetype at = text.indexOf(w); at >= 0; at = text.indexOf(w, at + 1)) {
            if (std::any_of(taken.begin() + at, taken.begin() + at + w.size(), [](bool t) { return t; }))
                continue;
            std::fill(taken.begin() + at, taken.begin() + at + w.size(), true);
            spans.append({at, w.size()});
        }
    std::sort(spans.begin(), spans.end(), [](const TextSpan &a, const TextSpan &b) { return a.start < b.start; });
    return spans;
}

} // namespace checks
