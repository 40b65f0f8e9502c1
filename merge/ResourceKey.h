#pragma once

#include "platform/resutil/ResResource.h"

#include <QList>

#include <optional>
#include <vector>

namespace merge {

// What names a resource other than a string table across versions of a file:
// its type, name and language, and which of several such it is (a file may
// hold the same three more than once).
struct ResourceKey {
    resutil::ResName type;
    resutil::ResName name;
    quint16 language = 0;
    int occurrence = 0;

    bool operator==(const ResourceKey &other) const = default;
};

bool operator<(const ResourceKey &a, const ResourceKey &b);

// The key of every resource of others, in the same order.
std::vector<ResourceKey> resourceKeys(const QList<resutil::ResResource> &others);

// Whether two versions of a resource are the same: its header's fields and its data.
bool sameResource(const std::optional<resutil::ResResource> &a, const std::optional<resutil::ResResource> &b);

} // namespace merge
