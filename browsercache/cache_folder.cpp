// Cache detection by file names, and by the first bytes of a file named
// "index" (the one name two formats share), so that looking through a home
// directory stays cheap. A partly copied cache is told by any of its kinds
// of files, so that it is read (or refused) as what it is rather than taken
// for an empty folder.
#include "browsercache/cache_folder.h"

#include "browsercache/byte_reader.h"
#include "browsercache/byte_source.h"
#include "browsercache/chromium_blockfile_cache.h"
#include "browsercache/chromium_cache_storage.h"
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/firefox_cache1.h"
#include "browsercache/firefox_cache2.h"
#include "browsercache/webkit_cache.h"

#include <algorithm>
#include <string_view>

namespace larkspool::browsercache {
namespace fs = std::filesystem;
namespace {

// Chromium keeps compiled scripts, shaders, GPU programs, compression
// dictionaries and service workers' scripts (keyed by resource ids) in
// caches of the same formats; none holds a page.
constexpr std::string_view kCachesWithoutPages[] = {
    "Code Cache", "GPUCache", "GrShaderCache", "GraphiteDawnCache", "DawnCache",
    "DawnGraphiteCache", "DawnWebGPUCache", "ShaderCache", "Shared Dictionary", "startupCache", "ScriptCache",
};

// The files of Firefox's first cache: any one of them tells it.
constexpr const char* kFirefoxCache1Files[] = {"_CACHE_MAP_", "_CACHE_001_", "_CACHE_002_", "_CACHE_003_"};

// The kernel's own trees: huge, and never a cache.
constexpr std::string_view kSystemFolders[] = {"/proc", "/sys", "/dev", "/run"};

bool IsSystemFolder(const fs::path& folder)
{
    return std::find(std::begin(kSystemFolders), std::end(kSystemFolders), folder.string()) != std::end(kSystemFolders);
}

bool IsFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsHexName(std::string_view name, std::size_t digits)
{
    return name.size() == digits && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
           });
}

// The first magic numbers of a blockfile index and of a simple cache's
// "index" (the same as its entry files').
constexpr std::uint32_t kBlockfileIndexMagic = 0xC103CAC3;
constexpr std::uint64_t kSimpleIndexMagic = 0xfcfb6d1ba7725c30ULL;

enum class IndexKind { None, Blockfile, Simple, Unknown };

IndexKind IndexFileKind(const fs::path& folder)
{
    const FileBytes index(folder / "index");
    if (!index.IsOpen())
        return IndexKind::None;
    std::string head;
    std::uint32_t magic32 = 0;
    std::uint64_t magic64 = 0;
    if (!index.ReadAt(0, 8, head) || !ByteReader(head).Le32(magic32) || !ByteReader(head).Le64(magic64))
        return IndexKind::Unknown;
    return magic32 == kBlockfileIndexMagic ? IndexKind::Blockfile
           : magic64 == kSimpleIndexMagic  ? IndexKind::Simple
                                           : IndexKind::Unknown;
}

struct FolderNames {
    bool simpleEntry = false;  // <16 hex>_0
    bool firefoxEntry = false; // <40 hex>
    bool blockFile = false;    // data_0 ... data_3
    bool webkitVersion = false; // Version N holding Records/ or salt
};

FolderNames LookAtNames(const fs::path& folder)
{
    FolderNames names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        names.simpleEntry = names.simpleEntry || (name.size() == 18 && name.ends_with("_0") && IsHexName(name.substr(0, 16), 16));
        names.firefoxEntry = names.firefoxEntry || IsHexName(name, 40);
        names.blockFile = names.blockFile || (name.size() == 6 && name.starts_with("data_") && name[5] >= '0' && name[5] <= '3');
        names.webkitVersion = names.webkitVersion || (WebKitVersionOfFolder(name) && IsWebKitVersionFolder(it->path()));
        if (names.simpleEntry || names.firefoxEntry || names.blockFile || names.webkitVersion)
            break;
    }
    return names;
}

// The folders below folder that the search looks into, in name order:
// links are not followed, and the kernel's trees and the caches without
// pages are passed over.
std::vector<fs::path> SearchedChildren(const fs::path& folder, std::vector<fs::path>* links = nullptr)
{
    std::vector<fs::path> children;
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || IsSystemFolder(it->path()) ||
            std::find(std::begin(kCachesWithoutPages), std::end(kCachesWithoutPages),
                      it->path().filename().string()) != std::end(kCachesWithoutPages))
            continue;
        if (!it->is_symlink(typeError))
            children.push_back(it->path());
        else if (links)
            links->push_back(it->path());
    }
    std::sort(children.begin(), children.end());
    if (links)
        std::sort(links->begin(), links->end());
    return children;
}

void Find(const fs::path& folder, int depthLeft, std::vector<CacheFolder>& found)
{
    if (const auto format = DetectCacheFormat(folder)) {
        found.push_back({folder, *format});
        return;
    }
    if (depthLeft == 0)
        return;
    for (const fs::path& child : SearchedChildren(folder))
        Find(child, depthLeft - 1, found);
}

// How much further CacheOutOfReach looks than the search itself.
constexpr int kDepthBeyond = 6;
constexpr int kFoldersBeyond = 20000;

