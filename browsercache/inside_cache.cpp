// Walking down from the cache folder one name at a time, each opened with
// O_NOFOLLOW in the descriptor of the one before: no link on the way is
// followed, whatever changes meanwhile.
#include "browsercache/inside_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace larkspool::browsercache {
namespace fs = std::filesystem;
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

// The names from cacheFolder down to path; false when path does not lie
// below it (or is it).
bool StepsBelow(const fs::path& cacheFolder, const fs::path& path, std::vector<std::string>& steps)
{
    const fs::path relative = path.lexically_relative(cacheFolder);
    if (relative.empty())
        return false;
    for (const fs::path& step : relative) {
        if (step == "..")
            return false;
        if (!step.empty() && step != ".")
            steps.push_back(step.string());
    }
    return true;
}

// The folder count steps below the folder open as from, which stays open:
// a descriptor of its own, or -1 with error saying why.
int OpenSteps(int from, const std::vector<std::string>& steps, std::size_t count, std::string& error)
{
    int fd = ::fcntl(from, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        error = std::strerror(errno);
    for (std::size_t i = 0; fd >= 0 && i < count; ++i) {
        const int next = ::openat(fd, steps[i].c_str(), kFolderFlags | O_NOFOLLOW);
        if (next < 0) {
            const int cause = errno;
            struct stat status{};
            if (::fstatat(fd, steps[i].c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(status.st_mode))
                error = steps[i] + (S_ISLNK(status.st_mode) ? " is a symbolic link" : " is not a folder");
            else
                error = steps[i] + ": " + std::strerror(cause);
        }
        ::close(fd);
        fd = next;
    }
    return fd;
}

// The cache folder itself may be a link: the user named it.
int OpenCacheFolder(const fs::path& cacheFolder, std::string& error)
{
    const int fd = ::open(cacheFolder.empty() ? "." : cacheFolder.c_str(), kFolderFlags);
    if (fd < 0)
        error = "cannot open the cache folder " + cacheFolder.string() + ": " + std::strerror(errno);
    return fd;
}

} // namespace

OpenedCacheFolder::OpenedCacheFolder(const fs::path& cacheFolder) : m_path(cacheFolder)
{
    m_fd = OpenCacheFolder(cacheFolder, m_error);
}

OpenedCacheFolder::~OpenedCacheFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InputFile OpenedCacheFolder::Open(const fs::path& file) const
{
    std::vector<std::string> steps;
    if (!StepsBelow(m_path, file, steps) || steps.empty())
        return InputFile::Refused("lies outside the cache folder " + m_path.string());
    if (m_fd < 0)
        return InputFile::Refused(m_error);
    if (steps.size() == 1)
        return InputFile(m_fd, steps[0].c_str());
    std::string error;
    const int parent = OpenSteps(m_fd, steps, steps.size() - 1, error);
    if (parent < 0)
        return InputFile::Refused(error);
    InputFile opened(parent, steps.back().c_str());
    ::close(parent);
    return opened;
}

InputFile OpenInsideCache(const fs::path& cacheFolder, const fs::path& file)
{
    return OpenedCacheFolder(cacheFolder.empty() ? file.parent_path() : cacheFolder).Open(file);
}

int OpenFolderInsideCache(const fs::path& cacheFolder, const fs::path& folder, std::string& error)
{
    std::vector<std::string> steps;
    if (!StepsBelow(cacheFolder, folder, steps)) {
        error = "lies outside the cache folder " + cacheFolder.string();
        return -1;
    }
    const int top = OpenCacheFolder(cacheFolder, error);
    if (top < 0)
        return -1;
    const int fd = OpenSteps(top, steps, steps.size(), error);
    ::close(top);
    return fd;
}

} // namespace larkspool::browsercache
