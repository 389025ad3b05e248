// Chromium's "blockfile" disk cache (Windows): index, data_0 ... data_3 and
// external f_XXXXXX files; see chromium_blockfile_format.h for the layout.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "browsercache/byte_source.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace larkspool::browsercache {

// Every entry in use reachable from the index's hash table, in table order.
// An entry whose key, response record or body lies in a missing or damaged
// file gives a record with error set; the scan's error is set when the
// index itself cannot be read.
BrowserCacheScan ScanChromiumBlockfileCache(const std::filesystem::path& cacheDir);

// The same over files opened by name ("index", "data_1", "f_00002a"); null
// when there is no such file, or with whyNot set ("cannot be opened:
// Permission denied") when there is one that cannot be read. Records name
// their files below cacheDir.
using OpenCacheFile = std::function<std::unique_ptr<ByteSource>(const std::string& name, std::string& whyNot)>;
BrowserCacheScan ScanChromiumBlockfileFiles(const std::filesystem::path& cacheDir, const OpenCacheFile& open);

} // namespace larkspool::browsercache
