// Opening an input without waiting: O_NONBLOCK makes opening a FIFO return
// at once (it has no effect on a regular file), and the file's type is
// checked on the descriptor itself, so that nothing swapped in between a
// look and the opening is read.
#include "cache/input_file.h"

#include "cache/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace larkspool {
namespace {

#ifdef _WIN32
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
#endif

// What stands there instead of a regular file.
const char* NotRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return "is a folder, not a file";
#ifndef _WIN32
    if (S_ISFIFO(mode))
        return "is a FIFO, not a regular file";
    if (S_ISSOCK(mode))
        return "is a socket, not a regular file";
    if (S_ISLNK(mode))
        return "is a symbolic link";
#endif
    if (S_ISCHR(mode))
        return "is a device, not a regular file";
#ifdef S_ISBLK
    if (S_ISBLK(mode))
        return "is a device, not a regular file";
#endif
    return "is not a regular file";
}

} // namespace

InputFile::InputFile(const char* path) : m_fd(::open(path, kReadFlags))
{
    Check();
}

#ifndef _WIN32
InputFile::InputFile(int folderFd, const char* name) : m_fd(::openat(folderFd, name, kReadFlags | O_NOFOLLOW))
{
    struct stat status{};
    // ELOOP is what O_NOFOLLOW answers for a link; say so plainly.
    if (m_fd < 0 && errno == ELOOP && ::fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(status.st_mode)) {
        m_error = NotRegularReason(status.st_mode);
        return;
    }
    Check();
}
#endif

InputFile InputFile::Refused(std::string reason)
{
    InputFile file;
    file.m_error = std::move(reason);
    return file;
}

void InputFile::Check()
{
    if (m_fd < 0) {
        m_missing = errno == ENOENT;
        m_error = std::string("cannot be opened: ") + std::strerror(errno);
        return;
    }
    struct stat status{};
    if (::fstat(m_fd, &status) != 0) {
        m_error = std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        m_error = NotRegularReason(status.st_mode);
    } else {
        m_size = std::uint64_t(status.st_size);
#ifdef _WIN32
        m_writeTicks = TimespecTicks(timespec{status.st_mtime, 0});
#else
        m_writeTicks = TimespecTicks(status.st_mtim);
#endif
        return;
    }
    ::close(m_fd);
    m_fd = -1;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size), m_writeTicks(other.m_writeTicks),
      m_error(std::move(other.m_error)), m_missing(other.m_missing)
{
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_writeTicks = other.m_writeTicks;
        m_error = std::move(other.m_error);
        m_missing = other.m_missing;
    }
    return *this;
}

int InputFile::Release() { return std::exchange(m_fd, -1); }

std::FILE* OpenInputStream(const std::string& path, std::string& error)
{
    InputFile file(path.c_str());
    if (!file.IsOpen()) {
        error = file.Error();
        return nullptr;
    }
    std::FILE* stream = ::fdopen(file.Fd(), "rb");
    if (!stream) {
        error = std::strerror(errno);
        return nullptr;
    }
    file.Release();
    return stream;
}

} // namespace larkspool
