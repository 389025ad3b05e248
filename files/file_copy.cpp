// Copies in the kernel (copy_file_range, no round trip through user
// memory) and falls back to read and write where the two files' file
// systems do not allow that.
#include "files/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace larkspool {
namespace {

constexpr std::size_t kChunk = 1 << 20;
// A copy through user memory; left uninitialised, since clearing it cost
// more than a small file's whole copy.
constexpr std::size_t kBuffer = 64 * 1024;

bool KernelCopyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

int WriteAll(int target, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(target, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= std::size_t(written);
    }
    return 0;
}

int CopyByReading(int source, int target)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBuffer);
    for (;;) {
        const ssize_t got = ::read(source, buffer.get(), kBuffer);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (const int error = WriteAll(target, buffer.get(), std::size_t(got)))
            return error;
    }
}

} // namespace

int CopyFileData(int source, int target)
{
    bool copied = false;
    for (;;) {
        const ssize_t moved = ::copy_file_range(source, nullptr, target, nullptr, kChunk, 0);
        if (moved == 0)
            return 0;
        if (moved > 0) {
            copied = true;
            continue;
        }
        if (errno == EINTR)
            continue;
        // Only before the first byte: the positions are still where they were.
        if (!copied && KernelCopyUnsupported(errno))
            return CopyByReading(source, target);
        return errno;
    }
}

int CopyStreamData(std::FILE* source, int target)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBuffer);
    for (std::size_t got; (got = std::fread(buffer.get(), 1, kBuffer, source)) > 0;)
        if (const int error = WriteAll(target, buffer.get(), got))
            return error;
    return std::ferror(source) ? (errno ? errno : EIO) : 0;
}

std::FILE* OpenWriteStream(int target)
{
    const cookie_io_functions_t io{nullptr,
                                   [](void* cookie, const char* data, std::size_t size) -> ssize_t {
                                       const int error = WriteAll(int(reinterpret_cast<std::intptr_t>(cookie)),
                                                                  data, size);
                                       if (error == 0)
                                           return ssize_t(size);
                                       errno = error;
                                       return -1;
                                   },
                                   nullptr, nullptr};
    std::FILE* stream = ::fopencookie(reinterpret_cast<void*>(std::intptr_t(target)), "w", io);
    if (stream)
        std::setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
}

int OpenTargetFile(int folder, const std::string& name, int flags)
{
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | flags,
                            0666);
    if (fd < 0)
        return -1;
    // A file just made is a plain one; anything else was there before.
    struct stat status{};
    if (!(flags & O_EXCL) && (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::string TargetReason(int folder, const std::string& name, int error)
{
    struct stat status{};
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode))
            return "a symbolic link, which is not followed";
        if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
            return "a pipe, socket or device, not a plain file";
    }
    return SystemReason(error);
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

} // namespace larkspool
