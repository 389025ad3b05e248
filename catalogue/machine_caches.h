// The caches kept in the usual places of this machine, for `caches` and the
// window's folder choice.
#pragma once

#include "browsercache/cache_folder.h"

#include <optional>
#include <vector>

namespace larkspool {

// Chromium-family and Firefox profiles under ~/.cache and ~/.config, the
// Content.IE5 folders of Wine prefixes (~/.wine, $WINEPREFIX,
// ~/.local/share/wineprefixes/*), $LARKSPOOL_CACHE and the default cache
// folder, each cache once, in that order.
std::vector<browsercache::CacheFolder> FindMachineCaches();

// The entries the cache would list; nullopt when it cannot be read.
std::optional<std::size_t> CountCacheEntries(const browsercache::CacheFolder& cache);

} // namespace larkspool
