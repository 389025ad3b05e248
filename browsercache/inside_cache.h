// The one rule for opening anything inside a browser's cache folder: every
// step below the folder (an entry file, "entries", "index-dir", "data_1") is
// opened by name in the folder before it, never through a symbolic link,
// and a file only when it is a regular one (never waiting on a FIFO). The
// cache folder itself, the one the user named or a search found, may be a
// link. So a cache made on another disk cannot lead a reader outside it.
#pragma once

#include "cache/input_file.h"

#include <filesystem>
#include <string>

namespace larkspool::browsercache {

// A cache folder opened once, so that each of the many files of a scan
// costs one opening.
class OpenedCacheFolder {
public:
    explicit OpenedCacheFolder(const std::filesystem::path& cacheFolder);
    ~OpenedCacheFolder();
    OpenedCacheFolder(const OpenedCacheFolder&) = delete;
    OpenedCacheFolder& operator=(const OpenedCacheFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Opens file, which lies below the folder.
    InputFile Open(const std::filesystem::path& file) const;

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    std::string m_error; // why the folder could not be opened
};

// Opens file, which lies below cacheFolder (empty: below its own folder).
InputFile OpenInsideCache(const std::filesystem::path& cacheFolder, const std::filesystem::path& file);

// Opens folder, cacheFolder itself or a folder below it, for listing: its
// descriptor, or -1 with error saying why.
int OpenFolderInsideCache(const std::filesystem::path& cacheFolder, const std::filesystem::path& folder,
                          std::string& error);

} // namespace larkspool::browsercache
