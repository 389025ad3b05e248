// Random access to the bytes of one cache file, bounds-checked: the format
// readers ask for ranges, and a range that does not lie wholly inside the
// file is refused rather than read short. The same readers run over a file on
// disk and over bytes in memory (the fuzzers and tests).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills out with exactly length bytes from offset; false (out unspecified)
    // when the range is not wholly inside the source or reading fails.
    virtual bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const = 0;

    bool Contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= Size() && length <= Size() - offset;
    }
};

// Bytes the caller keeps alive for the source's lifetime.
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::string_view bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override;

private:
    std::string_view m_bytes;
};

// A file opened for reading; IsOpen() false when it could not be.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(const std::filesystem::path& file);
    bool IsOpen() const { return m_open; }
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override;

private:
    mutable std::ifstream m_stream;
    std::uint64_t m_size = 0;
    bool m_open = false;
};

} // namespace larkspool::browsercache
