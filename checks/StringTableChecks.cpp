#include "checks/StringTableChecks.h"

#include "checks/ConsistencyChecks.h"
#include "checks/EndPunctuation.h"

#include "platform/resutil/ResStrings.h"

#include <algorithm>

namespace checks {

std::vector<StringProblem> checkStrings(const resutil::ResStrings &strings, qint32 sourceLocale)
{
    struct Source {
        qint32 id;
        const QString *text;
    };
    std::vector<Source> sources;
    for (const resutil::ResString *entry : strings)
        if (entry->LocaleID() == sourceLocale && !entry->Text().isEmpty())
            sources.push_back({entry->ID(), &entry->Text()});
    std::stable_sort(sources.begin(), sources.end(), [](const Source &a, const Source &b) { return a.id < b.id; });
    // With one ID held twice, the earliest entry is the one the file is read with.
    sources.erase(std::unique(sources.begin(), sources.end(), [](const Source &a, const Source &b) { return a.id == b.id; }),
                  sources.end());

    QList<qint32> languages = strings.Languages();
    std::sort(languages.begin(), languages.end());
    std::vector<StringProblem> problems;
    for (const qint32 localeId : languages) {
        if (localeId == sourceLocale)
            continue;
        // The Windows pseudo-locales (qps-ploc, qps-ploca, qps-plocm) hold generated texts
        // whose brackets and padding stand where the punctuation would.
        const bool pseudoLocale = localeId == 0x0501 || localeId == 0x05FE || localeId == 0x09FF;
        for (const Source &source : sources) {
            const resutil::ResString *entry = strings.Find(localeId, source.id);
            const QStringView translation = entry ? QStringView(entry->Text()) : QStringView();
            if (hasProblem(*source.text, translation))
                for (Problem &problem : checkTranslation(*source.text, translation))
                    problems.push_back({localeId, source.id, std::move(problem)});
            if (!pseudoLocale)
                if (std::optional<Problem> problem = checkPunctuation(*source.text, sourceLocale, translation, localeId))
                    problems.push_back({localeId, source.id, std::move(*problem)});
        }
    }
    std::vector<StringProblem> inconsistent = checkConsistency(strings, sourceLocale);
    if (!inconsistent.empty()) {
        problems.insert(problems.end(), std::make_move_iterator(inconsistent.begin()), std::make_move_iterator(inconsistent.end()));
        std::stable_sort(problems.begin(), problems.end(), [](const StringProblem &a, const StringProblem &b) {
            return a.localeId != b.localeId ? a.localeId < b.localeId : a.id < b.id;
        });
    }
    return problems;
}

} // namespace checks
