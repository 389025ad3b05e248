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

bool SameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

const fs::path& FolderOf(const browsercache::CacheFolder& cache) { return cache.folder; }
const fs::path& FolderOf(const CacheChoice& choice) { return choice.cache.folder; }

template <typename Cache>
void AddOnce(std::vector<Cache>& caches, Cache cache)
{
    for (const Cache& known : caches) {
        if (SameFolder(FolderOf(known), FolderOf(cache)))
            return;
    }
    caches.push_back(std::move(cache));
}

// What OpenUrlCache opens for folder, found as it finds it: the folder's
// own cache, the only cache below it, the several below it, or an index.dat
// cache when there is none.
CacheChoice OpenedCacheChoice(const std::string& folder)
{
    const fs::path location = folder.empty() ? fs::path(DefaultCacheFolder()) : fs::path(folder);
    std::error_code error;
    if (!fs::is_directory(location, error))
        return {{location, browsercache::CacheFolderFormat::IndexDat}, {}};
    std::vector<browsercache::CacheFolder> found = browsercache::FindCacheFolders(location);
    if (found.size() == 1)
        return {found.front(), {}};
    if (found.empty())
        return {{location, browsercache::CacheFolderFormat::IndexDat}, {}};
    return {{location, browsercache::CacheFolderFormat::IndexDat}, std::move(found)};
}

} // namespace

std::vector<browsercache::CacheFolder> FindMachineCaches()
{
    const fs::path home = QDir::homePath().toStdString();
    std::vector<browsercache::CacheFolder> caches;
    // Library/Caches: a macOS home copied here, Safari's WebKitCache among its caches.
    for (const char* place : {".cache", ".config", "Library/Caches"})
        for (const auto& cache : browsercache::FindCacheFolders(home / place, kProfileDepth))
            AddOnce(caches, cache);
    for (const fs::path& prefix : WinePrefixes(home))
        for (const auto& cache : browsercache::FindCacheFolders(prefix / "drive_c" / "users", kWineUsersDepth))
            if (cache.format == browsercache::CacheFolderFormat::IndexDat && cache.folder.filename() == "Content.IE5")
                AddOnce(caches, cache);
    std::error_code error;
    for (const std::string& folder : {CacheFolderFromEnvironment(), DefaultCacheFolder()})
        if (!folder.empty() && fs::is_directory(folder, error))
            for (const auto& cache : browsercache::FindCacheFolders(folder, kProfileDepth))
                AddOnce(caches, cache);
    return caches;
}

std::vector<CacheChoice> CachesToChooseFrom(const std::string& inUse)
{
    std::vector<CacheChoice> choices;
    for (const browsercache::CacheFolder& cache : FindMachineCaches())
        choices.push_back({cache, {}});
    AddOnce(choices, OpenedCacheChoice(""));
    AddOnce(choices, OpenedCacheChoice(inUse));
    return choices;
}

std::string ChoiceFormats(const CacheChoice& choice)
{
    if (choice.members.empty())
        return browsercache::CacheFormatName(choice.cache.format);
    std::vector<std::string> names;
    for (const browsercache::CacheFolder& member : choice.members)
        if (const std::string name = browsercache::CacheFormatName(member.format);
            std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    std::string formats;
    for (const std::string& name : names)
        formats += (formats.empty() ? "" : ", ") + name;
    return formats;
}

bool IsCacheOpenedFrom(const CacheChoice& choice, const std::string& folder)
{
    return SameFolder(choice.cache.folder, OpenedCacheChoice(folder).cache.folder);
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

std::optional<std::size_t> CountCacheEntries(const CacheChoice& choice)
{
    if (choice.members.empty())
        return CountCacheEntries(choice.cache);
    std::size_t count = 0;
    for (const browsercache::CacheFolder& member : choice.members) {
        const std::optional<std::size_t> members = CountCacheEntries(member);
        if (!members)
            return std::nullopt; // as the open, which fails when one cannot be read
        count += *members;
    }
    return count;
}

} // namespace larkspool
