#include "spelling/SpellingCheck.h"

#include "platform/resutil/ResString.h"
#include "platform/resutil/ResStrings.h"
#include "platform/win32core/Nls.h"

#include <QMap>

#include <algorithm>

namespace spelling {

SpellChecker *SpellCheckers::forLocale(qint32 localeId)
{
    auto it = m_checkers.find(localeId);
    if (it == m_checkers.end())
        it = m_checkers.insert(localeId, std::shared_ptr<SpellChecker>(SpellChecker::open(localeId, m_folders)));
    return it->get();
}

std::vector<checks::StringProblem> checkSpelling(const resutil::ResStrings &strings, qint32 sourceLocale,
                                                 SpellCheckers &checkers, qint32 displayLanguage)
{
    struct Text {
        qint32 id;
        QStringView text;
    };
    // One pass that makes no entry objects: a table of 65,536 strings in a dozen languages stays as loaded.
    QHash<qint32, QStringView> sources;
    QMap<qint32, std::vector<Text>> byLocale;
    strings.Peek([&](const resutil::ResStrings::Peeked &entry) {
        if (entry.localeId == sourceLocale) {
            if (!sources.contains(entry.id))
                sources.insert(entry.id, entry.text);
        } else if (entry.localeId != 0x0501 && entry.localeId != 0x05FE && entry.localeId != 0x09FF) {
            byLocale[entry.localeId].push_back({entry.id, entry.text});
        }
    });

    std::vector<checks::StringProblem> problems;
    for (auto it = byLocale.begin(); it != byLocale.end(); ++it) {
        const qint32 localeId = it.key();
        SpellChecker *checker = checkers.forLocale(localeId);
        if (!checker) {
            QString name = win32::LocaleDisplayName(win32::LCID(localeId), win32::LCID(displayLanguage));
            if (name.isEmpty())
                name = QStringLiteral("locale %1").arg(localeId);
            problems.push_back({localeId, 0, {checks::Rule::Spelling, checks::Finding::NoDictionary, name}});
            continue;
        }
        std::vector<Text> &texts = it.value();
        // With one ID held twice, the earliest entry is the one the file is read with.
        std::stable_sort(texts.begin(), texts.end(), [](const Text &a, const Text &b) { return a.id < b.id; });
        texts.erase(std::unique(texts.begin(), texts.end(), [](const Text &a, const Text &b) { return a.id == b.id; }),
                    texts.end());
        for (const Text &text : texts)
            for (Word &word : checker->misspellings(text.text, sources.value(text.id)))
                problems.push_back({localeId, text.id,
                                    {checks::Rule::Spelling, checks::Finding::Unknown, std::move(word.word), int(word.position)}});
    }
    return problems;
}

} // namespace spelling
