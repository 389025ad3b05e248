// One walk of the cache folder at the start of an export; the files are
// stat'ed only when a target already there has other names (st_nlink > 1),
// as nothing else in the destination can be one of them.
#include "jobs/cache_files.h"

#include <sys/stat.h>

namespace larkspool {

namespace fs = std::filesystem;

CacheFiles::CacheFiles(fs::path folder) : m_folder(std::move(folder))
{
    struct stat status {};
    if (m_folder.empty() || ::stat(m_folder.c_str(), &status) != 0)
        return;
    m_folders.insert(IdOf(status));
    std::error_code error;
    for (fs::recursive_directory_iterator it(m_folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError) && ::lstat(it->path().c_str(), &status) == 0)
            m_folders.insert(IdOf(status));
    }
}

CacheFiles::Id CacheFiles::IdOf(const struct stat& status) { return {status.st_dev, status.st_ino}; }

bool CacheFiles::HoldsFolder(const struct stat& status) const { return m_folders.contains(IdOf(status)); }

bool CacheFiles::HoldsFile(const struct stat& status) const
{
    if (m_folders.empty() || status.st_nlink < 2)
        return false;
    if (!std::exchange(m_filesRead, true)) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(m_folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            struct stat file {};
            if (::lstat(it->path().c_str(), &file) == 0 && S_ISREG(file.st_mode))
                m_files.insert(IdOf(file));
        }
    }
    return m_files.contains(IdOf(status));
}

bool CacheFiles::Contains(const std::string& path) const
{
    if (m_folders.empty())
        return false;
    for (fs::path at = path;; at = at.parent_path()) {
        struct stat status {};
        if (::stat(at.c_str(), &status) == 0)
            return HoldsFolder(status) || HoldsFile(status);
        if (at == at.parent_path())
            return false;
    }
}

} // namespace larkspool
