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

// The folder count steps below cacheFolder; -1 with error saying why.
int OpenSteps(const fs::path& cacheFolder, const std::vector<std::string>& steps, std::size_t count,
              std::string& error)
{
    int fd = ::open(cacheFolder.empty() ? "." : cacheFolder.c_str(), kFolderFlags);
    if (fd < 0) {
        error = "cannot open the cache folder " + cacheFolder.string() + ": " + std::strerror(errno);
        return -1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int next = ::openat(fd, steps[i].c_str(), kFolderFlags | O_NOFOLLOW);
        if (next < 0) {
            const int cause = errno;
            struct stat status{};
            if (::fstatat(fd, steps[i].c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(status.st_mode))
                error = steps[i] + (S_ISLNK(status.st_mode) ? " is a symbolic link" : " is not a folder");
            else
                error = steps[i] + ": " + std::strerror(cause);
            ::close(fd);
            return -1;
        }
        ::close(fd);
        fd = next;
    }
    return fd;
}

fs::path FolderOrParent(const fs::path& cacheFolder, const fs::path& file)
{
    return cacheFolder.empty() ? file.parent_path() : cacheFolder;
}

} // namespace

InputFile OpenInsideCache(const fs::path& cacheFolder, const fs::path& file)
{
    const fs::path folder = FolderOrParent(cacheFolder, file);
    std::vector<std::string> steps;
    if (!StepsBelow(folder, file, steps) || steps.empty())
        return InputFile::Refused("lies outside the cache folder " + folder.string());
    std::string error;
    const int parent = OpenSteps(folder, steps, steps.size() - 1, error);
    if (parent < 0)
        return InputFile::Refused(error);
    InputFile opened(parent, steps.back().c_str());
    ::close(parent);
    return opened;
}

int OpenFolderInsideCache(const fs::path& cacheFolder, const fs::path& folder, std::string& error)
{
    std::vector<std::string> steps;
    if (!StepsBelow(cacheFolder, folder, steps)) {
        error = "lies outside the cache folder " + cacheFolder.string();
        return -1;
    }
    return OpenSteps(cacheFolder, steps, steps.size(), error);
}

} // namespace larkspool::browsercache
