// Feeds arbitrary bytes to the simple cache reader, as one entry file and
// as the index.
#include "browsercache/chromium_simple_cache.h"
#include "browsercache/http_response_info.h"
#include "browsercache/simple_cache_index.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace larkspool::browsercache;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const BrowserCacheRecord record = ReadSimpleCacheEntry(MemoryBytes(bytes), "0123456789abcdef_0", ReadResponseInfo);
    if (record.error.empty() && (record.body.offset > size || record.body.length > size - record.body.offset))
        __builtin_trap(); // a body the reader vouched for must lie inside the file
    (void)ReadSimpleIndexLastUse(bytes);
    return 0;
}
