// The files and folders of the caches an export reads, known by device and
// inode: no other spelling, link or mount of them is ever written.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct stat;

namespace larkspool {

class CacheFiles {
public:
    // Each cache folder (a link to it followed) and every folder below it,
    // not through links; none for a cache without a folder of its own. A
    // folder holding several caches is not among them: beside the caches,
    // it is the user's.
    explicit CacheFiles(std::vector<std::filesystem::path> folders);

    // The cache folder that holds the folder, the file (in its folders or
    // linked, hard, from elsewhere) or path (or the nearest folder above it
    // that exists); null when none does. The files are looked for at the
    // first question about one.
    const std::filesystem::path* FolderHolding(const struct stat& status) const;
    const std::filesystem::path* FileHolding(const struct stat& status) const;
    const std::filesystem::path* Containing(const std::string& path) const;

private:
    using Id = std::pair<dev_t, ino_t>;
    static Id IdOf(const struct stat& status);

    std::vector<std::filesystem::path> m_cacheFolders;
    std::map<Id, std::size_t> m_folders; // to the cache folder's number
    mutable std::map<Id, std::size_t> m_files;
    mutable bool m_filesRead = false;
};

} // namespace larkspool
