// Content files that no record names. A writer killed between making an
// entry's file and publishing its record leaves one behind, and nothing else
// would ever remove it.
#pragma once

#include "cache/file_time.h"
#include "cache/index_dat_format.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace larkspool {

class IndexDatStore;

// A file neither written nor changed for this long is no longer being
// filled by a writer that has yet to publish it.
inline constexpr std::uint64_t kOrphanAgeTicks = 10 * 60 * kTicksPerSecond;

// Removes the regular files in the sub-folders the header lists that no
// record names and that FileChangeTicks() puts kOrphanAgeTicks or more
// before now; never a link, index.dat, desktop.ini or anything elsewhere.
// Removes nothing when the chain, a record or the LEAK list (whose records
// name files too) cannot be read whole. Call under the lock, from a write.
// Returns how many files went.
std::size_t RemoveOrphanFiles(const IndexDatStore& store, const std::filesystem::path& folder, std::uint64_t now);

// The same files whatever their age, but for those the recovered records
// name, sorted: what a listing of what the cache still holds shows as
// leftovers. A record that cannot be read names nothing here.
std::vector<std::filesystem::path> LeftoverFiles(const IndexDatStore& store, const std::filesystem::path& folder,
                                                 const std::vector<indexdat::UrlRecord>& recovered);

} // namespace larkspool
