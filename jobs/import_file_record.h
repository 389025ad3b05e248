// One local file that the import puts into the cache.
#pragma once

#include "cache/wininet_types.h"
#include "files/file_times.h"

#include <string>

namespace larkspool {

struct ImportFileRecord {
    std::string Url;       // "http://" + domain + "/" + path
    std::string LocalPath; // full path of the local file
    std::string Extension; // after the file name's last dot; "" without one
    FileTicks Modified = 0; // last-write time, UTC
    DWORD Size = 0;         // low 32 bits
    std::string TreePath;   // domain folder + "/" + path, as the folders name it
};

} // namespace larkspool
