// The remembered cache folder is one more text value of the settings key.
#include "settings/cache_folder_setting.h"

#include "catalogue/cache_location.h"
#include "settings/registry_key.h"

namespace larkspool {
namespace {

const QString kValueName = QStringLiteral("CacheFolder");

} // namespace

std::string RememberedCacheFolder()
{
    RegistryKey key;
    std::string folder;
    if (!key.Open(false) || !key.ReadText(kValueName, folder))
        return {};
    return folder;
}

bool RememberCacheFolder(const std::string& folder)
{
    RegistryKey key;
    return key.Open(true) && key.WriteText(kValueName, folder) && key.Close();
}

std::string CacheFolderAtStart(const std::string& given)
{
    if (!given.empty())
        return given;
    if (std::string fromEnvironment = CacheFolderFromEnvironment(); !fromEnvironment.empty())
        return fromEnvironment;
    return RememberedCacheFolder();
}

} // namespace larkspool
