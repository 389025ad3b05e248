// Each scratch folder holds ".lock", locked with flock while its cache is
// open: the kernel drops the lock when the process ends, however it ends.
#include "browsercache/scratch_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace larkspool::browsercache {
namespace {

constexpr const char* kPrefix = "bodies-";

// Removes the scratch folders in parent that no open cache holds.
void RemoveAbandoned(const std::filesystem::path& parent)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        if (!it->path().filename().string().starts_with(kPrefix) || it->is_symlink())
            continue;
        const int lock = ::open((it->path() / ".lock").c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (lock < 0)
            continue; // not made here, or still being made
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            std::error_code ignored;
            std::filesystem::remove_all(it->path(), ignored);
        }
        ::close(lock);
    }
}

} // namespace

ScratchFolder::ScratchFolder(const std::filesystem::path& parent)
{
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    RemoveAbandoned(parent);
    std::string pattern = (parent / (std::string(kPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return;
    m_lock = ::open((std::filesystem::path(pattern) / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        std::filesystem::remove_all(pattern, error);
        return;
    }
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
    if (m_lock >= 0)
        ::close(m_lock);
}

} // namespace larkspool::browsercache
