// Firefox's disk cache ("cache2"): one file per entry in entries/, named by
// the SHA-1 of its key. Every number is big-endian.
//
// Entry file                                   offset        size
//   body as stored (maybe alt-data after it)    0             metadata offset
//   metadata hash (firefox_hash.h) of the rest  M             4
//   one hash per 256 KiB chunk of the body      M + 4         2 x chunks
//   version (1, 2 or 3)                         H             4
//   fetch count, last fetched, last modified,   H + 4         5 x 4   times in seconds since 1970
//     frecency, expiration time
//   key size                                    H + 24        4
//   flags (version 2 and later only)            H + 28        4
//   key, then a NUL                             K             key size + 1
//   elements: name NUL value NUL ...            K + size + 1  up to the end
//   metadata offset M                           file size - 4 4
//
// Elements of note: "response-head" (status line and headers, "\r\n"
// separated) and "alt-data" ("1;OFFSET,TYPE": the body proper ends at
// OFFSET, compiled script follows).
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"

#include <filesystem>

namespace larkspool::browsercache {

// Every file in cache2Dir/entries (cache2Dir may also be the entries folder
// itself), ordered by name, then those in cache2Dir/doomed. A file that is not an entry gives a record with
// error set; a folder that cannot be listed sets the scan's error.
BrowserCacheScan ScanFirefoxCache2(const std::filesystem::path& cache2Dir);

// One entry file's bytes; body.file is set to file.
BrowserCacheRecord ReadFirefoxEntry(const ByteSource& bytes, const std::filesystem::path& file);

} // namespace larkspool::browsercache
