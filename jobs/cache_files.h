// The files and folders of the cache an export reads, known by device and
// inode: no other spelling, link or mount of them is ever written.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

struct stat;

namespace larkspool {

class CacheFiles {
public:
    // The cache folder (a link to it followed) and every folder below it, not
    // through links; empty for a cache without a folder of its own.
    explicit CacheFiles(std::filesystem::path folder);

    const std::filesystem::path& Folder() const { return m_folder; }
    bool HoldsFolder(const struct stat& status) const;
    // True for a file of the cache, in its folders or linked (hard) from
    // elsewhere; the files are looked for at the first such question.
    bool HoldsFile(const struct stat& status) const;
    // True when path, or the nearest folder above it that exists, lies in
    // the cache.
    bool Contains(const std::string& path) const;

private:
    using Id = std::pair<dev_t, ino_t>;
    static Id IdOf(const struct stat& status);

    std::filesystem::path m_folder;
    std::set<Id> m_folders;
    mutable std::set<Id> m_files;
    mutable bool m_filesRead = false;
};

} // namespace larkspool
