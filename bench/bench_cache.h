// Fills a synthetic cache the way the import job does: create the cache
// file, write its bytes, commit the entry. Shared by the benchmark programs.
#pragma once

#include "cache/file_time.h"
#include "cache/index_dat_cache.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace larkspool::bench {

// ERROR_SUCCESS, or the cache's error; a refused commit leaves no file
// behind. ERROR_DISK_FULL also means that index.dat has no room left.
inline DWORD AddCachedFile(IndexDatCache& cache, const std::string& url, const std::string& extension,
                           const std::string& content, std::uint64_t modifiedTicks)
{
    char file[MAX_PATH + 1] = {};
    if (!cache.CreateUrlCacheEntryA(url.c_str(), DWORD(content.size()), extension.c_str(), file, 0))
        return cache.LastError();
    std::ofstream(file, std::ios::binary) << content;
    if (!cache.CommitUrlCacheEntryA(url.c_str(), file, FILETIME{0, 0}, MakeFileTime(modifiedTicks), 0, nullptr, 0,
                                    extension.c_str(), nullptr)) {
        const DWORD error = cache.LastError();
        std::remove(file);
        return error;
    }
    return ERROR_SUCCESS;
}

} // namespace larkspool::bench
