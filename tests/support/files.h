// Whole files in and out, for setting up and checking what a test touches.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace larkspool::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the file and the folders above it.
inline void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream(path, std::ios::binary) << content;
}

} // namespace larkspool::testing
