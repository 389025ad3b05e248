// Cache detection by file names only: nothing is opened, so that looking
// through a home directory stays cheap.
#include "browsercache/cache_folder.h"

#include "browsercache/chromium_blockfile_cache.h"
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/firefox_cache2.h"

#include <algorithm>
#include <string_view>

namespace larkspool::browsercache {
namespace fs = std::filesystem;
namespace {

// Chromium keeps compiled scripts, shaders, GPU programs and compression
// dictionaries in caches of the same formats; none holds a page.
constexpr std::string_view kCachesWithoutPages[] = {
    "Code Cache", "GPUCache", "GrShaderCache", "GraphiteDawnCache", "DawnCache",
    "DawnGraphiteCache", "DawnWebGPUCache", "ShaderCache", "Shared Dictionary", "startupCache",
};

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

struct FolderNames {
    bool simpleEntry = false;  // <16 hex>_0
    bool firefoxEntry = false; // <40 hex>
};

FolderNames LookAtNames(const fs::path& folder)
{
    FolderNames names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        names.simpleEntry = names.simpleEntry || (name.size() == 18 && name.ends_with("_0") && IsHexName(name.substr(0, 16), 16));
        names.firefoxEntry = names.firefoxEntry || IsHexName(name, 40);
        if (names.simpleEntry || names.firefoxEntry)
            break;
    }
    return names;
}

void Find(const fs::path& folder, int depthLeft, std::vector<CacheFolder>& found)
{
    if (const auto format = DetectCacheFormat(folder)) {
        found.push_back({folder, *format});
        return;
    }
    if (depthLeft == 0)
        return;
    std::vector<fs::path> children;
    std::error_code error;
    for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError) && !IsSystemFolder(it->path()) &&
            std::find(std::begin(kCachesWithoutPages), std::end(kCachesWithoutPages),
                      it->path().filename().string()) == std::end(kCachesWithoutPages))
            children.push_back(it->path());
    }
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children)
        Find(child, depthLeft - 1, found);
}

} // namespace

std::optional<CacheFolderFormat> DetectCacheFormat(const fs::path& folder)
{
    if (IsFile(folder / "index.dat"))
        return CacheFolderFormat::IndexDat;
    std::error_code error;
    if (fs::is_directory(folder / "entries", error) && (IsFile(folder / "index") || folder.filename() == "cache2"))
        return CacheFolderFormat::FirefoxCache2;
    if (IsFile(folder / "index")) {
        if (IsFile(folder / "data_0") && IsFile(folder / "data_1"))
            return CacheFolderFormat::ChromiumBlockfile;
        if (IsFile(folder / "index-dir" / "the-real-index"))
            return CacheFolderFormat::ChromiumSimple;
    }
    const FolderNames names = LookAtNames(folder);
    if (names.simpleEntry && IsFile(folder / "index"))
        return CacheFolderFormat::ChromiumSimple;
    if (names.firefoxEntry)
        return CacheFolderFormat::FirefoxCache2;
    return std::nullopt;
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
    case CacheFolderFormat::FirefoxCache2:
        return "firefox-cache2";
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
    case CacheFolderFormat::FirefoxCache2:
        return ScanFirefoxCache2(cache.folder);
    case CacheFolderFormat::IndexDat:
        break;
    }
    BrowserCacheScan scan;
    scan.error = "not a browser's cache";
    return scan;
}

} // namespace larkspool::browsercache
