// Chromium's "simple cache" (Linux, macOS, Android): an index, and one file
// per entry named "<16 hex digits of the key's hash>_0". Little-endian.
//
// Entry file "_0"                              size
//   header: initial magic 0xfcfb6d1ba7725c30    8
//           version (5)                         4
//           key length, key hash, padding       3 x 4
//   key                                         key length
//   stream 1: the body as stored                up to the first end record
//   end record of stream 1                      24
//   stream 0: the response record (pickle)      its end record's stream size
//   SHA-256 of the key (end record flag 2)      32
//   end record of stream 0                      24
//
// End record: final magic 0xf4fa6f45970d41d8 (8), flags (4: bit 0 a CRC-32
// of the stream follows, bit 1 the key's SHA-256 precedes the record), the
// stream's CRC-32 (4), stream size (4: used for stream 0 only), padding (4).
// "_1" (stream 2: compiled script) holds no response body and is not read.
//
// Sparse file "_s": the body of an entry fetched by byte ranges (media), whose
// stream 1 is then empty.
//   header: initial magic, version (7 to 9: the   24
//           backend's, not the entry's), key
//           length, key hash, padding
//   key                                           key length
//   ranges, each to the end of the file:
//     sparse range magic 0xeb97bf016553676b        8
//     offset in the body, length                  8 + 8
//     CRC-32 of the data (0: none kept), padding  4 + 4
//     data                                        length
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"
#include "browsercache/inside_cache.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

// Every "_0" entry file in cacheDir, ordered by name; an entry that cannot
// be read gives a record with error set. The scan's error is set when the
// folder cannot be listed or holds neither an index nor an entry.
BrowserCacheScan ScanChromiumSimpleCache(const std::filesystem::path& cacheDir);

// Reads an entry's stream 0 into the record; the reason when it cannot.
// The HTTP cache keeps a pickled response record there (ReadResponseInfo),
// CacheStorage a protobuf of its own.
using SimpleStream0Reader = std::string (*)(std::string_view stream0, BrowserCacheRecord& record);

// The "_0" entries of the simple cache in cacheDir (folder or a folder below
// it, every file opened inside folder) appended to scan.records; false when
// cacheDir holds neither an index nor an entry, or cannot be listed (then
// with scan.error set). The last use is taken from the index where it keeps
// one: CacheStorage's caches are of the kind whose index keeps, in its
// place, how much of an entry's end to read ahead.
bool ScanSimpleCacheEntries(const OpenedCacheFolder& folder, const std::filesystem::path& cacheDir,
                            SimpleStream0Reader readStream0, bool indexKeepsLastUse, BrowserCacheScan& scan);

// Places the ranges of an entry's "_s" file (bytes, named file) in the body
// of record, whose key and head are read; the reason when they cannot be.
std::string ReadSimpleSparseRanges(const ByteSource& bytes, const std::filesystem::path& file,
                                   BrowserCacheRecord& record);

// One "_0" file's bytes; body.file is set to file. The times are those of
// the response record; the caller knows the last use.
BrowserCacheRecord ReadSimpleCacheEntry(const ByteSource& bytes, const std::filesystem::path& file,
                                        SimpleStream0Reader readStream0);

} // namespace larkspool::browsercache
