// Every entry of a URL cache, read with a buffer that grows when an entry
// does not fit, so that no entry after a large one is lost.
#pragma once

#include "cache/url_cache.h"

#include <functional>

namespace larkspool {

// Calls visit for each entry the enumeration with pattern gives, in its order.
// ERROR_SUCCESS when it reached the end, else the error that stopped it.
DWORD ForEachCacheEntry(UrlCache& cache, LPCSTR pattern,
                       const std::function<void(const INTERNET_CACHE_ENTRY_INFOA&)>& visit);

} // namespace larkspool
