#pragma once

#include "merge/ResourceKey.h"
#include "merge/StringTable.h"

#include "platform/resutil/ResResource.h"

#include <QList>

#include <optional>
#include <vector>

namespace resutil {
class ResFile;
}

namespace merge {

// One version of a resource file as the merge sees it.
struct Version {
    StringTable strings;
    QList<resutil::ResResource> others; // the resources other than string tables, in file order
};

// What a file holds now; the texts share its storage.
Version versionOf(const resutil::ResFile &file);

enum class Side { Mine, Theirs };

// A cell both sides changed, to different texts (a removal counts as a
// change to no text). Null texts: the version has no text there.
struct CellConflict {
    qint32 localeId = 0;
    qint32 id = 0;
    QString base;
    QString mine;
    QString theirs;
    Side chosen = Side::Mine;
};

// A resource other than a string table both sides changed differently.
struct ResourceConflict {
    ResourceKey key;
    std::optional<resutil::ResResource> base;
    std::optional<resutil::ResResource> mine;
    std::optional<resutil::ResResource> theirs;
    Side chosen = Side::Mine;
};

// The merge of two versions of a file against the one both came from. A cell
// (or resource) changed on one side only takes that change; changed on both
// to the same text it takes that text; changed on both differently it is a
// conflict, which holds mine until the caller chooses otherwise. To bring
// the merge into the strings in memory, apply diffStrings(mine, strings()).
class MergeResult {
public:
    bool clean() const { return m_conflicts.empty() && m_resourceConflicts.empty(); }
    const std::vector<CellConflict> &conflicts() const { return m_conflicts; }
    const std::vector<ResourceConflict> &resourceConflicts() const { return m_resourceConflicts; }

    void choose(std::size_t conflict, Side side);
    void chooseResource(std::size_t conflict, Side side);
    // Every conflict, of cells and of resources.
    void chooseAll(Side side);

    // The merged strings, every conflict as chosen.
    StringTable strings() const;
    // The merged other resources, every conflict as chosen: those of mine in
    // mine's order, then those only theirs has, in theirs' order.
    QList<resutil::ResResource> otherResources() const;

private:
    friend MergeResult mergeVersions(const Version &base, const Version &mine, const Version &theirs);

    std::vector<Cell> m_cells; // sorted; a conflict's cell holds its chosen text, null for none
    std::vector<CellConflict> m_conflicts;
    std::vector<std::size_t> m_conflictCells; // per conflict, its cell in m_cells
    std::vector<std::optional<resutil::ResResource>> m_resources; // in output order, null where absent
    std::vector<ResourceConflict> m_resourceConflicts;
    std::vector<std::size_t> m_conflictResources; // per resource conflict, its slot in m_resources
};

MergeResult mergeVersions(const Version &base, const Version &mine, const Version &theirs);

} // namespace merge
