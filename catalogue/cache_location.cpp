// The default cache folder and opening a cache: the environment's choice
// first, then the platform's; the format told by the folder's files.
#include "catalogue/cache_location.h"

#include "browsercache/browser_cache.h"
#include "browsercache/cache_folder.h"
#include "cache/index_dat_cache.h"
#ifdef _WIN32
#include "cache/wininet_cache.h"
#endif

#include <QStandardPaths>

#include <cstdlib>

namespace larkspool {
namespace {

OpenedCache OpenIndexDat(const std::filesystem::path& folder)
{
    auto cache = std::make_unique<IndexDatCache>(folder);
    if (std::string error = cache->LoadError(); !error.empty())
        return {nullptr, std::move(error), {}};
    return {std::move(cache), {}, {}};
}

std::string FolderList(const std::vector<browsercache::CacheFolder>& caches)
{
    std::string list;
    for (const browsercache::CacheFolder& cache : caches)
        list += (list.empty() ? "" : ", ") + cache.folder.string();
    return list;
}

} // namespace

std::string DefaultCacheFolder()
{
    if (const char* fromEnvironment = std::getenv("LARKSPOOL_CACHE"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return (base + QStringLiteral("/Content.IE5")).toStdString();
}

OpenedCache OpenUrlCache(const std::string& folder)
{
#ifdef _WIN32
    const char* fromEnvironment = std::getenv("LARKSPOOL_CACHE");
    if (folder.empty() && !(fromEnvironment && *fromEnvironment))
        return {std::make_unique<WinInetCache>(), {}, {}};
#endif
    const std::filesystem::path path = folder.empty() ? DefaultCacheFolder() : folder;
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return OpenIndexDat(path); // a folder still to be made, or a file that says why it is no cache
    const std::vector<browsercache::CacheFolder> found = browsercache::FindCacheFolders(path);
    if (found.empty())
        return OpenIndexDat(path);
    if (found.size() > 1)
        return {nullptr, "several caches below " + path.string() + ": " + FolderList(found) + "; name one", {}};
    if (found.front().format == browsercache::CacheFolderFormat::IndexDat)
        return OpenIndexDat(found.front().folder);

    browsercache::BrowserCacheScan scan = browsercache::ScanBrowserCache(found.front());
    if (!scan.error.empty())
        return {nullptr, scan.error + ": " + found.front().folder.string(), {}};
    const QString scratch = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    auto cache = std::make_unique<browsercache::BrowserCache>(std::move(scan), scratch.toStdString());
    std::vector<std::string> problems = cache->Problems();
    return {std::move(cache), {}, std::move(problems)};
}

} // namespace larkspool
