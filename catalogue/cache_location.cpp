// The default cache folder and opening a cache: the environment's choice
// first, then the platform's; the format told by the folder's files.
#include "catalogue/cache_location.h"

#include "browsercache/browser_cache.h"
#include "browsercache/cache_folder.h"
#include "cache/index_dat_cache.h"
#include "cache/joined_cache.h"
#ifdef _WIN32
#include "cache/wininet_cache.h"
#endif

#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace larkspool {
namespace {

// The user's own cache ($LARKSPOOL_CACHE or the platform's), however spelt.
bool IsDefaultCacheFolder(const std::filesystem::path& folder)
{
    const std::filesystem::path platform = DefaultCacheFolder();
    std::error_code error;
    return folder.lexically_normal() == platform.lexically_normal() || std::filesystem::equivalent(folder, platform, error);
}

OpenedCache OpenIndexDat(const std::filesystem::path& folder, const CacheOpenOptions& options)
{
    IndexDatCacheOptions indexDat;
    indexDat.recovered = options.recovered;
    indexDat.removeOrphans = options.removeOrphansAnywhere || IsDefaultCacheFolder(folder);
    auto cache = std::make_unique<IndexDatCache>(folder, NowTicks, indexDat);
    if (std::string error = cache->LoadError(); !error.empty())
        return {nullptr, std::move(error), {}};
    return {std::move(cache), {}, {}};
}

// Why folder cannot be a cache folder, or empty when it can: only a folder,
// or nothing at all (an empty cache the first write creates), will do.
std::string CacheFolderProblem(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status link = fs::symlink_status(folder, error);
    if (link.type() == fs::file_type::not_found)
        return {};
    const fs::file_status target = fs::status(folder, error);
    if (target.type() == fs::file_type::directory) {
        // A folder its user may not read would read as an empty cache.
        const fs::directory_iterator listing(folder, error);
        return error ? "cannot read the cache folder " + folder + ": " + error.message() : std::string();
    }
    if (target.type() == fs::file_type::not_found && link.type() == fs::file_type::symlink)
        return "the cache folder " + folder + " is a symbolic link to nothing";
    if (error)
        return "cannot reach the cache folder " + folder + ": " + error.message();
    return "the cache folder " + folder + " is not a folder";
}

OpenedCache OpenFoundCache(const browsercache::CacheFolder& found, const CacheOpenOptions& options)
{
    if (found.format == browsercache::CacheFolderFormat::IndexDat)
        return OpenIndexDat(found.folder, options);

    browsercache::BrowserCacheScan scan = browsercache::ScanBrowserCache(found);
    if (!scan.error.empty())
        return {nullptr, scan.error + ": " + found.folder.string(), {}};
    scan.folder = found.folder;
    // Not one entry read is not an empty cache (an unreadable or missing
    // data_1 fails them all): the first reason stands for the rest.
    if (!scan.records.empty() &&
        std::all_of(scan.records.begin(), scan.records.end(), [](const auto& record) { return !record.error.empty(); }))
        return {nullptr, "not one of the " + std::to_string(scan.records.size()) + " entries of " +
                             found.folder.string() + " can be read: " + scan.records.front().error, {}};
    const QString scratch = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    auto cache = std::make_unique<browsercache::BrowserCache>(std::move(scan), scratch.toStdString(), options.maxBodySize,
                                                                options.recovered);
    const browsercache::BrowserCache* browser = cache.get();
    return {std::move(cache), {}, [browser] { return browser->Problems(); }};
}

// Every cache below folder as one; any that cannot be read fails them all,
// so that a part is never taken for the whole.
OpenedCache OpenJoinedCaches(const std::filesystem::path& folder, const std::vector<browsercache::CacheFolder>& found,
                             const CacheOpenOptions& options)
{
    std::vector<JoinedMember> members;
    std::vector<std::function<std::vector<std::string>()>> problems;
    for (const browsercache::CacheFolder& cache : found) {
        OpenedCache opened = OpenFoundCache(cache, options);
        if (!opened.cache)
            return {nullptr, std::move(opened.error), {}};
        const std::string name = std::string(opened.cache->Kind().name) + " (" +
                                 cache.folder.lexically_relative(folder).generic_string() + ")";
        members.push_back({std::move(opened.cache), name});
        if (opened.problems)
            problems.push_back(std::move(opened.problems));
    }
    auto joined = std::make_unique<JoinedCache>(std::move(members));
    return {std::move(joined), {}, [problems = std::move(problems)] {
                std::vector<std::string> all;
                for (const auto& member : problems) {
                    const std::vector<std::string> found = member();
                    all.insert(all.end(), found.begin(), found.end());
                }
                return all;
            }};
}

} // namespace

std::string CacheFolderFromEnvironment()
{
    const char* fromEnvironment = std::getenv("LARKSPOOL_CACHE");
    return fromEnvironment ? fromEnvironment : "";
}

std::string DefaultCacheFolder()
{
    if (std::string fromEnvironment = CacheFolderFromEnvironment(); !fromEnvironment.empty())
        return fromEnvironment;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return (base + QStringLiteral("/Content.IE5")).toStdString();
}

OpenedCache OpenUrlCache(const std::string& folder, const CacheOpenOptions& options)
{
#ifdef _WIN32
    if (folder.empty() && CacheFolderFromEnvironment().empty())
        return {std::make_unique<WinInetCache>(), {}, {}};
#endif
    const std::string location = folder.empty() ? DefaultCacheFolder() : folder;
    if (std::string problem = CacheFolderProblem(location); !problem.empty())
        return {nullptr, std::move(problem), {}};
    const std::filesystem::path path = location;
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return OpenIndexDat(path, options); // a folder still to be made
    const std::vector<browsercache::CacheFolder> found = browsercache::FindCacheFolders(path);
    if (found.empty()) {
        // An index.dat made beside another cache's files would be taken for
        // that cache's, and the cache for an empty one.
        if (const std::string file = browsercache::BrowserCacheFileIn(path); !file.empty())
            return {nullptr, path.string() + " holds " + file + " of a browser's cache in no format that can be read; " +
                             "no index.dat is made beside it", {}};
        if (std::string beyond = browsercache::CacheOutOfReach(path); !beyond.empty())
            return {nullptr, std::move(beyond), {}};
        return OpenIndexDat(path, options);
    }
    if (found.size() == 1)
        return OpenFoundCache(found.front(), options);
    return OpenJoinedCaches(path, found, options);
}

} // namespace larkspool
