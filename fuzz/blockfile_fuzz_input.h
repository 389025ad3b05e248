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

namespace larkspool::fuzzing {

inline const std::array<const char*, 6> kBlockfileNames = {"index", "data_0", "data_1", "data_2", "data_3", "f_000001"};

inline std::map<std::string, std::string_view> SplitBlockfileInput(std::string_view input,
                                                                   std::span<const char* const> names = kBlockfileNames)
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

// Firefox's first cache; "separate" stands for every separate file.
inline const std::array<const char*, 5> kFirefoxCache1Names = {"_CACHE_MAP_", "_CACHE_001_", "_CACHE_002_",
                                                               "_CACHE_003_", "separate"};

} // namespace larkspool::fuzzing
