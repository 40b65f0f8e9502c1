#include "checks/ConsistencyChecks.h"

#include "platform/resutil/ResStrings.h"

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace checks {

namespace {

struct Pair {
    qint32 id;
    QStringView source, target;
};

QString sourceKey(QStringView source) { return source.trimmed().toString().toCaseFolded(); }

void findDiffering(const std::vector<Pair> &pairs, qint32 localeId, std::vector<StringProblem> &problems)
{
    QHash<QStringView, std::vector<const Pair *>> bySource;
    for (const Pair &p : pairs)
        bySource[p.source].push_back(&p);
    for (const auto &group : std::as_const(bySource)) {
        if (group.size() < 2)
            continue;
        // The translation most of them have, the lowest ID's on a tie (pairs come sorted by ID).
        QHash<QStringView, int> votes;
        for (const Pair *p : group)
            ++votes[p->target];
        if (votes.size() < 2)
            continue;
        const Pair *reference = group.front();
        for (const Pair *p : group)
            if (votes.value(p->target) > votes.value(reference->target))
                reference = p;
        for (const Pair *p : group)
            if (p->target != reference->target)
                problems.push_back({localeId, p->id, {Rule::Inconsistent, Finding::Differs, QString::number(reference->id)}});
    }
}

void findShared(const std::vector<Pair> &pairs, qint32 localeId, std::vector<StringProblem> &problems)
{
    QHash<QStringView, const Pair *> first; // per translation, its lowest ID
    QHash<QStringView, QString> firstKey;
    for (const Pair &p : pairs) {
        auto at = first.constFind(p.target);
        if (at == first.constEnd()) {
            first.insert(p.target, &p);
            continue;
        }
        auto key = firstKey.find(p.target);
        if (key == firstKey.end())
            key = firstKey.insert(p.target, sourceKey((*at)->source));
        if (p.source != (*at)->source && sourceKey(p.source) != *key)
            problems.push_back({localeId, p.id, {Rule::Inconsistent, Finding::Shared, QString::number((*at)->id)}});
    }
}

} // namespace

std::vector<StringProblem> checkConsistency(const resutil::ResStrings &strings, qint32 sourceLocale)
{
    // String IDs are 16-bit: the source texts by ID; the translations are
    // looked up one language at a time, so that only one language's pairs
    // are held. A cell's text is the one the file is read with.
    std::vector<QStringView> sources(65536);
    std::vector<quint16> sourceIds;
    for (qint32 id = 0; id <= 0xFFFF; ++id) {
        sources[std::size_t(id)] = strings.TextViewOf(sourceLocale, id);
        if (!sources[std::size_t(id)].isEmpty())
            sourceIds.push_back(quint16(id));
    }
    QList<qint32> locales = strings.Languages();
    std::sort(locales.begin(), locales.end());
    std::vector<StringProblem> problems;
    std::vector<Pair> pairs;
    for (qint32 localeId : std::as_const(locales)) {
        if (localeId == sourceLocale)
            continue;
        pairs.clear();
        for (quint16 id : sourceIds) {
            const QStringView target = strings.TextViewOf(localeId, id);
            if (!target.isEmpty())
                pairs.push_back({id, sources[id], target});
        }
        const std::size_t from = problems.size();
        findDiffering(pairs, localeId, problems);
        findShared(pairs, localeId, problems);
        std::stable_sort(problems.begin() + std::ptrdiff_t(from), problems.end(),
                         [](const StringProblem &a, const StringProblem &b) { return a.id < b.id; });
    }
    return problems;
}

} // namespace checks
