#include "checks/ConsistencyChecks.h"

#include "platform/resutil/ResStrings.h"

#include <QHash>

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

namespace checks {

namespace {

// One language's pairs: the IDs with both a source text and a translation,
// in ID order, and the texts by ID. Grouping sorts the IDs rather than
// hashing the texts, so a language costs a few bytes a pair.
struct Pairs {
    const std::vector<QStringView> &sources;
    std::vector<QStringView> &targets;
    std::vector<quint16> ids;
};

QString sourceKey(QStringView source) { return source.trimmed().toString().toCaseFolded(); }

// The IDs in runs of the same text, each run in ID order.
template <typename Text>
std::vector<quint16> byText(const std::vector<quint16> &ids, Text text)
{
    std::vector<quint16> order = ids;
    std::stable_sort(order.begin(), order.end(), [&](quint16 a, quint16 b) { return text(a) < text(b); });
    return order;
}

template <typename Text, typename Visit>
void forEachRun(const std::vector<quint16> &order, Text text, Visit visit)
{
    for (std::size_t from = 0; from < order.size();) {
        std::size_t to = from + 1;
        while (to < order.size() && text(order[to]) == text(order[from]))
            ++to;
        visit(std::span<const quint16>(order.data() + from, to - from));
        from = to;
    }
}

void findDiffering(const Pairs &pairs, qint32 localeId, std::vector<StringProblem> &problems)
{
    const auto source = [&](quint16 id) { return pairs.sources[id]; };
    forEachRun(byText(pairs.ids, source), source, [&](std::span<const quint16> group) {
        if (group.size() < 2)
            return;
        // The translation most of them have, the lowest ID's on a tie.
        QHash<QStringView, int> votes;
        for (quint16 id : group)
            ++votes[pairs.targets[id]];
        if (votes.size() < 2)
            return;
        quint16 reference = group.front();
        for (quint16 id : group)
            if (votes.value(pairs.targets[id]) > votes.value(pairs.targets[reference]))
                reference = id;
        for (quint16 id : group)
            if (pairs.targets[id] != pairs.targets[reference])
                problems.push_back({localeId, id, {Rule::Inconsistent, Finding::Differs, QString::number(reference)}});
    });
}

void findShared(const Pairs &pairs, qint32 localeId, std::vector<StringProblem> &problems)
{
    const auto target = [&](quint16 id) { return pairs.targets[id]; };
    forEachRun(byText(pairs.ids, target), target, [&](std::span<const quint16> group) {
        // The translation's lowest ID is the one the others are told of.
        const quint16 first = group.front();
        QString firstKey;
        for (quint16 id : group.subspan(1)) {
            if (pairs.sources[id] == pairs.sources[first])
                continue;
            if (firstKey.isNull())
                firstKey = sourceKey(pairs.sources[first]);
            if (sourceKey(pairs.sources[id]) != firstKey)
                problems.push_back({localeId, id, {Rule::Inconsistent, Finding::Shared, QString::number(first)}});
        }
    });
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
    std::vector<QStringView> targets(65536);
    Pairs pairs{sources, targets, {}};
    for (qint32 localeId : std::as_const(locales)) {
        if (localeId == sourceLocale)
            continue;
        pairs.ids.clear();
        for (quint16 id : sourceIds) {
            targets[id] = strings.TextViewOf(localeId, id);
            if (!targets[id].isEmpty())
                pairs.ids.push_back(id);
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
