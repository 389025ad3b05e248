// Names of the files a blockfile cache address points into.
#include "browsercache/chromium_blockfile_format.h"

#include <cstdio>

namespace larkspool::browsercache::blockfile {

std::string CacheAddress::FileName() const
{
    char name[16];
    if (IsExternal())
        std::snprintf(name, sizeof name, "f_%06x", unsigned(ExternalNumber()));
    else
        std::snprintf(name, sizeof name, "data_%u", unsigned(BlockFileNumber()));
    return name;
}

} // namespace larkspool::browsercache::blockfile
