// Reading ranges of a cache file or of bytes in memory, never past the end.
#include "browsercache/byte_source.h"

namespace larkspool::browsercache {

bool MemoryBytes::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const
{
    if (!Contains(offset, length))
        return false;
    out.assign(m_bytes.substr(std::size_t(offset), std::size_t(length)));
    return true;
}

FileBytes::FileBytes(const std::filesystem::path& file) : m_stream(file, std::ios::binary)
{
    std::error_code error;
    // Fails for anything but a regular file.
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!m_stream || error)
        return;
    m_size = size;
    m_open = true;
}

bool FileBytes::ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const
{
    if (!m_open || !Contains(offset, length))
        return false;
    out.resize(std::size_t(length));
    m_stream.clear();
    m_stream.seekg(std::streamoff(offset));
    m_stream.read(out.data(), std::streamsize(length));
    return std::uint64_t(m_stream.gcount()) == length;
}

} // namespace larkspool::browsercache
