// A browser's own cache (Chromium simple or blockfile, Firefox cache2) as a
// read-only URL cache over what its format reader found. Bodies are decoded
// into a private scratch folder when a caller retrieves an entry's file, and
// kept there while the cache is open; listing decodes nothing to disk.
#pragma once

#include "browsercache/browser_cache_record.h"
#include "cache/url_cache.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace larkspool::browsercache {

// The cache's name in the folder tree and the jobs.
const char* BrowserCacheName(BrowserCacheFormat format);

class BrowserCache final : public UrlCache {
public:
    // Lists the records worth a file: HTTP URLs with a non-empty 2xx body,
    // and 301/302/307/308 answers as redirect pages; the newest record of a
    // URL wins. The size of an encoded body is counted by decoding it once
    // to nowhere (CPU only, no disk) when a lookup or an enumeration first
    // reaches it, at most kListedDecodeLimit bytes of it (SizeIsLowerBound
    // then says so); a body that does not decode so far is then left out and
    // named in Problems(). scratchParent is the caller's folder for scratch
    // data: a private folder is made in it and removed at the end. No body
    // is given, as a stream or a file, past maxBodySize bytes. The scan's
    // recovered records are listed, each under its own EntryKey after the
    // live ones, only withRecovered.
    BrowserCache(BrowserCacheScan scan, const std::filesystem::path& scratchParent,
                 std::uint64_t maxBodySize = kDefaultMaxBodySize, bool withRecovered = false);
    ~BrowserCache() override;

    BrowserCache(const BrowserCache&) = delete;
    BrowserCache& operator=(const BrowserCache&) = delete;

    // The entries that cannot be read, one line each, naming the entry and why.
    const std::vector<std::string>& Problems() const;

    CacheEnumHandle FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL FindCloseUrlCache(CacheEnumHandle handle) override;
    BOOL GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size) override;
    BOOL DeleteUrlCacheEntryA(LPCSTR url) override;
    BOOL CreateUrlCacheEntryA(LPCSTR url, DWORD expectedSize, LPCSTR extension, LPSTR fileName,
                              DWORD reserved) override;
    BOOL CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime, FILETIME lastModifiedTime,
                              DWORD cacheEntryType, LPBYTE headerInfo, DWORD headerSize, LPCSTR fileExtension,
                              LPCSTR originalUrl) override;
    BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags) override;
    DWORD LastError() const override;
    // The body's fault ("URL: damaged gzip body") when that made the call fail.
    std::string LastErrorText() const override;
    bool SizeIsLowerBound(LPCSTR url) override;
    BOOL RetrieveUrlCacheEntryFileA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size,
                                    DWORD reserved) override;
    std::FILE* OpenUrlCacheEntryBody(LPCSTR url) override;
    std::FILE* OpenUrlCacheEntryStart(LPCSTR url, std::uint64_t maxBytes) override;
    std::optional<UrlCacheEntryOrigin> EntryOrigin(LPCSTR url) override;
    std::FILE* OpenStoredBody(LPCSTR url) override;
    UrlCacheKind Kind() const override;
    std::string EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const override;
    std::vector<std::filesystem::path> FilesFolders() const override;
    // The cache folder gone or unreadable since the scan; empty for a scan
    // that names no folder.
    std::string LoadError() const override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace larkspool::browsercache
