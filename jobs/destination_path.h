// Where the export writes an entry, and the guard that keeps every write
// inside the destination folder whatever the cache holds.
#pragma once

#include <cstddef>
#include <string>

namespace larkspool {

// Longest path the jobs write, in bytes.
inline constexpr std::size_t kMaxPathLength = 259;

// copyDir + "/" + sitePath.
std::string DestinationPath(const std::string& copyDir, const std::string& sitePath);

// True when path may be written: at most kMaxPathLength bytes, copyDir set,
// and path copyDir + "/" + a relative part that names a file and has no "."
// or ".." step. Such a path cannot leave copyDir.
bool IsSafeDestination(const std::string& copyDir, const std::string& path);

} // namespace larkspool
