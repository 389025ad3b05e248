// Where the URL cache of this user lives when nobody names another folder.
#pragma once

#include <string>

namespace larkspool {

// $LARKSPOOL_CACHE when set and not empty, else the application's local data
// folder + "/Content.IE5". The folder need not exist yet.
std::string DefaultCacheFolder();

} // namespace larkspool
