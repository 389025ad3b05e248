// Random access to the bytes of one cache file, bounds-checked: the format
// readers ask for ranges, and a range that does not lie wholly inside the
// file is refused rather than read short. The same readers run over a file on
// disk and over bytes in memory (the fuzzers and tests).
#pragma once

#include "cache/input_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace larkspool::browsercache {

class OpenedCacheFolder;

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

// A regular file inside a cache folder, opened by the rule of
// inside_cache.h (cacheFolder empty: the file's own folder); IsOpen() false,
// with Error() saying why, when it could not be. Its size is the one it had
// when opened. A small file (most entry files) is read whole at once, so that
// a reader's several ranges cost one system call; a larger one is read range
// by range.
class FileBytes final : public ByteSource {
public:
    explicit FileBytes(const std::filesystem::path& file, const std::filesystem::path& cacheFolder = {});
    FileBytes(const OpenedCacheFolder& cacheFolder, const std::filesystem::path& file);
    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& Error() const { return m_file.Error(); }
    bool Missing() const { return m_file.Missing(); }
    std::uint64_t Size() const override { return m_file.Size(); }
    bool ReadAt(std::uint64_t offset, std::uint64_t length, std::string& out) const override;
    std::optional<std::string_view> Whole() const override;
    // The file's last-write time as FILETIME ticks (UTC), from its opening.
    std::uint64_t WriteTicks() const { return m_file.WriteTicks(); }

private:
    void ReadSmallFileWhole();

    InputFile m_file;
    std::string m_whole; // the file's bytes when small
    bool m_readWhole = false;
};

} // namespace larkspool::browsercache
