// Feeds arbitrary bytes to CacheStorage's readers three ways: as index.txt,
// as a response record, and as an entry file whose stream 0 is one.
#include "browsercache/chromium_cache_storage.h"
#include "browsercache/chromium_simple_cache.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CacheStorageIndex index;
    if (ReadCacheStorageIndex(bytes, index).empty())
        for (const auto& cache : index.caches)
            if (cache.folder.empty() || cache.folder == ".." || cache.folder.find('/') != std::string::npos)
                __builtin_trap(); // a cache's folder must stay in its origin's folder
    BrowserCacheRecord response;
    if (ReadCacheStorageResponse(bytes, response).empty() && response.responseHead.find('\0') != std::string::npos)
        __builtin_trap(); // a head line is never cut by a NUL it carried
    const BrowserCacheRecord record = ReadSimpleCacheEntry(MemoryBytes(bytes), "0123456789abcdef_0", ReadCacheStorageResponse);
    if (record.error.empty() && (record.body.offset > size || record.body.length > size - record.body.offset))
        __builtin_trap(); // the body the reader vouched for must lie inside the file
    return 0;
}
