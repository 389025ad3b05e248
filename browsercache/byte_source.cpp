// Reading ranges of a cache file or of bytes in memory, never past the end.
#include "browsercache/byte_source.h"

#include "cache/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace larkspool::browsercache {

bool MemoryBytes::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const
{
    if (!Contains(offset, length))
        return false;
    out.assign(m_bytes.substr(std::size_t(offset), std::size_t(length)));
    return true;
}

namespace {

constexpr std::uint64_t kReadWholeUpTo = 256 * 1024;

// Fills buffer from offset; false on an error or a short file.
bool ReadFully(int fd, std::uint64_t offset, char* buffer, std::uint64_t length)
{
    while (length > 0) {
        const ssize_t got = ::pread(fd, buffer, std::size_t(length), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        offset += std::uint64_t(got);
        length -= std::uint64_t(got);
    }
    return true;
}

} // namespace

// Never waits on a pipe or device put where a cache file should be.
FileBytes::FileBytes(const std::filesystem::path& file) : m_fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
    struct stat status{};
    if (m_fd < 0) {
        m_openError = errno;
        return;
    }
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        m_openError = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = std::uint64_t(status.st_size);
    m_writeTicks = TimespecTicks(status.st_mtim);
    if (m_size <= kReadWholeUpTo) {
        m_whole.resize(std::size_t(m_size));
        m_readWhole = ReadFully(m_fd, 0, m_whole.data(), m_size);
    }
}

std::string FileBytes::OpenErrorText() const
{
    if (m_openError == EINVAL)
        return "is not a regular file";
    return std::string("cannot be opened: ") + std::strerror(m_openError);
}

FileBytes::~FileBytes()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<std::string_view> FileBytes::Whole() const
{
    if (!m_readWhole)
        return std::nullopt;
    return std::string_view(m_whole);
}

bool FileBytes::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const
{
    if (!IsOpen() || !Contains(offset, length))
        return false;
    if (m_readWhole) {
        out.assign(m_whole, std::size_t(offset), std::size_t(length));
        return true;
    }
    out.resize(std::size_t(length));
    return ReadFully(m_fd, offset, out.data(), length);
}

} // namespace larkspool::browsercache
