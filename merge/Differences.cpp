#include "merge/Differences.h"

#include "platform/resutil/ResStrings.h"

#include <map>

namespace merge {

std::vector<CellChange> diffStrings(const StringTable &before, const StringTable &after)
{
    std::vector<CellChange> changes;
    const std::vector<Cell> &a = before.cells();
    const std::vector<Cell> &b = after.cells();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && keyBefore(a[i].localeId, a[i].id, b[j].localeId, b[j].id))) {
            changes.push_back(CellChange{a[i].localeId, a[i].id, a[i].text, {}});
            ++i;
        } else if (i == a.size() || keyBefore(b[j].localeId, b[j].id, a[i].localeId, a[i].id)) {
            changes.push_back(CellChange{b[j].localeId, b[j].id, {}, b[j].text});
            ++j;
        } else {
            if (a[i].text != b[j].text)
                changes.push_back(CellChange{a[i].localeId, a[i].id, a[i].text, b[j].text});
            ++i;
            ++j;
        }
    }
    return changes;
}

std::vector<ResourceChange> diffResources(const QList<resutil::ResResource> &before,
                                          const QList<resutil::ResResource> &after)
{
    struct Pair {
        std::optional<resutil::ResResource> before;
        std::optional<resutil::ResResource> after;
    };
    std::map<ResourceKey, Pair> pairs;
    const std::vector<ResourceKey> beforeKeys = resourceKeys(before);
    for (std::size_t i = 0; i < beforeKeys.size(); ++i)
        pairs[beforeKeys[i]].before = before[qsizetype(i)];
    const std::vector<ResourceKey> afterKeys = resourceKeys(after);
    for (std::size_t i = 0; i < afterKeys.size(); ++i)
        pairs[afterKeys[i]].after = after[qsizetype(i)];
    std::vector<ResourceChange> changes;
    for (auto &[key, pair] : pairs)
        if (!sameResource(pair.before, pair.after))
            changes.push_back(ResourceChange{key, std::move(pair.before), std::move(pair.after)});
    return changes;
}

void applyChanges(resutil::ResStrings &strings, const std::vector<CellChange> &changes)
{
    for (const CellChange &change : changes) {
        resutil::ResString *entry = strings.Find(change.localeId, change.id);
        if (change.after.isEmpty()) {
            for (; entry; entry = strings.Find(change.localeId, change.id))
                (void)strings.Remove(entry);
        } else if (entry) {
            entry->setText(change.after);
        } else {
            strings.Add(change.localeId, change.id, change.after);
        }
    }
}

} // namespace merge
