// Walks down from the destination folder with openat and O_NOFOLLOW; a step
// that is a symbolic link, a file or anything else but a folder fails with
// its path and the reason.
#include "jobs/destination_folders.h"

#include "jobs/cache_files.h"
#include "files/file_copy.h"
#include "files/file_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace larkspool {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> StepsOf(const std::string& relative)
{
    std::vector<std::string> steps;
    std::size_t begin = 0;
    while (begin < relative.size()) {
        std::size_t end = relative.find('/', begin);
        if (end == std::string::npos)
            end = relative.size();
        if (end > begin)
            steps.push_back(relative.substr(begin, end - begin));
        begin = end + 1;
    }
    return steps;
}

} // namespace

DestinationFolders::DestinationFolders(std::string copyDir, const CacheFiles* fence)
    : m_copyDir(std::move(copyDir)), m_fence(fence)
{
}

DestinationFolders::~DestinationFolders()
{
    CloseBelow(0);
}

void DestinationFolders::CloseBelow(std::size_t depth)
{
    while (m_fds.size() > depth) {
        ::close(m_fds.back());
        m_fds.pop_back();
        m_made.pop_back();
    }
    m_steps.resize(m_fds.empty() ? 0 : m_fds.size() - 1);
}

std::string DestinationFolders::StepPath() const
{
    std::string path = m_copyDir;
    for (const std::string& step : m_steps)
        path += "/" + step;
    return path;
}

int DestinationFolders::Open(const std::string& relative, std::string& failure)
{
    m_fenced = false;
    const std::vector<std::string> steps = StepsOf(relative);
    std::size_t common = 0;
    while (common < steps.size() && common < m_steps.size() && steps[common] == m_steps[common])
        ++common;
    CloseBelow(m_fds.empty() ? 0 : common + 1);
    if (m_fds.empty() && !OpenCopyDir(failure))
        return -1;
    for (std::size_t i = m_steps.size(); i < steps.size(); ++i) {
        if (!OpenStep(steps[i], failure))
            return -1;
    }
    return m_fds.back();
}

// The destination folder itself is the user's choice: a link there is
// followed, and it is made when missing.
bool DestinationFolders::OpenCopyDir(std::string& failure)
{
    int fd = ::open(m_copyDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool made = false;
    if (fd < 0 && errno == ENOENT && CreateFolderPath(m_copyDir) == 0) {
        made = true;
        fd = ::open(m_copyDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        failure = m_copyDir + ": " + SystemReason(errno);
        return false;
    }
    m_steps.clear();
    m_fds.push_back(fd);
    m_made.push_back(made);
    return true;
}

bool DestinationFolders::OpenStep(const std::string& step, std::string& failure)
{
    const int parent = m_fds.back();
    // Below a folder made here nothing exists yet: make without looking.
    bool made = false;
    int fd = -1;
    if (!m_made.back())
        fd = ::openat(parent, step.c_str(), kFolderFlags);
    if (fd < 0 && (m_made.back() || errno == ENOENT)) {
        made = ::mkdirat(parent, step.c_str(), 0777) == 0;
        if (!made && errno != EEXIST) {
            failure = StepPath() + "/" + step + ": " + SystemReason(errno);
            return false;
        }
        fd = ::openat(parent, step.c_str(), kFolderFlags);
    }
    if (fd < 0) {
        failure = StepPath() + "/" + step + ": " + TargetReason(parent, step, errno);
        return false;
    }
    // A folder made here is nobody else's; one found may be the cache's own.
    struct stat status {};
    const std::filesystem::path* cacheFolder =
        !made && m_fence && ::fstat(fd, &status) == 0 ? m_fence->FolderHolding(status) : nullptr;
    if (cacheFolder) {
        ::close(fd);
        failure = StepPath() + "/" + step + ": a folder of the cache being read (" + cacheFolder->string() +
                  "), never written";
        m_fenced = true;
        return false;
    }
    m_steps.push_back(step);
    m_fds.push_back(fd);
    m_made.push_back(made);
    return true;
}

} // namespace larkspool
