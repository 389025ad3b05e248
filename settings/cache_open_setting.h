// How the window opens a cache beyond its folder: the View menu's tick that
// adds the recovered records, and a value with no menu of its own that lets
// the cleanup of files no record names run on caches from elsewhere too.
#pragma once

#include "catalogue/cache_location.h"

namespace larkspool {

// Values "ShowRecovered" and "RemoveOrphanFilesAnywhere" (1 on); both off
// when not stored.
CacheOpenOptions StoredCacheOpenOptions();
bool RememberShowRecovered(bool show);

} // namespace larkspool
