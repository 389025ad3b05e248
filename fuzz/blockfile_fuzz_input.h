// One fuzzer input as the files of a blockfile cache: for each name in
// turn, a little-endian uint32 length and that many bytes. A short input
// gives the files it reaches; a length past the end takes what is left.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace larkspool::fuzzing {

inline const std::array<const char*, 6> kBlockfileNames = {"index", "data_0", "data_1", "data_2", "data_3", "f_000001"};

inline std::map<std::string, std::string_view> SplitBlockfileInput(std::string_view input)
{
    std::map<std::string, std::string_view> files;
    for (const char* name : kBlockfileNames) {
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

inline std::string JoinBlockfileInput(const std::map<std::string, std::string>& files)
{
    std::string input;
    for (const char* name : kBlockfileNames) {
        const auto found = files.find(name);
        const std::string bytes = found == files.end() ? std::string() : found->second;
        const std::uint32_t length = std::uint32_t(bytes.size());
        input += {char(length), char(length >> 8), char(length >> 16), char(length >> 24)};
        input += bytes;
    }
    return input;
}

} // namespace larkspool::fuzzing
