#include "reviewstate/StateStats.h"

#include "platform/resutil/ResStrings.h"
#include "reviewstate/ReviewStates.h"

#include <algorithm>

namespace reviewstate {

namespace {

bool countsAlone(char32_t c)
{
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}

} // namespace

int countWords(QStringView text)
{
    int words = 0;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        if (countsAlone(c)) {
            ++words;
            inWord = false;
            continue;
        }
        const bool part = QChar::isLetterOrNumber(c) || QChar::category(c) == QChar::Mark_NonSpacing ||
                          (inWord && (c == '\'' || c == 0x2019 || c == '-'));
        if (part && !inWord)
            ++words;
        inWord = part;
    }
    return words;
}

FileStats countStates(ReviewStates &states)
{
    states.refresh(true);
    FileStats stats;
    stats.sourceLocale = states.sourceLanguage();
    const std::vector<Cell> &cells = states.cells();
    struct Source {
        qint32 id;
        int words;
    };
    std::vector<Source> sources;
    QList<qint32> languages;
    // After refresh(true) every text has its cell: the source's are the source texts.
    for (const Cell &cell : cells) {
        const qint32 locale = localeOf(cell.key);
        if (languages.isEmpty() || languages.back() != locale)
            languages.append(locale);
    }
    stats.languages.reserve(std::size_t(languages.size()));
    auto sourceCells = std::lower_bound(cells.begin(), cells.end(), cellKey(stats.sourceLocale, 0),
                                        [](const Cell &c, quint32 k) { return c.key < k; });
    for (auto c = sourceCells; c != cells.end() && localeOf(c->key) == stats.sourceLocale; ++c)
        if (c->has(Cell::HasText))
            sources.push_back(Source{idOf(c->key), countWords(states.textOf(c->key))});
    stats.source.strings = int(sources.size());
    for (const Source &source : sources)
        stats.source.words += source.words;

    for (const qint32 locale : languages) {
        if (locale == stats.sourceLocale)
            continue;
        LanguageStats language;
        language.localeId = locale;
        auto c = std::lower_bound(cells.begin(), cells.end(), cellKey(locale, 0),
                                  [](const Cell &cell, quint32 k) { return cell.key < k; });
        for (const Source &source : sources) {
            while (c != cells.end() && c->key < cellKey(locale, source.id))
                ++c;
            StateCounts *counts = &language.missing;
            if (c != cells.end() && c->key == cellKey(locale, source.id) && c->has(Cell::HasText)) {
                switch (c->state) {
                case State::New: counts = &language.untranslated; break;
                case State::Translated: counts = &language.translated; break;
                case State::NeedsReview: counts = &language.needsReview; break;
                case State::Approved: counts = &language.approved; break;
                }
            }
            ++counts->strings;
            counts->words += source.words;
        }
        stats.languages.push_back(language);
    }
    return stats;
}

} // namespace reviewstate
