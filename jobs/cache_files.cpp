// One walk of each cache folder at the start of an export; the files are
// stat'ed only when a target already there has other names (st_nlink > 1),
// as nothing else in the destination can be one of them.
#include "jobs/cache_files.h"

#include <sys/stat.h>

namespace larkspool {

namespace fs = std::filesystem;

CacheFiles::CacheFiles(std::vector<fs::path> folders) : m_cacheFolders(std::move(folders))
{
    for (std::size_t n = 0; n < m_cacheFolders.size(); ++n) {
        const fs::path& folder = m_cacheFolders[n];
        struct stat status {};
        if (folder.empty() || ::stat(folder.c_str(), &status) != 0)
            continue;
        m_folders.emplace(IdOf(status), n);
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError) && ::lstat(it->path().c_str(), &status) == 0)
                m_folders.emplace(IdOf(status), n);
        }
    }
}

CacheFiles::Id CacheFiles::IdOf(const struct stat& status) { return {status.st_dev, status.st_ino}; }

const fs::path* CacheFiles::FolderHolding(const struct stat& status) const
{
    const auto found = m_folders.find(IdOf(status));
    return found == m_folders.end() ? nullptr : &m_cacheFolders[found->second];
}

const fs::path* CacheFiles::FileHolding(const struct stat& status) const
{
    if (m_folders.empty() || status.st_nlink < 2)
        return nullptr;
    if (!std::exchange(m_filesRead, true)) {
        for (std::size_t n = 0; n < m_cacheFolders.size(); ++n) {
            std::error_code error;
            const fs::directory_options options = fs::directory_options::skip_permission_denied;
            for (fs::recursive_directory_iterator it(m_cacheFolders[n], options, error), end; !error && it != end;
                 it.increment(error)) {
                struct stat file {};
                if (::lstat(it->path().c_str(), &file) == 0 && S_ISREG(file.st_mode))
                    m_files.emplace(IdOf(file), n);
            }
        }
    }
    const auto found = m_files.find(IdOf(status));
    return found == m_files.end() ? nullptr : &m_cacheFolders[found->second];
}

const fs::path* CacheFiles::Containing(const std::string& path) const
{
    if (m_folders.empty())
        return nullptr;
    for (fs::path at = path;; at = at.parent_path()) {
        struct stat status {};
        if (::stat(at.c_str(), &status) == 0) {
            const fs::path* folder = FolderHolding(status);
            return folder ? folder : FileHolding(status);
        }
        if (at == at.parent_path())
            return nullptr;
    }
}

} // namespace larkspool
