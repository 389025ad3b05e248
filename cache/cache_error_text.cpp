// One table, the same on every platform, so that messages read alike.
#include "cache/cache_error_text.h"

namespace larkspool {

std::string CacheErrorText(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "no such entry or file";
    case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
    case ERROR_ACCESS_DENIED: return "permission denied (the file or its disk is read-only)";
    case ERROR_NOT_ENOUGH_MEMORY: return "out of memory";
    case ERROR_WRITE_FAULT: return "write fault";
    case ERROR_SHARING_VIOLATION: return "the file is in use";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "the file exists";
    case ERROR_INVALID_PARAMETER: return "invalid argument";
    case ERROR_DISK_FULL: return "no space left on the disk, or index.dat is full";
    case ERROR_BAD_PATHNAME: return "the path is too long";
    case ERROR_FILE_INVALID: return "index.dat changed size while it was read (another program rewrote it)";
    case ERROR_FILE_CORRUPT: return "index.dat is damaged";
    default: return "error " + std::to_string(error);
    }
}

} // namespace larkspool
