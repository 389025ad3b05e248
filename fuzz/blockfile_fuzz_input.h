// One fuzzer input as the files of a cache of several files (a blockfile
// cache unless other names are given): for each name in turn, a
// little-endian uint32 length and that many bytes. A short input gives the
// files it reaches; a length past the end takes what is left.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspool::fuzzing {

inline const std::array<const char*, 6> kBlockfileNames = {"index", "data_0", "data_1", "data_2", "data_3", "f_000001"};

// rest, when given, receives what follows the last name's bytes.
inline std::map<std::string, std::string_view> SplitBlockfileInput(std::string_view input,
                                                                   std::span<const char* const> names = kBlockfileNames,
                                                                   std::string_view* rest = nullptr)
{
    std::map<std::string, std::string_view> files;
    for (const char* name : names) {
        if (input.size() < 4)
            break;
        const std::uint32_t length = std::uint32_t(std::uint8_t(input[0])) | std::uint32_t(std::uint8_t(input[1])) << 8 |
                                     std::uint32_t(std::uint8_t(input[2])) << 16 | std::uint32_t(std::uint8_t(input[3])) << 24;
        input.remove_prefix(4);
        files[name] = input.substr(0, length);
        input.remove_prefix(files[name].size());
    }
    if (rest)
        *rest = input;
    return files;
}

inline std::string JoinBlockfileInput(const std::map<std::string, std::string>& files,
                                      std::span<const char* const> names = kBlockfileNames)
{
    std::string input;
    for (const char* name : names) {
        const auto found = files.find(name);
        const std::string bytes = found == files.end() ? std::string() : found->second;
        const std::uint32_t length = std::uint32_t(bytes.size());
        input += {char(length), char(length >> 8), char(length >> 16), char(length >> 24)};
        input += bytes;
    }
    return input;
}

// Firefox's first cache: its map and block files as above (an empty one is
// missing), then its separate files, each a flags byte, the key hash it is
// named by (uint32, little-endian), a length and that many bytes.
inline const std::array<const char*, 4> kFirefoxCache1Names = {"_CACHE_MAP_", "_CACHE_001_", "_CACHE_002_",
                                                               "_CACHE_003_"};
inline constexpr std::uint8_t kSeparateData = 1;      // a body ('d'), else metadata ('m')
inline constexpr std::uint8_t kSeparateOddName = 0x40; // named in lower case, which no reader takes
inline constexpr std::uint8_t kSeparateLink = 0x80;    // a symbolic link to a file outside the cache
inline constexpr std::size_t kMaxSeparateFiles = 16;

struct SeparateFileInput {
    std::uint8_t flags = 0;      // kSeparate*; bits 1-2: the generation
    std::uint32_t hash = 0;
    std::string_view bytes;
};

inline std::vector<SeparateFileInput> SplitSeparateFiles(std::string_view input)
{
    std::vector<SeparateFileInput> files;
    while (input.size() >= 9 && files.size() < kMaxSeparateFiles) {
        const auto le32 = [&](std::size_t at) {
            return std::uint32_t(std::uint8_t(input[at])) | std::uint32_t(std::uint8_t(input[at + 1])) << 8 |
                   std::uint32_t(std::uint8_t(input[at + 2])) << 16 | std::uint32_t(std::uint8_t(input[at + 3])) << 24;
        };
        SeparateFileInput file{std::uint8_t(input[0]), le32(1)};
        const std::uint32_t length = le32(5);
        input.remove_prefix(9);
        file.bytes = input.substr(0, length);
        input.remove_prefix(file.bytes.size());
        files.push_back(file);
    }
    return files;
}

inline std::string JoinSeparateFiles(const std::vector<std::pair<SeparateFileInput, std::string>>& files)
{
    std::string input;
    for (const auto& [file, bytes] : files) {
        const std::uint32_t length = std::uint32_t(bytes.size());
        input += char(file.flags);
        input += {char(file.hash), char(file.hash >> 8), char(file.hash >> 16), char(file.hash >> 24)};
        input += {char(length), char(length >> 8), char(length >> 16), char(length >> 24)};
        input += bytes;
    }
    return input;
}

} // namespace larkspool::fuzzing
