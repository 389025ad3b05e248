// Finding a cache in a folder: the folder itself or any folder below it (a
// browser profile, a home directory copied from a disk), its format told by
// its files.
#pragma once

#include "browsercache/browser_cache_record.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace larkspool::browsercache {

enum class CacheFolderFormat {
    IndexDat,
    ChromiumSimple,
    ChromiumBlockfile,
    ChromiumCacheStorage,
    FirefoxCache1,
    FirefoxCache2,
    WebKit
};

// How many levels below the folder given a cache is looked for.
inline constexpr int kCacheSearchDepth = 6;

struct CacheFolder {
    std::filesystem::path folder;
    CacheFolderFormat format = CacheFolderFormat::IndexDat;
};

// The format of the cache kept in folder itself; nullopt when it holds none.
// Any one kind of a format's files will do, so that a partly copied cache
// is read as far as it can be:
//   index.dat                                       index.dat
//   index of its magic number, index-dir/the-real-
//   index.txt, or a CacheStorage folder holding a
//   folder with one                                  Chromium CacheStorage
//   index or a <16 hex digits>_0 entry file          Chromium simple
//   index of its magic number, or data_0 ... data_3  Chromium blockfile
//   _CACHE_MAP_ or _CACHE_001_ ... _CACHE_003_        Firefox cache1
//   a Version N folder holding Records/ or salt,
//   or the folder holding one (WebKitCache)          WebKit
//   entries/ or files named by 40 hex digits        Firefox cache2
std::optional<CacheFolderFormat> DetectCacheFormat(const std::filesystem::path& folder);

// The name of a file or folder in folder that a browser's cache keeps
// ("index", "data_1", "entries"), whether or not the cache is readable; empty
// when there is none. No index.dat is ever made beside one.
std::string BrowserCacheFileIn(const std::filesystem::path& folder);

// Why FindCacheFolders(folder, maxDepth) found nothing though a cache lies
// below: one deeper down, or one behind a linked folder, named with what to
// do; empty when there is none (looking a few levels further, at most some
// thousands of folders).
std::string CacheOutOfReach(const std::filesystem::path& folder, int maxDepth = kCacheSearchDepth);

// folder itself when it is a cache, else every cache below it, depth first
// in name order, at most maxDepth levels down. Symbolic links are not
// followed, and the caches that hold no pages (compiled code, shaders, GPU
// programs) are passed over.
std::vector<CacheFolder> FindCacheFolders(const std::filesystem::path& folder, int maxDepth = kCacheSearchDepth);

// "index.dat", "chromium-simple", "chromium-blockfile", "firefox-cache1",
// "chromium-cachestorage", "firefox-cache2", "webkit".
const char* CacheFormatName(CacheFolderFormat format);
// The same name for the format a reader found.
const char* CacheFormatName(BrowserCacheFormat format);

// Runs the format's reader on a browser's cache folder.
BrowserCacheScan ScanBrowserCache(const CacheFolder& cache);

} // namespace larkspool::browsercache
