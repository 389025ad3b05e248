// The URL cache of the current Windows user, through the real WinINet API.
#pragma once

#include "cache/url_cache.h"

namespace larkspool {

class WinInetCache final : public UrlCache {
public:
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

private:
    // Taken right after each call, before anything else can overwrite it.
    DWORD m_lastError = ERROR_SUCCESS;
};

} // namespace larkspool
