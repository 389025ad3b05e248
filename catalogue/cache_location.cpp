// The default cache folder and opening a cache: the environment's choice
// first, then the platform's.
#include "catalogue/cache_location.h"

#include "cache/index_dat_cache.h"
#ifdef _WIN32
#include "cache/wininet_cache.h"
#endif

#include <QStandardPaths>

#include <cstdlib>

namespace larkspool {

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
        return {std::make_unique<WinInetCache>(), {}};
#endif
    auto cache = std::make_unique<IndexDatCache>(folder.empty() ? DefaultCacheFolder() : folder);
    if (std::string error = cache->LoadError(); !error.empty())
        return {nullptr, std::move(error)};
    return {std::move(cache), {}};
}

} // namespace larkspool
