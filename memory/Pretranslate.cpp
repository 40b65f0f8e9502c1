#include "memory/Pretranslate.h"

#include "memory/TranslationMemory.h"
#include "platform/resutil/ResStrings.h"

#include <QSet>

#include <numeric>
#include <vector>

namespace memory {

qint64 Pretranslated::total() const { return std::accumulate(filled.begin(), filled.end(), qint64(0)); }

namespace {

struct Missing {
    qint32 id;
    QString source;
};

std::vector<Missing> missingTexts(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale)
{
    QSet<qint32> translated;
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.localeId == targetLocale && !p.text.isEmpty())
            translated.insert(p.id);
    });
    std::vector<Missing> missing;
    QSet<qint32> seen; // the first text of an ID is the one the program reads
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.localeId != sourceLocale || p.text.isEmpty() || translated.contains(p.id) || seen.contains(p.id))
            return;
        seen.insert(p.id);
        missing.push_back({p.id, p.text.toString()});
    });
    return missing;
}

} // namespace

qint64 countMissing(const resutil::ResStrings &strings, qint32 sourceLocale, qint32 targetLocale)
{
    return qint64(missingTexts(strings, sourceLocale, targetLocale).size());
}

qm::Result<Pretranslated> pretranslate(resutil::ResStrings &strings, TranslationMemory &memory, qint32 sourceLocale,
                                       qint32 targetLocale, int minMatch)
{
    const std::vector<Missing> missing = missingTexts(strings, sourceLocale, targetLocale);
    Pretranslated result;
    result.missing = qint64(missing.size());
    LookupOptions options;
    options.minMatch = minMatch;
    options.limit = 1;
    for (const Missing &m : missing) {
        auto found = memory.lookup(sourceLocale, targetLocale, m.source, options);
        if (!found)
            return found.error();
        if (found->empty())
            continue;
        const auto &best = found->front();
        if (resutil::ResString *entry = strings.Find(targetLocale, m.id))
            entry->setText(best.text);
        else
            strings.Add(targetLocale, m.id, best.text);
        for (std::size_t level = 0; level < kLevelFloors.size(); ++level)
            if (best.percent >= kLevelFloors[level]) {
                ++result.filled[level];
                break;
            }
    }
    return result;
}

} // namespace memory
