// Helpers shared by the cache store's tests: a temporary folder that cleans
// up after itself, and the entries of a cache read into plain values.
#pragma once

#include "cache/cache_enumeration.h"
#include "tests/support/temp_folder.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace larkspool::test {

using TempFolder = larkspool::testing::TempFolder;

struct ListedEntry {
    std::string url;
    std::string localFile; // full path, empty when the entry has none
    DWORD type = 0;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
};

inline std::uint64_t Ticks(FILETIME time) { return std::uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

inline ListedEntry ToListed(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    ListedEntry entry;
    entry.url = info.lpszSourceUrlName ? info.lpszSourceUrlName : "";
    entry.localFile = info.lpszLocalFileName ? info.lpszLocalFileName : "";
    entry.type = info.CacheEntryType;
    entry.size = std::uint64_t(info.dwSizeHigh) << 32 | info.dwSizeLow;
    entry.modified = Ticks(info.LastModifiedTime);
    entry.accessed = Ticks(info.LastAccessTime);
    return entry;
}

// Every entry, as a caller with 4096-byte buffers that grows them on demand sees it.
inline std::vector<ListedEntry> ListEntries(UrlCache& cache)
{
    std::vector<ListedEntry> entries;
    ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) { entries.push_back(ToListed(info)); });
    return entries;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace larkspool::test
