// Looking through the places browsers and Wine keep caches. Each place is
// searched a few levels deep only, so that a large home directory stays
// cheap: ~/.cache/chromium/Default/Cache/Cache_Data is four levels down.
#include "catalogue/machine_caches.h"

#include "browsercache/listed_records.h"
#include "cache/cache_enumeration.h"
#include "cache/index_dat_cache.h"
#include "catalogue/cache_location.h"

#include <QDir>

#include <algorithm>
#include <cstdlib>

namespace larkspool {
namespace fs = std::filesystem;
namespace {

constexpr int kProfileDepth = 5;
constexpr int kWineUsersDepth = 8; // users/NAME/AppData/Local/Microsoft/Windows/INetCache/Content.IE5

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<fs::path> WinePrefixes(const fs::path& home)
{
    std::vector<fs::path> prefixes{home / ".wine"};
    if (const std::string fromEnvironment = Environment("WINEPREFIX"); !fromEnvironment.empty())
        prefixes.emplace_back(fromEnvironment);
    std::error_code error;
    std::vector<fs::path> more;
    for (fs::directory_iterator it(home / ".local/share/wineprefixes", error), end; !error && it != end;
         it.increment(error))
        more.push_back(it->path());
    std::sort(more.begin(), more.end());
    prefixes.insert(prefixes.end(), more.begin(), more.end());
    return prefixes;
}

void AddOnce(std::vector<browsercache::CacheFolder>& caches, const browsercache::CacheFolder& cache)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(cache.folder, error);
    for (const browsercache::CacheFolder& known : caches) {
        std::error_code knownError;
        if (fs::weakly_canonical(known.folder, knownError) == canonical)
            return;
    }
    caches.push_back(cache);
}

} // namespace

std::vector<browsercache::CacheFolder> FindMachineCaches()
{
    const fs::path home = QDir::homePath().toStdString();
    std::vector<browsercache::CacheFolder> caches;
    for (const char* place : {".cache", ".config"})
        for (const auto& cache : browsercache::FindCacheFolders(home / place, kProfileDepth))
            AddOnce(caches, cache);
    for (const fs::path& prefix : WinePrefixes(home))
        for (const auto& cache : browsercache::FindCacheFolders(prefix / "drive_c" / "users", kWineUsersDepth))
            if (cache.format == browsercache::CacheFolderFormat::IndexDat && cache.folder.filename() == "Content.IE5")
                AddOnce(caches, cache);
    std::error_code error;
    for (const std::string& folder : {Environment("LARKSPOOL_CACHE"), DefaultCacheFolder()})
        if (!folder.empty() && fs::is_directory(folder, error))
            for (const auto& cache : browsercache::FindCacheFolders(folder, kProfileDepth))
                AddOnce(caches, cache);
    return caches;
}

std::optional<std::size_t> CountCacheEntries(const browsercache::CacheFolder& cache)
{
    if (cache.format == browsercache::CacheFolderFormat::IndexDat) {
        IndexDatCache indexDat(cache.folder);
        if (!indexDat.LoadError().empty())
            return std::nullopt;
        std::size_t count = 0;
        ForEachCacheEntry(indexDat, "", [&count](const INTERNET_CACHE_ENTRY_INFOA&) { ++count; });
        return count;
    }
    const browsercache::BrowserCacheScan scan = browsercache::ScanBrowserCache(cache);
    if (!scan.error.empty())
        return std::nullopt;
    return browsercache::ListedRecords(scan).size();
}

} // namespace larkspool
