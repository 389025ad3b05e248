// Two more integer values of the settings key, read apart from the window's
// fixed set so that a store written before them reads as it did.
#include "settings/cache_open_setting.h"

#include "settings/registry_key.h"

namespace larkspool {
namespace {

const QString kShowRecovered = QStringLiteral("ShowRecovered");
const QString kRemoveOrphansAnywhere = QStringLiteral("RemoveOrphanFilesAnywhere");

bool IsOn(const RegistryKey& key, const QString& name)
{
    int value = 0;
    return key.IsOpen() && key.ReadInteger(name, value) && value != 0;
}

} // namespace

CacheOpenOptions StoredCacheOpenOptions()
{
    RegistryKey key;
    key.Open(false);
    CacheOpenOptions options;
    options.recovered = IsOn(key, kShowRecovered);
    options.removeOrphansAnywhere = IsOn(key, kRemoveOrphansAnywhere);
    return options;
}

bool RememberShowRecovered(bool show)
{
    RegistryKey key;
    return key.Open(true) && key.WriteInteger(kShowRecovered, show ? 1 : 0) && key.Close();
}

} // namespace larkspool
