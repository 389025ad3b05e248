// Where the URL cache of this user lives, and opening it.
#pragma once

#include <memory>
#include <string>

namespace larkspool {

class UrlCache;

// $LARKSPOOL_CACHE when set and not empty, else the application's local data
// folder + "/Content.IE5". The folder need not exist yet.
std::string DefaultCacheFolder();

struct OpenedCache {
    std::unique_ptr<UrlCache> cache; // null when the cache file cannot be read
    std::string error;               // why not, in one line
};

// folder empty: the default cache (on Windows the user's live WinINet cache).
OpenedCache OpenUrlCache(const std::string& folder);

} // namespace larkspool
