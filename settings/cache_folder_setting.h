// Which cache folder the window opens, and the one it remembers beside the
// other settings.
#pragma once

#include <string>

namespace larkspool {

// "" when none is remembered.
std::string RememberedCacheFolder();
bool RememberCacheFolder(const std::string& folder);

// The folder to open at start: the one given on the command line, else
// $LARKSPOOL_CACHE, else the remembered one; "" for the platform's default.
std::string CacheFolderAtStart(const std::string& given);

} // namespace larkspool
