// Which records of a browser cache become entries: the rule both the cache
// and the count of `caches` use.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <string>
#include <vector>

namespace larkspool::browsercache {

struct ListedRecord {
    const BrowserCacheRecord* record = nullptr;
    std::string redirectTarget; // not empty: a 301/302/307/308 to this absolute URL
};

// HTTP(S) URLs whose answer is a 2xx with a body (not 204, nor 206 but for
// a body the cache put together from its ranges) or a
// redirect elsewhere, in the scan's order; of several records of one URL,
// the newest (by entry time; the first among equals) takes the first one's
// place. Records with an error, 304 answers and empty bodies are left out,
// and URLs holding a NUL byte and redirects to other schemes than http and
// https, each of these two named with why in refused when it is given.
// Recovered records are left out unless withRecovered; then each is listed
// on its own, never in another's place.
std::vector<ListedRecord> ListedRecords(const BrowserCacheScan& scan, std::vector<std::string>* refused = nullptr,
                                        bool withRecovered = false);

// location (a Location header's value) resolved against url.
std::string ResolveLocation(const std::string& url, const std::string& location);

} // namespace larkspool::browsercache
