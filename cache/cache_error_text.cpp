// One table, the same on every platform, so that messages read alike; the
// system's own words where a store knows the real cause.
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

std::string SystemErrorText(const std::error_code& error)
{
    std::string text = error.message();
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || text[1] < 'A' || text[1] > 'Z'))
        text[0] = char(text[0] + 32);
    return text;
}

std::string CacheFolderProblem(const std::filesystem::path& folder, const std::string& folderText, bool wasThere)
{
    std::error_code error;
    const std::filesystem::directory_iterator probe(folder, error);
    if (!error)
        return {};
    if (error == std::errc::no_such_file_or_directory)
        return wasThere ? "the cache folder " + folderText + " has gone" : std::string();
    return "cannot read the cache folder " + folderText + ": " + SystemErrorText(error);
}

} // namespace larkspool
