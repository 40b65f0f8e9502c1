#include "merge/ResourceKey.h"

#include <map>
#include <tuple>

namespace merge {

namespace {

// Ordinals before names, as a resource compiler sorts them.
int compareNames(const resutil::ResName &a, const resutil::ResName &b)
{
    if (a.isString != b.isString)
        return a.isString ? 1 : -1;
    if (!a.isString)
        return int(a.ordinal) - int(b.ordinal);
    return a.name.compare(b.name);
}

} // namespace

bool operator<(const ResourceKey &a, const ResourceKey &b)
{
    if (const int type = compareNames(a.type, b.type); type != 0)
        return type < 0;
    if (const int name = compareNames(a.name, b.name); name != 0)
        return name < 0;
    return std::tie(a.language, a.occurrence) < std::tie(b.language, b.occurrence);
}

std::vector<ResourceKey> resourceKeys(const QList<resutil::ResResource> &others)
{
    std::vector<ResourceKey> keys;
    keys.reserve(std::size_t(others.size()));
    std::map<ResourceKey, int> seen; // occurrence 0 of each key: how many so far
    for (const resutil::ResResource &resource : others) {
        ResourceKey key{resource.type, resource.name, resource.fields.language, 0};
        key.occurrence = seen[key]++;
        keys.push_back(std::move(key));
    }
    return keys;
}

bool sameResource(const std::optional<resutil::ResResource> &a, const std::optional<resutil::ResResource> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->fields == b->fields && a->data == b->data;
}

} // namespace merge