// Folders up to maxDepth down are known to hold no cache: only the links
// below them and the folders further down are looked at.
std::string LookBeyond(const fs::path& folder, int depth, int maxDepth, int& foldersLeft)
{
    if (--foldersLeft < 0 || depth > maxDepth + kDepthBeyond)
        return {};
    if (depth > maxDepth && DetectCacheFormat(folder))
        return "the cache in " + folder.string() + " lies " + std::to_string(depth) +
               " folders down, deeper than the search goes (" + std::to_string(maxDepth) + "): name that folder";
    std::vector<fs::path> links;
    const std::vector<fs::path> children = SearchedChildren(folder, &links);
    for (const fs::path& link : links)
        if (DetectCacheFormat(link))
            return "the cache in " + link.string() +
                   " lies behind a linked folder, which the search does not follow: name that folder";
    for (const fs::path& child : children)
        if (std::string found = LookBeyond(child, depth + 1, maxDepth, foldersLeft); !found.empty())
            return found;
    return {};
}

} // namespace

std::optional<CacheFolderFormat> DetectCacheFormat(const fs::path& folder)
{
    if (IsFile(folder / "index.dat"))
        return CacheFolderFormat::IndexDat;
    // Before the simple cache: each named cache is one, a folder down.
    if (IsCacheStorageOriginFolder(folder) || IsCacheStorageFolder(folder))
        return CacheFolderFormat::ChromiumCacheStorage;
    // WebKit names its record files by 40 hex digits too, one version folder down.
    if (WebKitVersionOfFolder(folder.filename().string()) && IsWebKitVersionFolder(folder))
        return CacheFolderFormat::WebKit;
    std::error_code error;
    if (fs::is_directory(folder / "entries", error) && (IsFile(folder / "index") || folder.filename() == "cache2"))
        return CacheFolderFormat::FirefoxCache2;
    for (const char* name : kFirefoxCache1Files)
        if (IsFile(folder / name))
            return CacheFolderFormat::FirefoxCache1;
    const IndexKind index = IndexFileKind(folder);
    if (index == IndexKind::Blockfile)
        return CacheFolderFormat::ChromiumBlockfile;
    if (index == IndexKind::Simple || IsFile(folder / "index-dir" / "the-real-index"))
        return CacheFolderFormat::ChromiumSimple;
    const FolderNames names = LookAtNames(folder);
    if (names.simpleEntry)
        return CacheFolderFormat::ChromiumSimple;
    if (names.blockFile)
        return CacheFolderFormat::ChromiumBlockfile;
    if (names.webkitVersion)
        return CacheFolderFormat::WebKit;
    if (names.firefoxEntry)
        return CacheFolderFormat::FirefoxCache2;
    return std::nullopt;
}

std::string BrowserCacheFileIn(const fs::path& folder)
{
    for (const char* name : {"index", "index-dir", "entries", "data_0", "data_1", "data_2", "data_3", "_CACHE_MAP_",
                             "_CACHE_001_", "_CACHE_002_", "_CACHE_003_", "Records", "salt"}) {
        std::error_code error;
        const fs::file_type type = fs::symlink_status(folder / name, error).type();
        if (type != fs::file_type::not_found && type != fs::file_type::none) // none: cannot be told
            return name;
    }
    return {};
}

std::string CacheOutOfReach(const fs::path& folder, int maxDepth)
{
    int foldersLeft = kFoldersBeyond;
    return LookBeyond(folder, 0, maxDepth, foldersLeft);
}

std::vector<CacheFolder> FindCacheFolders(const fs::path& folder, int maxDepth)
{
    std::vector<CacheFolder> found;
    Find(folder, maxDepth, found);
    return found;
}

const char* CacheFormatName(CacheFolderFormat format)
{
    switch (format) {
    case CacheFolderFormat::IndexDat:
        return "index.dat";
    case CacheFolderFormat::ChromiumSimple:
        return "chromium-simple";
    case CacheFolderFormat::ChromiumBlockfile:
        return "chromium-blockfile";
    case CacheFolderFormat::FirefoxCache1:
        return "firefox-cache1";
    case CacheFolderFormat::FirefoxCache2:
        return "firefox-cache2";
    case CacheFolderFormat::WebKit:
        return "webkit";
    case CacheFolderFormat::ChromiumCacheStorage:
        return "chromium-cachestorage";
    }
    return "";
}

const char* CacheFormatName(BrowserCacheFormat format)
{
    switch (format) {
    case BrowserCacheFormat::ChromiumSimple:
        return CacheFormatName(CacheFolderFormat::ChromiumSimple);
    case BrowserCacheFormat::ChromiumBlockfile:
        return CacheFormatName(CacheFolderFormat::ChromiumBlockfile);
    case BrowserCacheFormat::FirefoxCache1:
        return CacheFormatName(CacheFolderFormat::FirefoxCache1);
    case BrowserCacheFormat::FirefoxCache2:
        return CacheFormatName(CacheFolderFormat::FirefoxCache2);
    case BrowserCacheFormat::WebKit:
        return CacheFormatName(CacheFolderFormat::WebKit);
    case BrowserCacheFormat::ChromiumCacheStorage:
        return CacheFormatName(CacheFolderFormat::ChromiumCacheStorage);
    }
    return "";
}

BrowserCacheScan ScanBrowserCache(const CacheFolder& cache)
{
    switch (cache.format) {
    case CacheFolderFormat::ChromiumSimple:
        return ScanChromiumSimpleCache(cache.folder);
    case CacheFolderFormat::ChromiumBlockfile:
        return ScanChromiumBlockfileCache(cache.folder);
    case CacheFolderFormat::FirefoxCache1:
        return ScanFirefoxCache1(cache.folder);
    case CacheFolderFormat::FirefoxCache2:
        return ScanFirefoxCache2(cache.folder);
    case CacheFolderFormat::WebKit:
        return ScanWebKitCache(cache.folder);
    case CacheFolderFormat::ChromiumCacheStorage:
        return ScanChromiumCacheStorage(cache.folder);
    case CacheFolderFormat::IndexDat:
        break;
    }
    BrowserCacheScan scan;
    scan.error = "not a browser's cache";
    return scan;
}

} // namespace larkspool::browsercache
