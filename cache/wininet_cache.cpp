// WinInetCache hands every operation to WinINet unchanged and keeps the
// thread's last error of each call, so callers read errors through the
// interface whichever store they hold.
#include "cache/wininet_cache.h"

namespace larkspool {

namespace {

template <typename T>
T Keep(T result, DWORD& lastError)
{
    lastError = ::GetLastError();
    return result;
}

} // namespace

CacheEnumHandle WinInetCache::FindFirstUrlCacheEntryA(LPCSTR pattern, INTERNET_CACHE_ENTRY_INFOA* info,
                                                      DWORD* size)
{
    return Keep(::FindFirstUrlCacheEntryA(pattern, info, size), m_lastError);
}

BOOL WinInetCache::FindNextUrlCacheEntryA(CacheEnumHandle handle, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    return Keep(::FindNextUrlCacheEntryA(handle, info, size), m_lastError);
}

BOOL WinInetCache::FindCloseUrlCache(CacheEnumHandle handle)
{
    return Keep(::FindCloseUrlCache(handle), m_lastError);
}

BOOL WinInetCache::GetUrlCacheEntryInfoA(LPCSTR url, INTERNET_CACHE_ENTRY_INFOA* info, DWORD* size)
{
    return Keep(::GetUrlCacheEntryInfoA(url, info, size), m_lastError);
}

BOOL WinInetCache::DeleteUrlCacheEntryA(LPCSTR url)
{
    return Keep(::DeleteUrlCacheEntryA(url), m_lastError);
}

BOOL WinInetCache::CreateUrlCacheEntryA(LPCSTR url, DWORD expectedSize, LPCSTR extension, LPSTR fileName,
                                        DWORD reserved)
{
    return Keep(::CreateUrlCacheEntryA(url, expectedSize, extension, fileName, reserved), m_lastError);
}

BOOL WinInetCache::CommitUrlCacheEntryA(LPCSTR url, LPCSTR localFileName, FILETIME expireTime,
                                        FILETIME lastModifiedTime, DWORD cacheEntryType, LPBYTE headerInfo,
                                        DWORD headerSize, LPCSTR fileExtension, LPCSTR originalUrl)
{
    return Keep(::CommitUrlCacheEntryA(url, localFileName, expireTime, lastModifiedTime, cacheEntryType, headerInfo,
                                       headerSize, fileExtension, originalUrl),
                m_lastError);
}

BOOL WinInetCache::InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD length, DWORD flags)
{
    return Keep(::InternetCanonicalizeUrlA(url, buffer, length, flags), m_lastError);
}

DWORD WinInetCache::LastError() const
{
    return m_lastError;
}

} // namespace larkspool
