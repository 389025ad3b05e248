// WebKit's network cache, as Safari (since 2015) and the WebKitGTK and WPE
// programs keep it:
//   WebKitCache/Version N/salt
//   Version N/Records/<partition hash>/Resource/<key hash>       one record
//   Version N/Records/<partition hash>/Resource/<key hash>-blob  its body when not inline: a hard link
//   Version N/Blobs/<body hash>                                  into here, one file for identical bodies
//   Version N/Records/<partition hash>/SubResources/<key hash>   a page's prefetch list: no entry
// A record holds its key, the response head as WebKit encodes it and, when
// small, the body (layout in webkit_cache.cpp). WebKit stores a body as its
// network layer handed it over: the Content-Encoding is already undone.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// The storage versions whose records this reader knows: the record layout
// has stayed the same since Safari 9.
inline constexpr std::uint32_t kOldestWebKitVersion = 4;
inline constexpr std::uint32_t kNewestWebKitVersion = 17;

// N of a folder named "Version N"; nullopt for any other name.
std::optional<std::uint32_t> WebKitVersionOfFolder(std::string_view name);

// True when folder is one version of the cache: it holds Records/ or salt.
bool IsWebKitVersionFolder(const std::filesystem::path& folder);

struct WebKitRecordPlace {
    std::uint32_t version = 0;  // of its Version folder; 0: take the record's own
    std::string keyHash;        // the record file's name
    std::string partitionHash;  // its partition folder's name
    // Where a body kept apart lies, found by the body's hash (40 hex
    // digits) and checked against its size; the reason when it is not.
    std::function<std::string(const std::string& bodyHash, std::uint64_t size, BodyLocation& body)> findBlob;
};

// Fills record (whose body.file is the record file) from the record's
// bytes; the reason when they cannot be read.
std::string ReadWebKitRecord(const ByteSource& bytes, const WebKitRecordPlace& place, BrowserCacheRecord& record);

// The records of the cache in folder: a WebKitCache folder (every version
// in it) or one Version N folder. A version this reader does not know is
// named as the reason the cache, or that version of it, cannot be read.
BrowserCacheScan ScanWebKitCache(const std::filesystem::path& folder);

} // namespace larkspool::browsercache
