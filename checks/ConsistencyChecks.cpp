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
    // String IDs are 16-bit: the source texts by ID, the translations as one list.
    // The earliest entry of an ID is the one the file is read with.
    std::vector<QStringView> sources(65536);
    std::vector<bool> hasSource(65536, false);
    struct Target {
        qint32 localeId;
        qint32 id;
        QStringView text;
    };
    std::vector<Target> targets;
    targets.reserve(std::size_t(strings.Count()));
    strings.Peek([&](const resutil::ResStrings::Peeked &p) {
        if (p.text.isEmpty() || p.id < 0 || p.id > 0xFFFF)
            return;
        if (p.localeId != sourceLocale)
            targets.push_back({p.localeId, p.id, p.text});
        else if (!hasSource[std::size_t(p.id)]) {
            sources[std::size_t(p.id)] = p.text;
            hasSource[std::size_t(p.id)] = true;
        }
    });
    std::stable_sort(targets.begin(), targets.end(), [](const Target &a, const Target &b) {
        return a.localeId != b.localeId ? a.localeId < b.localeId : a.id < b.id;
    });
    std::vector<StringProblem> problems;
    std::vector<Pair> pairs;
    for (auto at = targets.begin(); at != targets.end();) {
        const qint32 localeId = at->localeId;
        pairs.clear();
        qint32 lastId = -1;
        for (; at != targets.end() && at->localeId == localeId; ++at) {
            if (std::exchange(lastId, at->id) == at->id)
                continue;
            if (hasSource[std::size_t(at->id)])
                pairs.push_back({at->id, sources[std::size_t(at->id)], at->text});
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
