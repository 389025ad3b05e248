// Random access to the bytes of one cache file, bounds-checked: the format
// readers ask for ranges, and a range that does not lie wholly inside the
// file is refused rather than read short. The same readers run over a file on
// disk and over bytes in memory (the fuzzers and tests).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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
    // All the bytes, when they are in memory already; nothing for a source
    // read range by range.
    virtual std::optional<std::string_view> Whole() const = 0;
};

// Bytes the caller keeps alive for the source's lifetime.
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::string_view bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override;
    std::optional<std::string_view> Whole() const override { return m_bytes; }

private:
    std::string_view m_bytes;
};

// A regular file opened for reading; IsOpen() false when it could not be.
// A small file (most entry files) is read whole at once, so that a reader's
// several ranges cost one system call; a larger one is read range by range.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(const std::filesystem::path& file);
    ~FileBytes() override;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    // Why it is not open: the errno of the opening (ENOENT: there is no such
    // file), and the same as "cannot be opened: REASON".
    int OpenError() const { return m_openError; }
    std::string OpenErrorText() const;
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override;
    std::optional<std::string_view> Whole() const override;
    // The file's last-write time as FILETIME ticks (UTC), from its opening.
    std::uint64_t WriteTicks() const { return m_writeTicks; }

private:
    int m_fd = -1;
    int m_openError = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_writeTicks = 0;
    std::string m_whole; // the file's bytes when small
    bool m_readWhole = false;
};

} // namespace larkspool::browsercache
