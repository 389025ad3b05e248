// Content files that no record names. A writer killed between making an
// entry's file and publishing its record leaves one behind, and nothing else
// would ever remove it.
#pragma once

#include "cache/file_time.h"

#include <cstddef>
#include <filesystem>

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

} // namespace larkspool
