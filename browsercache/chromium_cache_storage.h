// Chromium's CacheStorage: what a site's service worker keeps with
// caches.open(name), one simple cache per named cache:
//   <profile>/Service Worker/CacheStorage/<origin hash>/index.txt
//   <profile>/Service Worker/CacheStorage/<origin hash>/<cache folder>/  a simple cache
// index.txt is a protobuf (protobuf_wire.h):
//   1 cache, repeated: 1 name, 2 its folder's name, 7 the name in UTF-16 (newer)
//   2 origin; 3 storage key
// Each entry is keyed by the plain URL; its stream 0 is a protobuf too:
//   1 request; 3 entry time
//   2 response: 1 status code, 2 status text, 4 headers (1 name, 2 value),
//     6 response time (microseconds since 1601), 8 URL list, 13 MIME type
// The body (stream 1) is kept as the fetch handed it over: its
// Content-Encoding, which the headers still name, already undone.
// Service Worker/ScriptCache, the workers' own scripts keyed by resource
// ids, holds no page and is not read.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace larkspool::browsercache {

struct CacheStorageIndex {
    struct NamedCache {
        std::string name;
        std::string folder; // one folder name, checked to stay in the origin's folder
    };
    std::vector<NamedCache> caches;
    std::string origin;
};

// The reason when bytes are no index.txt.
std::string ReadCacheStorageIndex(std::string_view bytes, CacheStorageIndex& index);

// Sets the record's head, times and a decoded body from stream 0; the
// reason when it is no response record.
std::string ReadCacheStorageResponse(std::string_view stream0, BrowserCacheRecord& record);

// An origin's folder holds index.txt, in a CacheStorage folder or naming a
// cache folder there; the CacheStorage folder holds origin folders.
bool IsCacheStorageOriginFolder(const std::filesystem::path& folder);
bool IsCacheStorageFolder(const std::filesystem::path& folder);

// The entries of every cache index.txt names, in the order it names them,
// each with its cache's name as its partition; folder is an origin's folder
// or the CacheStorage folder (every origin in it).
BrowserCacheScan ScanChromiumCacheStorage(const std::filesystem::path& folder);

} // namespace larkspool::browsercache
