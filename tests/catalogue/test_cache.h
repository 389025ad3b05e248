// A real index.dat cache in a temporary folder, filled entry by entry the way
// the import job fills one: create the cache file, write it, commit it.
#pragma once

#include "cache/index_dat_cache.h"
#include "export/file_times.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace larkspool::testing {

// 2024-03-01 12:00:00 UTC.
inline constexpr FileTicks kSomeTime = 133'537'392'000'000'000;

class TestCache {
public:
    TestCache()
        : m_cache(m_folder.Path() / "Content.IE5")
    {
    }

    IndexDatCache& Cache() { return m_cache; }

    // The cached file's path; empty when the cache refused the entry.
    std::string Add(const std::string& url, const std::string& extension, const std::string& content = "x",
                    FileTicks modified = kSomeTime, DWORD type = 0)
    {
        char fileName[MAX_PATH] = {};
        if (!m_cache.CreateUrlCacheEntryA(url.c_str(), DWORD(content.size()), extension.c_str(), fileName, 0))
            return {};
        std::ofstream(fileName, std::ios::binary) << content;
        if (!m_cache.CommitUrlCacheEntryA(url.c_str(), fileName, FILETIME{}, MakeFileTime(modified), type,
                                          nullptr, 0, extension.c_str(), nullptr))
            return {};
        return fileName;
    }

    // The entry of url as the enumeration gives it.
    CacheEntryBuffer Info(const std::string& url)
    {
        CacheEntryBuffer buffer;
        DWORD size = buffer.size();
        if (!m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size)) {
            EXPECT_EQ(m_cache.LastError(), ERROR_INSUFFICIENT_BUFFER) << url;
            buffer.resize(size);
            EXPECT_TRUE(m_cache.GetUrlCacheEntryInfoA(url.c_str(), buffer.info(), &size)) << url;
        }
        return buffer;
    }

private:
    TempFolder m_folder;
    IndexDatCache m_cache;
};

} // namespace larkspool::testing
