#pragma once

#include "merge/ResourceKey.h"
#include "merge/StringTable.h"

#include "platform/resutil/ResResource.h"

#include <QList>

#include <optional>
#include <vector>

namespace resutil {
class ResStrings;
}

namespace merge {

// A cell that differs between two versions: added where before is null,
// removed where after is null, else changed.
struct CellChange {
    qint32 localeId = 0;
    qint32 id = 0;
    QString before;
    QString after;
};

// A resource other than a string table that differs between two versions:
// added, removed or changed as above.
struct ResourceChange {
    ResourceKey key;
    std::optional<resutil::ResResource> before;
    std::optional<resutil::ResResource> after;
};

// Every cell whose text differs, sorted by locale ID, then string ID.
std::vector<CellChange> diffStrings(const StringTable &before, const StringTable &after);
// Every other resource that was added, removed or changed, sorted by key.
std::vector<ResourceChange> diffResources(const QList<resutil::ResResource> &before,
                                          const QList<resutil::ResResource> &after);

// Makes strings hold each change's after text, removing the cell's entries
// for a null one. Entries no change names are left as they are.
void applyChanges(resutil::ResStrings &strings, const std::vector<CellChange> &changes);

} // namespace merge
