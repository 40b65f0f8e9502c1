#include "merge/ThreeWayMerge.h"

#include "platform/resutil/ResFile.h"

#include <map>

namespace merge {

Version versionOf(const resutil::ResFile &file)
{
    return Version{StringTable::fromStrings(file.Strings()), file.OtherResources()};
}

namespace {

// Walks one version's cells in key order.
struct Cursor {
    const std::vector<Cell> &cells;
    std::size_t at = 0;

    bool has(qint32 localeId, qint32 id) const
    {
        return at < cells.size() && cells[at].localeId == localeId && cells[at].id == id;
    }
    // The text at the key, moving past it, or a null one. Not copied: most
    // cells are the same on all three sides, and only one text is kept.
    const QString &take(qint32 localeId, qint32 id)
    {
        static const QString none;
        return has(localeId, id) ? cells[at++].text : none;
    }
};

// The least key at any cursor's position.
void nextKey(const Cursor *cursors, int count, qint32 &localeId, qint32 &id)
{
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const Cursor &c = cursors[i];
        if (c.at == c.cells.size())
            continue;
        const Cell &cell = c.cells[c.at];
        if (!found || keyBefore(cell.localeId, cell.id, localeId, id)) {
            localeId = cell.localeId;
            id = cell.id;
            found = true;
        }
    }
}

// Of mine and theirs, the side that holds the merge, or none for a conflict.
template<typename T, typename Same>
std::optional<Side> resolvedSide(const T &base, const T &mine, const T &theirs, Same same)
{
    if (same(mine, theirs) || same(base, theirs))
        return Side::Mine;
    if (same(base, mine))
        return Side::Theirs;
    return std::nullopt;
}

} // namespace

void MergeResult::choose(std::size_t conflict, Side side)
{
    CellConflict &c = m_conflicts.at(conflict);
    c.chosen = side;
    m_cells[m_conflictCells[conflict]].text = side == Side::Mine ? c.mine : c.theirs;
}

void MergeResult::chooseResource(std::size_t conflict, Side side)
{
    ResourceConflict &c = m_resourceConflicts.at(conflict);
    c.chosen = side;
    m_resources[m_conflictResources[conflict]] = side == Side::Mine ? c.mine : c.theirs;
}

void MergeResult::chooseAll(Side side)
{
    for (std::size_t i = 0; i < m_conflicts.size(); ++i)
        choose(i, side);
    for (std::size_t i = 0; i < m_resourceConflicts.size(); ++i)
        chooseResource(i, side);
}

StringTable MergeResult::strings() const
{
    // Conflicts chosen for a side without a text leave null cells, which go.
    return StringTable::fromCells(m_cells);
}

QList<resutil::ResResource> MergeResult::otherResources() const
{
    QList<resutil::ResResource> others;
    for (const auto &resource : m_resources)
        if (resource)
            others.append(*resource);
    return others;
}

namespace {

void mergeStrings(const StringTable &base, const StringTable &mine, const StringTable &theirs,
                  std::vector<Cell> &cells, std::vector<CellConflict> &conflicts, std::vector<std::size_t> &conflictCells)
{
    Cursor cursors[] = {{base.cells()}, {mine.cells()}, {theirs.cells()}};
    cells.reserve(mine.cells().size() + mine.cells().size() / 8);
    const auto sameText = [](const QString &a, const QString &b) { return a == b; };
    for (;;) {
        if (cursors[0].at == base.cells().size() && cursors[1].at == mine.cells().size()
            && cursors[2].at == theirs.cells().size())
            break;
        qint32 localeId = 0;
        qint32 id = 0;
        nextKey(cursors, 3, localeId, id);
        const QString &baseText = cursors[0].take(localeId, id);
        const QString &mineText = cursors[1].take(localeId, id);
        const QString &theirsText = cursors[2].take(localeId, id);
        const std::optional<Side> side = resolvedSide(baseText, mineText, theirsText, sameText);
        if (!side) {
            conflictCells.push_back(cells.size());
            conflicts.push_back(CellConflict{localeId, id, baseText, mineText, theirsText, Side::Mine});
            cells.push_back(Cell{localeId, id, mineText});
            continue;
        }
        const QString &text = *side == Side::Mine ? mineText : theirsText;
        if (!text.isEmpty())
            cells.push_back(Cell{localeId, id, text});
    }
}

void mergeResources(const QList<resutil::ResResource> &base, const QList<resutil::ResResource> &mine,
                    const QList<resutil::ResResource> &theirs, std::vector<std::optional<resutil::ResResource>> &placed,
                    std::vector<ResourceConflict> &conflicts, std::vector<std::size_t> &conflictPlaces)
{
    const std::vector<ResourceKey> baseKeys = resourceKeys(base);
    const std::vector<ResourceKey> mineKeys = resourceKeys(mine);
    const std::vector<ResourceKey> theirKeys = resourceKeys(theirs);
    std::map<ResourceKey, qsizetype> baseAt;
    std::map<ResourceKey, qsizetype> theirsAt;
    for (std::size_t i = 0; i < baseKeys.size(); ++i)
        baseAt[baseKeys[i]] = qsizetype(i);
    for (std::size_t i = 0; i < theirKeys.size(); ++i)
        theirsAt[theirKeys[i]] = qsizetype(i);
    const auto find = [](const QList<resutil::ResResource> &list, const std::map<ResourceKey, qsizetype> &at,
                         const ResourceKey &key) -> std::optional<resutil::ResResource> {
        const auto found = at.find(key);
        if (found == at.end())
            return std::nullopt;
        return list[found->second];
    };
    const auto place = [&](const ResourceKey &key, std::optional<resutil::ResResource> mineVersion) {
        std::optional<resutil::ResResource> baseVersion = find(base, baseAt, key);
        std::optional<resutil::ResResource> theirVersion = find(theirs, theirsAt, key);
        const std::optional<Side> side = resolvedSide(baseVersion, mineVersion, theirVersion, sameResource);
        if (!side) {
            conflictPlaces.push_back(placed.size());
            placed.push_back(mineVersion);
            conflicts.push_back(ResourceConflict{key, std::move(baseVersion), std::move(mineVersion),
                                                 std::move(theirVersion), Side::Mine});
            return;
        }
        placed.push_back(*side == Side::Mine ? std::move(mineVersion) : std::move(theirVersion));
    };
    std::map<ResourceKey, bool> inMine;
    for (std::size_t i = 0; i < mineKeys.size(); ++i) {
        inMine[mineKeys[i]] = true;
        place(mineKeys[i], mine[qsizetype(i)]);
    }
    for (const ResourceKey &key : theirKeys)
        if (!inMine.contains(key))
            place(key, std::nullopt);
    // Only base has it: both removed it, or one removed it and the other kept
    // it unchanged; either way it is gone. (Changed on one side it would be there.)
}

} // namespace

MergeResult mergeVersions(const Version &base, const Version &mine, const Version &theirs)
{
    MergeResult result;
    mergeStrings(base.strings, mine.strings, theirs.strings, result.m_cells, result.m_conflicts, result.m_conflictCells);
    mergeResources(base.others, mine.others, theirs.others, result.m_resources, result.m_resourceConflicts,
                   result.m_conflictResources);
    return result;
}

} // namespace merge
