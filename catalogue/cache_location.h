// Where the URL cache of this user lives, and opening it.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace larkspool {

class UrlCache;

// $LARKSPOOL_CACHE, empty when it is not set.
std::string CacheFolderFromEnvironment();

// $LARKSPOOL_CACHE when set and not empty, else the application's local data
// folder + "/Content.IE5". The folder need not exist yet.
std::string DefaultCacheFolder();

struct OpenedCache {
    std::unique_ptr<UrlCache> cache; // null when the cache file cannot be read
    std::string error;               // why not, in one line
    // The entries found unreadable so far, one line each ("KEY: why"): the
    // open finds some, reading a body may find more. Empty when the cache has
    // no such list; valid while cache lives.
    std::function<std::vector<std::string>()> problems;
};

struct CacheOpenOptions {
    std::uint64_t maxBodySize = browsercache::kDefaultMaxBodySize; // the most bytes one decoded body may have
    // Adds what the cache still holds beyond its live entries: recovered
    // index.dat records (see IndexDatCacheOptions), Firefox's doomed entries.
    bool recovered = false;
    // An index.dat cache opened from elsewhere than DefaultCacheFolder() is
    // likely a copy kept as evidence: the files no record names are removed
    // from it only when this is set.
    bool removeOrphansAnywhere = false;
};

// folder empty: the default cache (on Windows the user's live WinINet cache).
// A folder holding index.dat, or none that exists, is an index.dat cache; a
// browser's cache in it or in a folder below it (a profile, a home
// directory) opens read-only, its decoded bodies kept in a private folder
// under the user's cache location. Several caches below it open as one
// JoinedCache, each a member named by its kind and its folder below folder.
OpenedCache OpenUrlCache(const std::string& folder, const CacheOpenOptions& options = {});

} // namespace larkspool
