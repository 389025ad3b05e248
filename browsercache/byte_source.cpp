// Reading ranges of a cache file or of bytes in memory, never past the end.
#include "browsercache/byte_source.h"

#include "browsercache/inside_cache.h"

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

FileBytes::FileBytes(const std::filesystem::path& file, const std::filesystem::path& cacheFolder)
    : m_file(OpenInsideCache(cacheFolder, file))
{
    ReadSmallFileWhole();
}

FileBytes::FileBytes(const OpenedCacheFolder& cacheFolder, const std::filesystem::path& file)
    : m_file(cacheFolder.Open(file))
{
    ReadSmallFileWhole();
}

void FileBytes::ReadSmallFileWhole()
{
    if (IsOpen() && Size() <= kReadWholeUpTo) {
        m_whole.resize(std::size_t(Size()));
        m_readWhole = ReadFully(m_file.Fd(), 0, m_whole.data(), Size());
    }
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
    return ReadFully(m_file.Fd(), offset, out.data(), length);
}

} // namespace larkspool::browsercache
