// The entries of several caches that one site cannot hold side by side: a
// URL (a path) held by more than one of them.
#pragma once

#include "catalogue/cache_entry.h"

#include <unordered_map>
#include <vector>

namespace larkspool {

// Each entry of entries whose SitePath (folded) an entry of another cache
// among them has too, and that is not the newest of those (by ModifiedUtc;
// of equal times, the first), mapped to the newest. An export writes only
// the newest. Entries of a cache of one (no CacheName) are never duplicates:
// the catalogue numbers their paths apart.
std::unordered_map<const TCacheEntry*, const TCacheEntry*> OutdatedDuplicates(const std::vector<TCacheEntry*>& entries);

} // namespace larkspool
