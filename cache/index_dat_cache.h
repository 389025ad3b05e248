// The URL cache kept in a folder of our own: index.dat in the MSIE cache file
// format and its Content.IE5 sub-folders. Used where WinINet is absent, and on
// Windows for a cache folder copied from elsewhere.
#pragma once

#include "cache/file_time.h"
#include "cache/url_cache.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace larkspool {

struct IndexDatCacheOptions {
    // The listing goes on past the live entries to the records only a scan
    // of the blocks finds (FindRecoveredRecords), each under its own
    // EntryKey, by which the lookup finds it, EntryOrigin marks it and a
    // delete of it is refused. The live REDR records are listed too, under
    // their URLs, without a file; EntryOrigin says urlOnly and a delete is
    // refused. Nothing is removed as an orphan: on such a cache every file
    // is evidence.
    bool recovered = false;
    // Files that no record names are removed by the first write (RemoveOrphanFiles).
    bool removeOrphans = true;
};

class IndexDatCache final : public UrlCache {
public:
    // folder holds index.dat; a folder that does not exist reads as an empty
    // cache and is created by the first write. clock gives the time the
    // records are stamped with and content files are aged by.
    explicit IndexDatCache(std::filesystem::path folder, std::function<std::uint64_t()> clock = NowTicks,
                           IndexDatCacheOptions options = {});
    ~IndexDatCache() override;

    IndexDatCache(const IndexDatCache&) = delete;
    IndexDatCache& operator=(const IndexDatCache&) = delete;

    // Empty when the cache can be read (a missing index.dat or folder
    // included, unless it has gone since it was opened); else why not, in
    // one line ("cannot read the cache folder ...", "not an index.dat file
    // (...)", "cannot open ...").
    std::string LoadError() const override;
    UrlCacheKind Kind() const override;

    const std::filesystem::path& Folder() const;
    std::vector<std::filesystem::path> FilesFolders() const override { return {Folder()}; }

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
    int TakeCreatedFile(LPCSTR fileName) override;
    BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags) override;
    DWORD LastError() const override;
    std::optional<UrlCacheEntryOrigin> EntryOrigin(LPCSTR url) override;
    std::string EntryKey(const INTERNET_CACHE_ENTRY_INFOA& info) const override;
    void BeginLockHold() override;
    void EndLockHold() override;
    std::string LastErrorText() const override;

private:
    void CloseCreatedFile();

    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace larkspool
