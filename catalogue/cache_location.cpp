// The default cache folder: the environment's choice first, then the platform's.
#include "catalogue/cache_location.h"

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

} // namespace larkspool
