#include "pseudo/PseudoLocale.h"

#include "checks/Placeholders.h"
#include "platform/resutil/ResString.h"
#include "platform/resutil/ResStrings.h"

#include <QList>
#include <QSet>

#include <algorithm>

#include <vector>

namespace pseudo {

namespace {

// One accented letter for each of a-z and A-Z, all in the Basic Multilingual Plane.
constexpr char16_t kLower[] = u"ȧƀçđēƒĝĥīĵķľɱñōƥǫŕşŧūṽŵẋŷž";
constexpr char16_t kUpper[] = u"ÀƁÇĐĒƑĜĤĪĴĶĽṀÑŎƤɊŔŞŦŪṼŴẊŶŽ";
constexpr char16_t kWidePadding = u'表'; // a double-byte character whose trail byte is a backslash in Shift-JIS
constexpr char16_t kRightToLeftEmbedding = u'\u202B';
constexpr char16_t kPopDirectionalFormatting = u'\u202C';

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }
bool isSpace(QChar c) { return c.isSpace() && !isLineBreak(c); }

// What must reach the program as written: placeholders, access keys and escapes.
std::vector<bool> keptCharacters(QStringView text)
{
    std::vector<bool> kept(std::size_t(text.size()), false);
    for (const checks::TextSpan &span : checks::placeholderSpans(text))
        std::fill(kept.begin() + span.start, kept.begin() + span.start + span.length, true);
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'&' || text[i] == u'\\') {
            kept[std::size_t(i)] = kept[std::size_t(i + 1)] = true;
            ++i;
        }
    return kept;
}

QChar accented(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return QChar(kLower[u - u'a']);
    if (u >= u'A' && u <= u'Z')
        return QChar(kUpper[u - u'A']);
    return c;
}

// About 40% more, counted in the line's characters.
QString padding(qsizetype lineLength, qint32 pseudoLocale)
{
    const qsizetype extra = (lineLength * 4 + 9) / 10;
    if (extra == 0)
        return {};
    // Always after a space: an & or % that ends the line must not take the padding as its key or conversion.
    if (extra == 1)
        return QStringLiteral(" !");
    if (pseudoLocale == kPlocA)
        return QStringLiteral(" ") + QString(std::max<qsizetype>(1, extra / 2), QChar(kWidePadding));
    return QStringLiteral(" ") + QString(extra - 1, u'!');
}

} // namespace

bool isPseudoLocale(qint32 localeId) { return localeId == kPloc || localeId == kPlocA || localeId == kPlocM; }

std::optional<qint32> localeFromName(QStringView name)
{
    if (name.compare(u"qps-ploc", Qt::CaseInsensitive) == 0)
        return kPloc;
    if (name.compare(u"qps-ploca", Qt::CaseInsensitive) == 0)
        return kPlocA;
    if (name.compare(u"qps-plocm", Qt::CaseInsensitive) == 0)
        return kPlocM;
    return std::nullopt;
}

QString pseudoText(QStringView source, qint32 pseudoLocale)
{
    qsizetype lead = 0;
    while (lead < source.size() && isSpace(source[lead]))
        ++lead;
    if (lead == source.size())
        return source.toString();
    qsizetype end = source.size();
    while (end > lead && isSpace(source[end - 1]))
        --end;

    const std::vector<bool> kept = keptCharacters(source);
    const bool mirrored = pseudoLocale == kPlocM;
    QString out;
    out.reserve(source.size() * 2 + 8);
    out += source.first(lead);
    out += u'[';
    qsizetype lineStart = lead;
    auto endLine = [&](qsizetype at) {
        out += padding(at - lineStart, pseudoLocale);
        if (mirrored)
            out += kPopDirectionalFormatting;
    };
    if (mirrored)
        out += kRightToLeftEmbedding;
    for (qsizetype i = lead; i < end; ++i) {
        const QChar c = source[i];
        if (isLineBreak(c)) {
            endLine(i);
            out += c;
            if (c == u'\r' && i + 1 < end && source[i + 1] == u'\n')
                out += source[++i];
            lineStart = i + 1;
            if (mirrored)
                out += kRightToLeftEmbedding;
            continue;
        }
        out += kept[std::size_t(i)] ? c : accented(c);
    }
    endLine(end);
    out += u']';
    out += source.sliced(end);
    return out;
}

qsizetype fillPseudoLocale(resutil::ResStrings &strings, qint32 sourceLocale, qint32 pseudoLocale)
{
    struct Text {
        qint32 id;
        QString text;
    };
    std::vector<Text> texts;
    QSet<qint32> sourceIds;
    for (const resutil::ResString *entry : strings)
        if (entry->LocaleID() == sourceLocale && !entry->Text().isEmpty() && !sourceIds.contains(entry->ID())) {
            sourceIds.insert(entry->ID());
            texts.push_back({entry->ID(), pseudoText(entry->Text(), pseudoLocale)});
        }
    // Only the first entry of an ID is read; the rest would shadow nothing but stay in the file.
    QList<resutil::ResString *> stale;
    QSet<qint32> seen;
    for (resutil::ResString *entry : strings)
        if (entry->LocaleID() == pseudoLocale) {
            if (!sourceIds.contains(entry->ID()) || seen.contains(entry->ID()))
                stale.append(entry);
            seen.insert(entry->ID());
        }
    for (resutil::ResString *entry : stale)
        (void)strings.Remove(entry);
    for (Text &t : texts) {
        if (resutil::ResString *existing = strings.Find(pseudoLocale, t.id))
            existing->setText(std::move(t.text));
        else
            strings.Add(pseudoLocale, t.id, std::move(t.text));
    }
    return qsizetype(texts.size());
}

} // namespace pseudo
