// Finding the duplicates of a merged export: one pass for the newest entry
// of each path, one for the others.
#include "jobs/duplicate_entries.h"

#include <string>

namespace larkspool {

std::unordered_map<const TCacheEntry*, const TCacheEntry*> OutdatedDuplicates(const std::vector<TCacheEntry*>& entries)
{
    std::unordered_map<std::string, const TCacheEntry*> newest; // folded SitePath -> its newest entry
    for (const TCacheEntry* entry : entries) {
        if (entry->CacheName.empty())
            continue;
        const auto [found, added] = newest.emplace(FoldedKey(entry->SitePath), entry);
        if (!added && entry->ModifiedUtc > found->second->ModifiedUtc)
            found->second = entry;
    }
    std::unordered_map<const TCacheEntry*, const TCacheEntry*> outdated;
    for (const TCacheEntry* entry : entries) {
        if (entry->CacheName.empty())
            continue;
        const TCacheEntry* winner = newest.at(FoldedKey(entry->SitePath));
        if (winner != entry)
            outdated.emplace(entry, winner);
    }
    return outdated;
}

} // namespace larkspool
