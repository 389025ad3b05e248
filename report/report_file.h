// The report of some entries as a CSV file, written whole or not at all.
#pragma once

#include "cache/url_cache.h"
#include "catalogue/cache_entry.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace larkspool {

// Empty when path holds the report of entries, in their order; else why
// not, in one line naming the file, and nothing is left under its name.
// progress is told the index of each entry before it is read.
std::string SaveCsvReport(UrlCache& cache, const std::vector<TCacheEntry*>& entries, const std::string& path,
                          const std::function<void(std::size_t index)>& progress = {});

} // namespace larkspool
