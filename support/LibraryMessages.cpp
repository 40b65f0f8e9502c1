#include "support/LibraryMessages.h"

#include "platform/win32/MessageTranslator.h"
#include "uistrings/LgvStringModule.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace LibraryMessages {
namespace {

constexpr const char *kCatalogue = ":/Quillmark/LibraryMessages.de";
// A message holds messages of lower layers; deeper than this it is left alone.
constexpr int kMaxNesting = 8;

struct Entry {
    QString english;
    QString german;
    QRegularExpression pattern;
    QList<int> indexes;     // the placeholder number of each capture
    QList<bool> verbatim;   // captures kept as they are: quoted texts, element names
    qsizetype literalLength = 0;
};

struct Catalogue {
    QList<Entry> entries;   // the most specific (longest fixed text) first
    QHash<QString, qsizetype> byEnglish;
    QStringList kept;
    QString problem;
};

bool enclosed(const QString &text, qsizetype start, qsizetype end, QChar open, QChar close)
{
    return start > 0 && end < text.size() && text[start - 1] == open && text[end] == close;
}

Entry makeEntry(const QString &english, const QString &german)
{
    static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
    Entry entry{english, german, {}, {}, {}, 0};
    QString pattern;
    qsizetype at = 0;
    for (auto it = placeholder.globalMatch(english); it.hasNext();) {
        const QRegularExpressionMatch found = it.next();
        const QString literal = english.mid(at, found.capturedStart() - at);
        pattern += QRegularExpression::escape(literal) + QStringLiteral("(.*?)");
        entry.literalLength += literal.size();
        entry.indexes.append(found.captured(1).toInt());
        entry.verbatim.append(enclosed(english, found.capturedStart(), found.capturedEnd(), u'"', u'"')
                              || enclosed(english, found.capturedStart(), found.capturedEnd(), u'<', u'>'));
        at = found.capturedEnd();
    }
    const QString tail = english.mid(at);
    pattern += QRegularExpression::escape(tail);
    entry.literalLength += tail.size();
    entry.pattern = QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                       QRegularExpression::DotMatchesEverythingOption);
    return entry;
}

// The file: "# ..." comments (a template may begin with "#pragma"); an English template on one line and its German
// text on the next, entries apart by a blank line; "= text" for a kept text.
Catalogue readCatalogue()
{
    Catalogue catalogue;
    QFile file(QString::fromLatin1(kCatalogue));
    if (!file.open(QIODevice::ReadOnly)) {
        catalogue.problem = QStringLiteral("%1 cannot be opened").arg(file.fileName());
        return catalogue;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.isEmpty() || line == QLatin1String("#") || line.startsWith(QLatin1String("# ")))
            continue;
        if (line.startsWith(QLatin1String("= "))) {
            catalogue.kept.append(line.mid(2));
            continue;
        }
        if (i + 1 >= lines.size() || lines[i + 1].isEmpty()) {
            catalogue.problem = QStringLiteral("line %1: \"%2\" has no German text").arg(QString::number(i + 1), line);
            continue;
        }
        if (catalogue.byEnglish.contains(line))
            catalogue.problem = QStringLiteral("line %1: \"%2\" stands twice").arg(QString::number(i + 1), line);
        catalogue.byEnglish.insert(line, catalogue.entries.size());
        catalogue.entries.append(makeEntry(line, lines[i + 1]));
        ++i;
    }
    QList<Entry> sorted = catalogue.entries;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry &a, const Entry &b) { return a.literalLength > b.literalLength; });
    catalogue.entries.clear();
    // A template of placeholders only ("%1%2") would match anything.
    for (Entry &entry : sorted)
        if (entry.literalLength > 0)
            catalogue.entries.append(std::move(entry));
    return catalogue;
}

const Catalogue &catalogue()
{
    static const Catalogue loaded = readCatalogue();
    return loaded;
}

// Puts the values into a German template in one pass, so a value holding "%2"
// stays as it is.
QString fill(const QString &german, const QString (&values)[10])
{
    QString result;
    result.reserve(german.size());
    for (qsizetype i = 0; i < german.size(); ++i) {
        if (german[i] == u'%' && i + 1 < german.size() && german[i + 1] >= u'1' && german[i + 1] <= u'9') {
            result += values[german[i + 1].unicode() - u'0'];
            ++i;
        } else {
            result += german[i];
        }
    }
    return result;
}

struct Translation {
    QString text;
    int parts = 0;   // how many parts of it were put into German
};

bool hasWords(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
}

// Every template that matches is tried: the one that puts the most parts into
// German wins, the more specific one on a tie. So "%1 %2: %3" cannot take a
// message apart that "%1: %2" and its reason explain.
Translation translate(const QString &text, int depth, QHash<QString, Translation> &done)
{
    if (text.isEmpty() || depth > kMaxNesting)
        return {text, 0};
    if (const auto found = done.constFind(text); found != done.constEnd())
        return *found;
    Translation best{text, 0};
    bool matched = false;
    for (const Entry &entry : catalogue().entries) {
        const QRegularExpressionMatch match = entry.pattern.match(text);
        if (!match.hasMatch())
            continue;
        QString values[10];
        int parts = hasWords(entry.english) && entry.english != entry.german ? 1 : 0;
        for (qsizetype i = entry.indexes.size() - 1; i >= 0; --i) {
            const QString captured = match.captured(int(i) + 1);
            if (entry.verbatim[i]) {
                values[entry.indexes[i]] = captured;
                continue;
            }
            const Translation part = translate(captured, depth + 1, done);
            values[entry.indexes[i]] = part.text;
            parts += part.parts;
        }
        if (!matched || parts > best.parts)
            best = {fill(entry.german, values), parts};
        matched = true;
    }
    if (!matched && text.contains(QLatin1Char('\n'))) {
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            const Translation part = translate(line, depth + 1, done);
            line = part.text;
            best.parts += part.parts;
        }
        best.text = lines.join(QLatin1Char('\n'));
    }
    done.insert(text, best);
    return best;
}

// Messages the platform shows itself go through the same catalogue.
[[maybe_unused]] const bool g_platformShows = (win32::setMessageTranslator(&Shown), true);

} // namespace

QString Shown(const QString &english)
{
    return LgvStringModule::CurrentUILanguage() == LgvStringModule::kGermanUILanguage ? German(english) : english;
}

QString German(const QString &english)
{
    QHash<QString, Translation> done;
    return translate(english, 0, done).text;
}

QStringList KnownTemplates()
{
    QStringList templates;
    for (const Entry &entry : catalogue().entries)
        templates.append(entry.english);
    return templates;
}

QString GermanTemplate(const QString &englishTemplate)
{
    const Catalogue &loaded = catalogue();
    for (const Entry &entry : loaded.entries)
        if (entry.english == englishTemplate)
            return entry.german;
    return {};
}

QStringList KeptTexts() { return catalogue().kept; }

QString CatalogueProblem() { return catalogue().problem; }

} // namespace LibraryMessages
