// A real index.dat cache in a temporary folder, filled entry by entry the way
// the import job fills one (reserve a file, write it, commit it), and the
// entries of any cache read back into plain values.
#pragma once

#include "cache/cache_enumeration.h"
#include "cache/index_dat_cache.h"
#include "tests/support/file_ticks.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace larkspool::testing {

class TestCache {
public:
    TestCache() : m_cache(CacheDir()) {}

    IndexDatCache& Cache() { return m_cache; }
    std::filesystem::path CacheDir() const { return m_folder.Path() / "Content.IE5"; }
    // A path in the temporary folder beside the cache.
    std::string Path(const std::string& relative) const { return m_folder.Under(relative); }

    // Puts content into the cache under url; returns the cached file's path.
    std::string Add(const std::string& url, const std::string& extension, const std::string& content = "x",
                    FileTicks modified = kSomeTime, DWORD type = 0)
    {
        char file[MAX_PATH + 1] = {};
        bool added = m_cache.CreateUrlCacheEntryA(url.c_str(), DWORD(content.size()), extension.c_str(), file, 0);
        if (added) {
            WriteFile(file, content);
            added = m_cache.CommitUrlCacheEntryA(url.c_str(), file, FILETIME{}, MakeFileTime(modified), type, nullptr,
                                                 0, extension.c_str(), nullptr);
        }
        if (!added) {
            ADD_FAILURE() << "the cache refused " << url << ": error " << m_cache.LastError();
            return {};
        }
        return file;
    }

    bool InCache(const std::string& url)
    {
        CacheEntryBuffer block;
        DWORD size = block.size();
        return m_cache.GetUrlCacheEntryInfoA(url.c_str(), block.info(), &size) != FALSE;
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

    // Damages index.dat's signature, as another program might.
    void DamageIndex() const
    {
        std::fstream index(CacheDir() / "index.dat", std::ios::binary | std::ios::in | std::ios::out);
        ASSERT_TRUE(index.is_open());
        index.put('X');
    }

private:
    TempFolder m_folder;
    IndexDatCache m_cache;
};

// The fields of an entry callers read, copied out of its buffer.
struct ListedEntry {
    std::string url;
    std::string localFile; // full path, empty when the entry has none
    DWORD type = 0;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
};

inline ListedEntry ToListed(const INTERNET_CACHE_ENTRY_INFOA& info)
{
    ListedEntry entry;
    entry.url = info.lpszSourceUrlName ? info.lpszSourceUrlName : "";
    entry.localFile = info.lpszLocalFileName ? info.lpszLocalFileName : "";
    entry.type = info.CacheEntryType;
    entry.size = EntrySize(info);
    entry.modified = FileTimeTicks(info.LastModifiedTime);
    entry.accessed = FileTimeTicks(info.LastAccessTime);
    return entry;
}

// Every entry, as a caller with 4096-byte buffers that grows them on demand sees it.
inline std::vector<ListedEntry> ListEntries(UrlCache& cache)
{
    std::vector<ListedEntry> entries;
    ForEachCacheEntry(cache, "", [&](const INTERNET_CACHE_ENTRY_INFOA& info) { entries.push_back(ToListed(info)); });
    return entries;
}

} // namespace larkspool::testing
