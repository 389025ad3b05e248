// The whole enumeration of a URL cache with a growing entry buffer. When an
// entry does not fit, the enumeration stays on it, so the same call is
// repeated with the size the cache asked for.
#include "cache/cache_enumeration.h"

namespace larkspool {

DWORD ForEachCacheEntry(UrlCache& cache, LPCSTR pattern,
                       const std::function<void(const INTERNET_CACHE_ENTRY_INFOA&)>& visit)
{
    CacheEntryBuffer buffer;
    DWORD size = buffer.size();
    CacheEnumHandle handle = cache.FindFirstUrlCacheEntryA(pattern, buffer.info(), &size);
    if (!handle && cache.LastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        size = buffer.size();
        handle = cache.FindFirstUrlCacheEntryA(pattern, buffer.info(), &size);
    }
    if (!handle)
        return cache.LastError() == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : cache.LastError();
    DWORD result = ERROR_SUCCESS;
    for (;;) {
        visit(*buffer.info());
        size = buffer.size();
        if (cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size))
            continue;
        if (cache.LastError() == ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(size);
            size = buffer.size();
            if (cache.FindNextUrlCacheEntryA(handle, buffer.info(), &size))
                continue;
        }
        if (cache.LastError() != ERROR_NO_MORE_ITEMS)
            result = cache.LastError();
        break;
    }
    cache.FindCloseUrlCache(handle);
    return result;
}

} // namespace larkspool
