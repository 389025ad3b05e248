// Finding a cache in a folder: the folder itself or any folder below it (a
// browser profile, a home directory copied from a disk), its format told by
// its files.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace larkspool::browsercache {

enum class CacheFolderFormat { IndexDat, ChromiumSimple, ChromiumBlockfile, FirefoxCache2 };

struct CacheFolder {
    std::filesystem::path folder;
    CacheFolderFormat format = CacheFolderFormat::IndexDat;
};

// The format of the cache kept in folder itself; nullopt when it holds none.
//   index.dat                                  index.dat
//   index, index-dir/the-real-index or *_0     Chromium simple
//   index, data_0, data_1                      Chromium blockfile
//   entries/ or files named by 40 hex digits   Firefox cache2
std::optional<CacheFolderFormat> DetectCacheFormat(const std::filesystem::path& folder);

// folder itself when it is a cache, else every cache below it, depth first
// in name order, at most maxDepth levels down. Symbolic links are not
// followed, and the caches that hold no pages (compiled code, shaders, GPU
// programs) are passed over.
std::vector<CacheFolder> FindCacheFolders(const std::filesystem::path& folder, int maxDepth = 6);

// "index.dat", "chromium-simple", "chromium-blockfile", "firefox-cache2".
const char* CacheFormatName(CacheFolderFormat format);

// Runs the format's reader on a browser's cache folder.
BrowserCacheScan ScanBrowserCache(const CacheFolder& cache);

} // namespace larkspool::browsercache
